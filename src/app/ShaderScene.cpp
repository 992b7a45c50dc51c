// ShaderTestModule: start-up, the panel's requests, the per-frame input and
// drawing, what the measuring jobs see, screenshots and shutdown (the map
// loaders are in ShaderSceneMaps.cpp).
#include "ShaderScene.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

#include "Arguments.h"
#include "BenchCommands.h"
#include "DataFiles.h"
#include "Screenshot.h"
#include "ShaderGui.h"
#include "StopSignals.h"
#include "Stats.h"
#include "Techniques.h"
#include "base/base.h"
#include "base/console.h"
#include "base/exception.h"
#include "base/view.h"
#include "base/viewport.h"
#include "menu/menusystem.h"
#include "system/display.h"
#include "system/glext.h"
#include "system/keyboard.h"
#include "system/mouse.h"
#include "system/system.h"
#include "system/timer.h"

ShaderTestModule shaderTestModule;

BaseModule* RegisterApplication() { return &shaderTestModule; }

namespace {

// The panel's cost line is refreshed this often, over this many frames.
double const statusInterval = 0.5;
size_t const statusFrames = 30;

double seconds() { return timer.getTime(); }

// Waits for the cone map the panel's program needs; cancel stops making it.
class MapWaitJob : public BenchJob {
public:
  explicit MapWaitJob(ReliefScene& scene) : scene(scene) {}
  std::string name() const override { return "cone map"; }
  bool step() override {
    scene.programs().pollMaps();
    return scene.programs().waitingForMaps();
  }
  void cancel() override { scene.programs().cancelMaps(); }

private:
  ReliefScene& scene;
};

}  // namespace

ShaderTestModule::ShaderTestModule()
    : measure(*this, scene),
      frameLimit(0),
      frameCount(0),
      pressOnPanel(false),
      measuring(false),
      heldBackSaid(false),
      cutShort(false),
      panelShown(true),
      lastStatus(0),
      frameStart(0) {}

// A panel still alive here means the program is ending without shutdown() (an
// exit from inside the window system, say). The menu system it would shut down
// may already be destroyed, so it is left to the process's end.
ShaderTestModule::~ShaderTestModule() { (void)gui.release(); }

void ShaderTestModule::init() {
  runner.clear();
  cutShort = false;
  Arguments const args = parseArguments();
  for (std::string const& line : args.exec) runner.queue(line);
  frameLimit = args.frames;
  if (args.hasData) DataFiles::setFolder(args.data);
  frameCount = 0;
  panelShown = true;

  sys.setInitSize(_vec<2, int>(args.width, args.height));
  BaseModule::init();

  con.font.load2D(DataFiles::find("font.bmp").c_str());

  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glEnable(GL_DEPTH_TEST);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
  GLfloat const black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  GLfloat const white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  GLfloat const overhead[4] = {0.0f, 0.0f, 1.0f, 0.0f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
  // Light 0 white (ambient, diffuse, specular) at intensity 1; the console
  // variables change it later.
  looks = FixedLighting();
  looks.applyLight();
  glLightfv(GL_LIGHT0, GL_POSITION, overhead);
  if (found_GL_EXT_separate_specular_color)
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);

  gui.reset(new ShaderGui(this));
  if (!gui->init()) throw Exception() << "ShaderGui init";

  base.views[Base::VIEW_MAIN].set(this, false, 0.1f, 0.1f, 1, 0.1f, 500.0f,
                                  _vec<3, float>(-55.306f, 0.000232944f, 14.3633f),
                                  _quat<float>(-0.700785f, 0.0943430f, 0.0943405f, 0.700785f));
  base.camSpeed = 10.0f;
  base.camRot = 7.5f;

  scene.init();
  bindLightVar(&scene.light());
  bindLookVars(&looks);
  updatePanelTextures();

  GLfloat const none[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, none);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
  looks.applyMaterial();  // specular white, shininess 10

  con.setInterpreter(&runner);
  installStopSignals();
  lastStatus = seconds() - statusInterval;  // the cost line fills in on the first frame
  regenFragmentShader();
}

void ShaderTestModule::syncSettings() {
  if (!gui) return;
  ReliefSettings s = gui->settings();
  s.stepsAsUniforms = stepsInUniforms;
  scene.setSettings(s);
}

void ShaderTestModule::setStepsAsUniforms(bool on) {
  if (on == stepsInUniforms) return;
  stepsInUniforms = on;
  regenFragmentShader();
  scene.programs().rebuildCompareProgram();
}

void ShaderTestModule::setConeKind(ConeMap::Kind kind) {
  if (kind == scene.maps().coneMap().coneKind()) return;
  scene.maps().setConeKind(kind);
  scene.programs().mapsChanged(false);
  mapsShown();
}

