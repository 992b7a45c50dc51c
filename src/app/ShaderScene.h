// ShaderTestModule: the bench application. It wires the scene, the technique
// panel, the measuring jobs and the console together: the panel's settings
// reach the scene as one ReliefSettings, the jobs see the scene through
// SceneMeasure, and each frame drags the light, draws the views and the panel
// and takes the screenshots asked for.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ConeMap.h"
#include "FixedLighting.h"
#include "JobRunner.h"
#include "ReliefScene.h"
#include "SceneMeasure.h"
#include "TruthCompare.h"
#include "ShaderSceneComm.h"
#include "base/basemodule.h"

class ShaderGui;
class View;

class ShaderTestModule : public BaseModule, public ShaderScene_Gui_Comm {
public:
  ShaderTestModule();
  ~ShaderTestModule();

  // BaseModule
  void render(Viewport const* viewport, View const* view) override;
  void init() override;
  void shutdown() override;
  void update() override;
  bool takesKeyboard() override;
  // 0, or cutShortStatus when a stop signal ended the bench with a job
  // running or lines waiting: what they were to do was not done.
  int exitStatus() const override { return cutShort ? cutShortStatus : 0; }
  static int const cutShortStatus = 3;

  // ShaderScene_Gui_Comm: the panel's requests.
  void resetFragmentShaderUniforms() override;
  void regenFragmentShader() override;
  void loadColorMap(char const* filename) override;
  void loadBumpMap(char const* filename) override;
  void refreshBumpMap() override;
  // The user's own maps (ReliefScene::loadHeightMap, loadNormalMap); failures
  // are said on the console and change nothing.
  // `invert` and `flipGreen` fix maps made the other way.
  void loadHeightMap(char const* filename, bool invert = false);
  void loadNormalMap(char const* filename, bool flipGreen = false);

  // What the measuring jobs see.
  MeasureScene& measureScene() { return measure; }
  // The window's side of the measurements (SceneMeasure calls these).
  void showSet(unsigned set);
  long framesDrawn() const { return frameCount; }
  std::deque<std::pair<long, double> > const& cpuTimes() const { return cpuMs; }
  void setMeasuring(bool on);
  // The maps drawn changed: the panel's displays, its error line and the wait
  // for a cone map follow.
  void mapsShown();

  // The main view's size in pixels, and "WxH view, GL renderer NAME".
  int viewWidth() const;
  int viewHeight() const;
  std::string viewDescription() const;
  // The GL's renderer string.
  std::string rendererName() const;

  // Whether the panel is drawn (and takes clicks); drawn unless hidden.
  void showPanel(bool on) { panelShown = on; }
  bool panelVisible() const { return panelShown; }
  // Light 0 and the material as the shaders read them; apply() after a change.
  FixedLighting& lighting() { return looks; }
  void applyLighting() const;
  bool shaderBroken() const { return scene.programs().broken(); }
  // Stops the running job, saying what was stopped; false when none ran.
  bool cancelJob();

  // The panel, for the console commands; null outside init/shutdown.
  ShaderGui* getGui() const { return gui.get(); }
  ReliefScene& reliefScene() { return scene; }
  ReliefScene const& reliefScene() const { return scene; }
  JobRunner& jobs() { return runner; }
  // Asks for the window to be written to an image file once the current frame
  // is drawn; several requests in one frame are all written.
  void requestScreenshot(std::string const& filename);
  // The medians of the recent frames' GPU and CPU times, as the panel shows them.
  std::string costLine() const;
  // Starts comparing `setA` (the panel's set from now on) with `setB`, drawn
  // at `stepsB` steps of its own where that is above 0.
  bool startCompare(unsigned setA, unsigned setB, std::string& log, int stepsB = 0);
  // Whether the programs bound their loops by uniforms (ReliefSettings::
  // stepsAsUniforms); a change rebuilds the main and comparison programs.
  void setStepsAsUniforms(bool on);
  bool stepsAsUniforms() const { return stepsInUniforms; }
  // The kind of cone RELAXED_CONE steps by; a change makes the cone map again
  // (in the background when it takes a while) and rebuilds what steps by it.
  void setConeKind(ConeMap::Kind kind);
  // `compare SET truth`: the set left of the wipe, the displaced truth's
  // picture right of it (the set-B comparison stops).
  TruthCompare& truthCompare() { return truth; }

private:
  void takeScreenshots();
  // The scene builds and draws with the panel's values.
  void syncSettings();
  void showBuildState();
  void updateStatusLine();
  void updatePanelTextures();
  void dragLight();
  // Loads a map with the panel's settings, then mapsShown().
  void loadMap(std::function<bool()> const& load);
  // While measuring: whether this frame brought input that would change the
  // scene, which is then held back (said once per measurement).
  void holdBackInput();
  // While the scene makes a map in the background for the panel's program,
  // a job waits for it, so that the lines after the change wait too.
  void waitForMaps();
  static bool pressLandedOnPanel();

  ReliefScene scene;
  SceneMeasure measure;
  TruthCompare truth{measure};
  std::unique_ptr<ShaderGui> gui;
  JobRunner runner;
  long frameLimit;   // --frames: quit after this many frames (0: never)
  long frameCount;
  std::vector<std::string> screenshotFiles;  // pending screenshots
  bool pressOnPanel;  // the held primary button went down on the panel
  bool measuring;     // a measuring job runs
  bool heldBackSaid;  // the measurement's held-back input has been mentioned
  bool cutShort;      // a stop signal came while a job ran or lines waited
  bool panelShown;    // the panel is drawn at the end of each frame
  FixedLighting looks;
  double lastStatus;  // when the panel's cost line was last refreshed
  double frameStart;  // when this frame's update began
  bool stepsInUniforms = false;  // the loops are bounded by uniforms
  std::deque<std::pair<long, double> > cpuMs;
};

extern ShaderTestModule shaderTestModule;
