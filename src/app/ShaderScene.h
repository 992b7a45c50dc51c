// ShaderTestModule: the test bench application. It lights and draws a textured
// tangent-space sphere with the relief-shading program, lets the light be
// dragged, owns the technique panel that rebuilds the fragment shader, watches
// the shader files, and runs the measuring commands' jobs.
#pragma once

#include <GL/gl.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "Compare.h"
#include "ConeTexture.h"
#include "GpuTimer.h"
#include "JobRunner.h"
#include "Model3D.h"
#include "ReliefProgram.h"
#include "ShaderFile.h"
#include "ShaderSceneComm.h"
#include "base/basemodule.h"
#include "base/texture.h"
#include "math/vec.h"

class OffscreenTarget;
class ShaderGui;
class View;

class ShaderTestModule : public BaseModule, public ShaderScene_Gui_Comm {
public:
  ShaderTestModule();
  ~ShaderTestModule();

  void render(Viewport const* viewport, View const* view) override;
  void init() override;
  void shutdown() override;
  void update() override;
  bool takesKeyboard() override;
  void resetFragmentShaderUniforms() override;
  void regenFragmentShader() override;
  void loadColorMap(char const* filename) override;
  void loadBumpMap(char const* filename) override;
  void refreshBumpMap() override;

  // The panel, for the bench's console commands; null outside init/shutdown.
  ShaderGui* getGui() const { return gui.get(); }
  // Asks for the window to be written to an image file once the current frame
  // is drawn; several requests in one frame are all written.
  void requestScreenshot(std::string const& filename);
  // Frames drawn since init.
  long framesDrawn() const { return frameCount; }

  // The shader files. loadShaderFile reads another file for one stage and
  // rebuilds with it; on failure the stage keeps its file and program.
  ShaderFile const& shaderFile(bool vertex) const { return vertex ? vertFile : fragFile; }
  bool loadShaderFile(bool vertex, std::string const& path);
  // Reads both files again and rebuilds (the reload command).
  void reloadShaders();
  // True while the latest build failed (the last good program still draws).
  bool shaderBroken() const { return broken; }

  // The macro string of a technique set at the panel's step counts, or at
  // `steps` search steps and the panel's bisection count.
  std::string macrosFor(unsigned set) const;
  std::string macrosFor(unsigned set, int steps) const;
  // The panel's technique set.
  unsigned panelSet() const;
  // Builds a program from the current shader files behind `macros`, with the
  // uniforms set. Null, with the compile and link log in `log`, when it fails.
  std::unique_ptr<ReliefProgram> buildProgram(std::string const& macros, std::string& log);
  float polyThickness() const;

  // Draws the sphere with `prog` (null: the current program) under the current
  // projection and model-view: light position, textures, cull face, program,
  // mesh; the scene's GPU time is measured around it when `timed`.
  void drawSphere(ReliefProgram* prog, bool timed);
  // Draws the main view with `prog` into `target`, without the light marker
  // or the panel, leaving the GL state (matrices and attributes) as it was. A
  // `transparent` target is cleared to (0, 0, 0, 0), else to the clear colour.
  void drawMainViewInto(OffscreenTarget& target, ReliefProgram* prog, bool transparent);

  // The medians of the recent frames' GPU and CPU times, as the panel shows them.
  std::string costLine() const;
  // "800x600 view, GL renderer NAME": what measured figures depend on.
  std::string viewDescription() const;
  // While a measurement runs the view shows the panel's set alone (no A/B).
  void setMeasuring(bool on) { measuring = on; }

  GpuTimer& gpuTimer() { return timer; }
  JobRunner& jobs() { return runner; }
  Compare& comparison() { return compare; }
  // CPU time of recent frames in milliseconds, by frame number.
  std::deque<std::pair<long, double> > const& cpuTimes() const { return cpuMs; }

  static _vec<4, float> const initialLightPos;

  ShaderFile vertFile;
  ShaderFile fragFile;
  std::string fragSource;                  // the fragment shader file's text
  std::unique_ptr<ReliefProgram> program;  // the last program that linked
  std::unique_ptr<ShaderGui> gui;
  _vec<4, float> lightPos;
  Texture colorTexture;
  Texture bumpTexture;
  Texture normalTexture;
  ConeTexture coneTexture;  // for RELAXED_CONE, texture unit 2
  Model3D mesh;

private:
  void parseArguments();
  void takeScreenshots();
  void reportBuildFailure(std::string const& what, std::string const& log);
  void watchShaderFiles();
  void rebuildCompareProgram();
  void warnIfNoGradientLookups(unsigned set);
  void updateStatusLine();
  void dragLight();
  static bool pressLandedOnPanel();

  long frameLimit;   // --frames: quit after this many frames (0: never)
  long frameCount;
  std::vector<std::string> screenshotFiles;  // pending screenshots
  bool pressOnPanel;  // the held primary button went down on the panel
  bool broken;        // the latest build failed
  bool measuring;     // a measuring job runs
  bool programUsesCones;  // the panel's program steps by the cone map
  double lastWatch;   // when the shader files were last looked at
  double lastStatus;  // when the panel's cost line was last refreshed
  double frameStart;  // when this frame's update began
  std::deque<std::pair<long, double> > cpuMs;
  GpuTimer timer;
  JobRunner runner;
  Compare compare;
};

extern ShaderTestModule shaderTestModule;