void ShaderTestModule::showBuildState() {
  if (gui) gui->showShaderError(scene.programs().broken());
}

void ShaderTestModule::regenFragmentShader() {
  syncSettings();
  scene.programs().rebuild(gui ? gui->macroString() : std::string());
  showBuildState();
  waitForMaps();
}

void ShaderTestModule::waitForMaps() {
  if (scene.programs().waitingForMaps() && !runner.busy())
    runner.start(std::unique_ptr<BenchJob>(new MapWaitJob(scene)));
}

void ShaderTestModule::resetFragmentShaderUniforms() {
  syncSettings();
  scene.programs().resetUniforms();
}

void ShaderTestModule::applyLighting() const {
  looks.applyLight();
  looks.applyMaterial();
}

void ShaderTestModule::updatePanelTextures() {
  if (gui && gui->hasTextureDisplays())
    gui->updateTextureIDs(static_cast<int>(scene.maps().colorMapName()), static_cast<int>(scene.maps().normalMapName()));
}

int ShaderTestModule::viewWidth() const { return viewportSize(base.mainViewport).x; }

int ShaderTestModule::viewHeight() const { return viewportSize(base.mainViewport).y; }

std::string ShaderTestModule::rendererName() const {
  char const* renderer = reinterpret_cast<char const*>(glGetString(GL_RENDERER));
  return renderer ? renderer : "unknown";
}

std::string ShaderTestModule::viewDescription() const {
  return std::to_string(viewWidth()) + "x" + std::to_string(viewHeight()) + " view, GL renderer " + rendererName();
}

void ShaderTestModule::setMeasuring(bool on) {
  measuring = on;
  heldBackSaid = false;
}

bool ShaderTestModule::cancelJob() {
  std::string const name = runner.current();
  if (!runner.cancel()) return false;
  con << "cancelled " << name << "\n";
  return true;
}

void ShaderTestModule::holdBackInput() {
  bool pressed = mouse.getButtonState(0) == 2 || mouse.getButtonState(2) == 2;
  if (!con.isVisible())
    for (char const* k = "edsfrvikjlouwx"; *k && !pressed; ++k) pressed = kbd.getKeyState(*k) == 2;
  if (!pressed || heldBackSaid) return;
  heldBackSaid = true;
  con << "a measurement is running: the camera, light, panel, maps and shader files stay as they are until it "
         "ends (cancel or Escape stops it)\n";
}

// The panel follows the set, so the window shows what is measured.
void ShaderTestModule::showSet(unsigned set) {
  if (gui) gui->setTechniques(set);
}

bool ShaderTestModule::startCompare(unsigned setA, unsigned setB, std::string& log, int stepsB) {
  if (!scene.programs().startCompare(setB, log, stepsB)) return false;
  showSet(setA);
  return true;
}

bool ShaderTestModule::pressLandedOnPanel() {
  // The menu system remembers the deepest object a press reached; the root
  // itself is the empty screen around the panel.
  pwn::Object* target = pwn::g_menuSys.clickTarget.get();
  return target && target != pwn::menuSys->getRoot();
}

bool ShaderTestModule::takesKeyboard() {
  // A clicked widget holds the focus, but only those that allow it (the text
  // fields) take keys.
  if (measuring) return true;
  pwn::Object* focus = pwn::g_menuSys.getFocus();
  return panelShown && gui && focus && focus->getAllowFocus();
}

