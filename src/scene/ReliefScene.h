// ReliefScene: what the bench draws. The sphere, its colour, height, normal and
// cone maps (generated from the heights or the user's own), the light, the shader files and the program built from them for
// the current settings, the A/B comparison's second program, and the draws of
// the main view into the window or an offscreen target.
#pragma once

#include <memory>
#include <string>

#include "Compare.h"
#include "ConeTexture.h"
#include "GpuTimer.h"
#include "HeightField.h"
#include "HeightTexture.h"
#include "MaxPyramidTexture.h"
#include "MeshFile.h"
#include "Model3D.h"
#include "ReliefProgram.h"
#include "ShaderFile.h"
#include "base/texture.h"
#include "math/vec.h"

class OffscreenTarget;
class View;
class Viewport;

// What a program is built for and drawn with: the technique set, the step
// counts, the relief's depth and the normal map's scale.
struct SceneSettings {
  unsigned set = 0;
  int steps = 32;
  int refineSteps = 6;
  float polyThickness = 0.5f;
  float bumpHeight = 100.0f;
};

// The width and height of a viewport's rectangle (0 x 0 for none).
_vec<2, int> viewportSize(Viewport const* viewport);

class ReliefScene {
public:
  static _vec<4, float> const initialLightPos;

  ReliefScene();
  ~ReliefScene();
  ReliefScene(ReliefScene const&) = delete;
  ReliefScene& operator=(ReliefScene const&) = delete;

  // Reads the bundled shader files, builds the sphere and loads the bundled
  // maps. Throws an Exception when a shader file is missing or empty.
  void init();
  // Releases every GL object and puts the light back.
  void shutdown();

  SceneSettings const& settings() const { return current; }
  void setSettings(SceneSettings const& s) { current = s; }

  // Rebuilds the main program behind `macros` (the panel's macro string); on
  // failure the last good program keeps drawing and broken() is true.
  void rebuild(std::string const& macros);
  // Sets the programs' uniforms from the settings again.
  void resetUniforms();
  // Regenerates the normal map from the heights at the settings' scale (not a
  // normal map the user loaded: that stays as it is).
  void refreshNormalMap();
  // False, with a line on standard output and the console, when the file
  // cannot be loaded; the maps then stay as they were.
  bool loadColorMap(std::string const& filename);
  // The bundled path: heights from the file's luminance, the normal map
  // generated from them, heights in its alpha (8 bits). Drops a separate height
  // map and a loaded normal map.
  bool loadBumpMap(std::string const& filename);
  // A separate height map kept at 16 bits (HeightTexture, unit 4; the programs
  // get HEIGHT_MAP). Without a loaded normal map the normals are generated from
  // these heights at the settings' scale.
  bool loadHeightMap(std::string const& filename);
  // The user's tangent-space normal map (RGB as the generator writes it),
  // taken as it is. The heights stay those in use, moved into the separate
  // height map when they were the generated map's alpha.
  bool loadNormalMap(std::string const& filename);
  // Whether a separate height map is in use, and whether the normal map is the user's.
  bool separateHeights() const { return heightTexture.present(); }
  bool userNormalMap() const { return userNormals; }
  // Draws `field`'s heights (8 bits deep) in place of the loaded height map,
  // with a normal map made from them, until restoreMaps(), which puts the
  // loaded height and normal maps back untouched. False with the reason when
  // the GL refuses the texture (the maps drawn stay as they were).
  bool useHeights(HeightField const& field, std::string& error);
  void restoreMaps();

  // The macro string of a technique set at `steps` and the settings' bisection count.
  std::string macrosFor(unsigned set, int steps) const;
  // A program from the current shader files behind `macros`, its uniforms set;
  // null, with the compile and link log in `log`, when it fails.
  std::unique_ptr<ReliefProgram> buildProgram(std::string const& macros, std::string& log);
  // The same from given shader texts, with the depth uniform `polyThickness`.
  std::unique_ptr<ReliefProgram> buildProgram(ReliefProgram::Source const& vert, ReliefProgram::Source const& frag,
                                              std::string const& macros, float polyThickness, std::string& log);
  bool broken() const { return failed; }

  // The shader files. loadShaderFile reads another file for one stage and
  // rebuilds with it; on failure the stage keeps its file and program.
  ShaderFile const& shaderFile(bool vertex) const { return vertex ? vertFile : fragFile; }
  bool loadShaderFile(bool vertex, std::string const& path);
  // Reads both files again and rebuilds the main and comparison programs.
  void reloadShaders();
  // Rebuilds when a shader file changed on disk (looked at every half second).
  void watchShaderFiles(double now);
  // A cone map made in the background: its progress on the console, and the
  // rebuild that waits for it once it is there.
  void pollMaps();
  // Stops a cone map being made in the background, and the rebuild waiting
  // for it; false when none was.
  bool cancelMaps();
  bool waitingForMaps() const { return waitingForCones; }

  // The A/B comparison. startCompare builds set B at the settings' step count.
  Compare const& comparison() const { return compare; }
  // The macros set B was last built with.
  std::string const& comparisonMacros() const { return compareMacros; }
  bool startCompare(unsigned setB, std::string& log);
  void stopCompare() { compare.stop(); }
  void compareInput(float pointerX, int middleButtonState, bool bPressed, double now) {
    compare.handleInput(pointerX, middleButtonState, bPressed, now);
  }
  // Builds set B again at the settings' step and bisection counts.
  void rebuildCompareProgram();

