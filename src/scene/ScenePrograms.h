// ScenePrograms: the programs the relief is drawn with. The shader files and
// their watch for edits, the main program rebuilt for the settings with the
// last good one kept drawing when a build fails, the A/B comparison's second
// program, the programs a measurement builds, and the wait for a cone map
// made in the background. What a program needs is decided by its technique
// set's bits.
#pragma once

#include <memory>
#include <string>

#include "Compare.h"
#include "ReliefProgram.h"
#include "ReliefSettings.h"
#include "ShaderFile.h"
#include "Techniques.h"

class SceneMaps;

class ScenePrograms {
public:
  // Builds with `maps` and the owner's `settings`, which must outlive it.
  ScenePrograms(SceneMaps& maps, ReliefSettings const& settings) : maps(maps), settings(settings) {}
  ScenePrograms(ScenePrograms const&) = delete;
  ScenePrograms& operator=(ScenePrograms const&) = delete;

  // Reads the bundled shader files. Throws an Exception when one is missing
  // or empty.
  void init();
  // Drops every program and the comparison.
  void shutdown();

  // Rebuilds the main program for the settings' set behind `macros` (the
  // panel's macro string); on failure the last good program keeps drawing
  // and broken() is true. A cone map that takes a while is made in the
  // background first, the last program drawing meanwhile.
  void rebuild(std::string const& macros);
  // Sets the programs' uniforms from the settings and the maps again.
  void resetUniforms();
  bool broken() const { return failed; }
  // The last main program that linked; null before the first.
  ReliefProgram* program() const { return main.get(); }

  // The text a program for `set` is compiled behind: `macros`, then the lines
  // the bench adds (the set's partners and search, Techniques::buildLines,
  // HEIGHT_MAP while the heights are a map of their own, and
  // STEPS_AS_UNIFORMS while the settings ask for it).
  std::string programMacros(std::string const& macros, unsigned set) const;
  // A program of the given shader texts for `set` behind `macros`, the maps
  // it reads made first, its uniforms set with `polyThickness`; null, with
  // the compile and link log in `log`, when it fails.
  std::unique_ptr<ReliefProgram> build(ShaderText const& vert, ShaderText const& frag, unsigned set,
                                       std::string const& macros, float polyThickness, std::string& log);

  // The shader files. loadShaderFile reads another file for one stage and
  // rebuilds with it; on failure the stage keeps its file and program.
  ShaderFile const& shaderFile(bool vertex) const { return vertex ? vertFile : fragFile; }
  bool loadShaderFile(bool vertex, std::string const& path);
  // Reads both files again and rebuilds the main and comparison programs.
  void reloadShaders();
  // Rebuilds when a shader file changed on disk (looked at every half second).
  void watchShaderFiles(double now);

  // The cone map made in the background: its progress on the console, and
  // the rebuild that waits for it once it is there.
  void pollMaps();
  // Stops it, and the rebuild waiting for it; false when none was.
  bool cancelMaps();
  bool waitingForMaps() const { return waitingForCones; }
  // Whether the maps a program for `set` reads are made: the max pyramid is
  // made at once, the cone map started in the background when it is not
  // there (false until it is, `progress` saying how far). True when the
  // heights to make them from are missing.
  bool mapsReadyFor(unsigned set, double& progress);

  // The heights or the normal map changed: the maps the programs read are
  // made again, and the programs rebuilt where they read the heights from
  // another sampler now (`heightsMoved`) or step by the cone map.
  void mapsChanged(bool heightsMoved);

  // The A/B comparison. startCompare builds set B at the settings' counts,
  // or at `stepsB` steps of its own when that is above 0.
  Compare const& comparison() const { return compare; }
  // The macros set B was last built with.
  std::string const& comparisonMacros() const { return compareMacros; }
  bool startCompare(unsigned setB, std::string& log, int stepsB = 0);
  void stopCompare() { compare.stop(); }
  // Places the wipe line, a fraction of the view's width from its left edge.
  void setWipe(float fraction) { compare.setWipe(fraction); }
  void compareInput(float pointerX, int middleButtonState, bool bPressed, double now) {
    compare.handleInput(pointerX, middleButtonState, bPressed, now);
  }
  // Builds set B again at its step count and the settings' bisection count.
  void rebuildCompareProgram();

  // The search a set's program runs on this GL: the set's own
  // (Techniques::eyeSearch), or the next one where the GL cannot walk the
  // max pyramid, as the fragment shader decides.
  static Techniques::EyeSearch searchOn(unsigned set);

private:
  void reportBuildFailure(std::string const& what, std::string const& log);
  // Makes the maps a set's program reads (cone map, max pyramid) if they are not current.
  void prepareMaps(unsigned set);
  void setUniforms(ReliefProgram& p, float polyThickness) const;
  // Set B's macros: its own step count, or the settings'.
  std::string compareMacrosFor() const;

  SceneMaps& maps;
  ReliefSettings const& settings;
  ShaderFile vertFile;
  ShaderFile fragFile;
  std::unique_ptr<ReliefProgram> main;  // the last program that linked
  std::string mainMacros;               // what the latest rebuild asked for
  unsigned mainSet = 0;                 // the set it was for
  bool failed = false;                  // the latest build failed
  bool waitingForCones = false;         // that rebuild waits for the cone map
  int shownConePercent = 0;             // the last progress line's figure
  double lastWatch = 0;                 // when the shader files were last looked at
  Compare compare;
  std::string compareMacros;  // what set B was built with
  int compareSteps = 0;       // set B's own step count; 0: the settings'
};