void ShaderTestModule::update() {
  frameStart = seconds();
  ++frameCount;
  if (takeStopSignal()) {
    // A job still running is dropped at shutdown, before it writes anything.
    cutShort = !runner.idle();
    std::string const unfinished = runner.busy() ? runner.current() : std::string("the lines waiting");
    con << "stop signal: ending" << (cutShort ? " before " + unfinished + " could finish" : std::string()) << "\n";
    sys.requestExit();
  }
  updateStatusLine();  // from the frames before this one, before the panel is drawn
  runner.update();
  if (frameLimit > 0 && frameCount >= frameLimit && runner.idle()) sys.requestExit();
  if (!measuring) scene.programs().watchShaderFiles(frameStart);
  waitForMaps();
  showBuildState();

  if (scene.programs().comparison().active()) {
    Viewport const* vp = base.getTopViewAt(mouse.getPos());
    if (!vp) vp = base.mainViewport;
    float const w = static_cast<float>(vp->rect.max.x - vp->rect.min.x);
    float const x = static_cast<float>(mouse.getPos().x - vp->rect.min.x) / std::max(w, 1.0f);
    bool const keysFree = !con.isVisible() && !takesKeyboard();
    scene.programs().compareInput(x, mouse.getButtonState(2), keysFree && kbd.getKeyState('b') == 2, frameStart);
  }

  if (!measuring && truth.active())
    truth.update(TruthCompare::keyOf(scene, base.views[Base::VIEW_MAIN], viewWidth(), viewHeight()), frameStart);

  if (measuring) {
    // What is measured must not move under the measurement: the panel, the
    // light and (through takesKeyboard) the camera wait until it ends.
    if (runner.busy() && kbd.getKeyState(Key::ESC) == 2) cancelJob();
    holdBackInput();
    return;
  }
  // A hidden panel takes no clicks: they drag the light anywhere.
  bool const guiUsedInput = panelShown && pwn::menuSys->getInput();
  if (!panelShown) pressOnPanel = false;
  // A press that lands on a panel widget belongs to the panel for as long as the
  // button is held: a hand that wobbles while clicking a checkbox must not drag
  // the light along.
  if (panelShown && mouse.getButtonState(0) == 2) pressOnPanel = pressLandedOnPanel();
  if (guiUsedInput) return;
  dragLight();
}

void ShaderTestModule::dragLight() {
  Viewport* vp = base.mainViewport;
  if (!vp || mouse.getButtonState(0) != 1 || pressOnPanel) return;
  scene.dragLight(*vp, mouse.getPos(), mouse.getMove(), kbd.getKeyState(Key::LSHIFT) != 0);
}

void ShaderTestModule::render(Viewport const* viewport, View const*) {
  // A frame that only catches up with queued input is never shown: its scene,
  // screenshots and timings wait for the next frame that is.
  if (sys.isCatchingUp()) return;
  std::vector<Viewport*> const& shown = base.activeViewports;
  bool const first = shown.empty() || shown.front() == viewport;
  bool const last = shown.empty() || shown.back() == viewport;
  if (first) scene.gpuTimer().beginFrame(frameCount);

  double const now = seconds();
  scene.drawView(viewport, measuring, now);
  if (!measuring && viewport == base.mainViewport) {
    _vec<2, int> const& win = disp.getSize();
    truth.draw(*viewport, scene.programs().comparison().wipe(), win.x, win.y);
  }

  if (!last) return;
  scene.gpuTimer().endFrame();
  if (gui && panelShown) gui->display();
  Compare const& compare = scene.programs().comparison();
  if (compare.active() && !measuring) {
    // Where B has a step count of its own, both labels say theirs.
    std::string const steps = compare.ownSteps() ? "@" + std::to_string(scene.settings().steps) : "";
    scene.drawCompareOverlay(Techniques::name(scene.settings().set) + steps, now);
  }
  takeScreenshots();

  // The frame's own CPU time, less any wait for the GPU in the timer's brackets.
  cpuMs.emplace_back(frameCount, (seconds() - frameStart) * 1000.0 - scene.gpuTimer().waitedThisFrame());
  while (cpuMs.size() > 512) cpuMs.pop_front();
  runner.frameDrawn();
}

std::string ShaderTestModule::costLine() const {
  std::vector<double> gpu, cpu;
  auto const& g = scene.gpuTimer().results();
  for (auto it = g.rbegin(); it != g.rend() && gpu.size() < statusFrames; ++it) gpu.push_back(it->second);
  for (auto it = cpuMs.rbegin(); it != cpuMs.rend() && cpu.size() < statusFrames; ++it) cpu.push_back(it->second);
  if (gpu.empty() && cpu.empty()) return "GPU - ms  CPU - ms";
  char line[96];
  std::snprintf(line, sizeof line, "GPU %.2f ms  CPU %.2f ms", Stats::median(gpu), Stats::median(cpu));
  return line;
}

void ShaderTestModule::updateStatusLine() {
  double const now = seconds();
  if (!gui || now - lastStatus < statusInterval) return;
  lastStatus = now;
  gui->setStatus(costLine());
}

void ShaderTestModule::requestScreenshot(std::string const& filename) {
  screenshotFiles.push_back(filename);
  runner.waitForFrame();
}

void ShaderTestModule::takeScreenshots() {
  std::vector<std::string> files;
  files.swap(screenshotFiles);
  for (std::string const& file : files) {
    std::string why;
    if (writeWindowImage(file, why))
      con << "wrote " << file << "\n";
    else
      con << "could not write the screenshot " << why << "\n";
  }
}

void ShaderTestModule::shutdown() {
  runner.clear();
  if (gui) gui.reset();
  measure.release();
  scene.shutdown();
  BaseModule::shutdown();
}