  // Draws the sphere with `prog` (null: the main program) under the current
  // matrices, its GPU time measured when `timed`.
  void drawSphere(ReliefProgram* prog, bool timed);
  // One viewport's part of a window frame: the light marker and the sphere
  // (both halves of the wipe, or the blinking set, unless `plain`).
  void drawView(Viewport const* viewport, bool plain, double now);
  // The wipe's line and labels over every shown viewport.
  void drawCompareOverlay(std::string const& labelA, double now) const;
  // Draws `view` lit from `light` with `prog` into `target`, without the light
  // marker or the panel, leaving the GL state as it was. A `transparent` target is cleared
  // to (0, 0, 0, 0), else to the clear colour; `levelZero` reads the normal
  // map at its full size however far the view is (as the reference does).
  void drawViewInto(View const& view, _vec<4, float> const& light, OffscreenTarget& target, ReliefProgram* prog,
                    bool transparent, bool levelZero);

  // The mesh that is drawn and measured: "sphere" (the start-up mesh),
  // "plane", or the path of the mesh file it was loaded from.
  std::string const& meshName() const { return meshLabel; }
  void useSphere();
  void usePlane();
  // Replaces the mesh with a mesh file's (see MeshFile::load); false, with the
  // reason, keeping the mesh drawn so far.
  bool loadMesh(std::string const& path, std::string& error, MeshFile::Progress const& progress);
  Model3D const& currentMesh() const { return mesh; }
  // A grey square in the plane x = -z, across the mesh, drawn in the window's
  // views with the fixed-function pipeline (never in measurements): where it
  // meets the relief shows the depth the relief program writes.
  void showCrossingPlane(bool on) { crossingPlane = on; }
  bool crossingPlaneShown() const { return crossingPlane; }

  // The heights the programs draw, read back through HeightReadback.
  std::unique_ptr<HeightField> readHeights(std::string& error) const;

  _vec<4, float>& light() { return lightPos; }
  _vec<4, float> const& light() const { return lightPos; }
  // Moves the light by a mouse drag of `move` pixels in `viewport`: parallel to
  // the screen, or along the viewing direction when `alongView`.
  void dragLight(Viewport const& viewport, _vec<2, int> pointer, _vec<2, int> move, bool alongView);

  GpuTimer& gpuTimer() { return timer; }
  GpuTimer const& gpuTimer() const { return timer; }
  // GL names of the colour and normal maps, for the panel's displays.
  unsigned colorMapName() const { return colorTexture.id; }
  unsigned normalMapName() const { return normalTexture.id; }

private:
  void reportBuildFailure(std::string const& what, std::string const& log);
  void warnIfNoGradientLookups(unsigned set);
  // The cone map and max pyramid follow a new normal map.
  void normalMapChanged();
  // Makes the maps that `macros` read (cone map, max pyramid) if they are not current.
  void prepareMaps(std::string const& macros);
  // The uniforms of a program drawn with this scene's maps.
  void setUniforms(ReliefProgram& p, float polyThickness) const;
  // `macros` with the line that tells the shader where the heights are.
  std::string withHeightMacro(std::string const& macros) const;
  // Says on the console why a map did not load (the callers say it on standard output).
  // The failure's line on standard output (`line`, the name and the reason)
  // and on the console; false, for the loader to return.
  // New heights are in place: the normal map and the programs follow. True.
  bool heightsReplaced(bool wasSeparate);
  bool reportLoadFailure(char const* line, char const* what, std::string const& filename, std::string const& why) const;
  // After the heights moved between the normal map's alpha and the height map.
  void heightSourceChanged(bool wasSeparate);

  SceneSettings current;
  ShaderFile vertFile;
  ShaderFile fragFile;
  std::unique_ptr<ReliefProgram> program;  // the last program that linked
  std::string mainMacros;                  // what the latest rebuild asked for
  bool waitingForCones = false;            // that rebuild waits for the cone map
  int shownConePercent = 0;                // the last progress line's figure
  bool failed = false;                     // the latest build failed
  bool programUsesCones = false;           // the main program steps by the cone map
  bool programUsesPyramid = false;         // the main program walks the max pyramid
  double lastWatch = 0;                    // when the shader files were last looked at
  _vec<4, float> lightPos;
  Texture colorTexture;
  Texture bumpTexture;
  Texture normalTexture;
  HeightTexture heightTexture;  // the separate 16-bit heights, texture unit 4
  bool userNormals = false;     // normalTexture is the user's, not generated
  bool mapsSetAside = false;  // useHeights holds the loaded maps here
  Texture loadedBump, loadedNormal;
  bool loadedUserNormals = false;
  std::unique_ptr<HeightField> loadedHeights;  // the separate heights set aside, if any
  ConeTexture coneTexture;  // for RELAXED_CONE, texture unit 2
  MaxPyramidTexture maxPyramid;  // for MAX_PYRAMID, texture unit 3
  Model3D mesh;
  std::string meshLabel = "sphere";
  bool crossingPlane = false;
  GpuTimer timer;
  Compare compare;
  std::string compareMacros;  // what set B was built with
};
