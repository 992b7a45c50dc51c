// ShaderTestModule: start-up, the per-frame light drag, drawing, the panel's
// requests (shader rebuilds, uniform resets, normal-map regeneration, map
// loading), shader files and their rebuilds, screenshots and shutdown.
#include "ShaderScene.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "BumpMap.h"
#include "DataFiles.h"
#include "OffscreenTarget.h"
#include "Overlay.h"
#include "Screenshot.h"
#include "ShaderGui.h"
#include "Sphere.h"
#include "Stats.h"
#include "Techniques.h"
#include "base/base.h"
#include "base/console.h"
#include "base/exception.h"
#include "base/view.h"
#include "base/viewport.h"
#include "math/quat.h"
#include "menu/menusystem.h"
#include "shader/shadersystem.h"
#include "system/display.h"
#include "system/glext.h"
#include "system/keyboard.h"
#include "system/mouse.h"
#include "system/system.h"
#include "system/timer.h"

ShaderTestModule shaderTestModule;

BaseModule* RegisterApplication() { return &shaderTestModule; }

_vec<4, float> const ShaderTestModule::initialLightPos(-7.60227f, 0.788751f, 0.296831f, 1.0f);

namespace {

char const* const vertShaderName = "shaders/basic bumpmap.vert";
char const* const fragShaderName = "shaders/iterative parallax.frag";

// Shader files are looked at this often for edits, in seconds.
double const watchInterval = 0.5;
// The panel's cost line is refreshed this often, over this many frames.
double const statusInterval = 0.5;
size_t const statusFrames = 30;

void printUsage(char const* program) {
  std::printf(
      "usage: %s [options]\n"
      "Runs the relief-shading test bench.\n"
      "  --exec LINE   run a console line after start-up (repeatable, run in order;\n"
      "                a long command such as profile finishes before the next line)\n"
      "  --frames N    quit after N frames, once every --exec line has finished\n"
      "  --data DIR    read the shaders, maps and font from DIR (default: the working\n"
      "                directory, then the data installed beside the program)\n"
      "  --help        show this text and exit\n",
      program);
}

double seconds() { return timer.getTime(); }

}  // namespace

ShaderTestModule::ShaderTestModule()
    : lightPos(initialLightPos),
      frameLimit(0),
      frameCount(0),
      pressOnPanel(false),
      broken(false),
      measuring(false),
      programUsesCones(false),
      lastWatch(0),
      lastStatus(0),
      frameStart(0) {}

// A panel still alive here means the program is ending without shutdown() (an
// exit from inside the window system, say). The menu system it would shut down
// may already be destroyed, so it is left to the process's end.
ShaderTestModule::~ShaderTestModule() { (void)gui.release(); }

void ShaderTestModule::parseArguments() {
  frameLimit = 0;
  int const n = sys.getArgCount();
  for (int i = 1; i < n; ++i) {
    std::string const arg = sys.getArg(i);
    bool const takesValue = arg == "--exec" || arg == "--frames" || arg == "--data";
    if (arg == "--help" || arg == "-h") {
      printUsage(sys.getArg(0).c_str());
      std::exit(0);
    } else if (takesValue && i + 1 >= n) {
      throw Exception() << arg << " needs a value (try --help)";
    } else if (arg == "--exec") {
      runner.queue(sys.getArg(++i));
    } else if (arg == "--frames") {
      char* end = nullptr;
      std::string const value = sys.getArg(++i);
      long const frames = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || frames <= 0)
        throw Exception() << "--frames needs a positive number of frames, not \"" << value << "\"";
      frameLimit = frames;
    } else if (arg == "--data") {
      DataFiles::setFolder(sys.getArg(++i));
    } else {
      throw Exception() << "unknown option \"" << arg << "\" (try --help)";
    }
  }
}

void ShaderTestModule::init() {
  runner.clear();
  parseArguments();
  frameCount = 0;

  sys.setInitSize(_vec<2, int>(800, 600));
  BaseModule::init();

  con.font.load2D(DataFiles::find("font.bmp").c_str());

  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glEnable(GL_DEPTH_TEST);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
  GLfloat const black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  GLfloat const white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  GLfloat const overhead[4] = {0.0f, 0.0f, 1.0f, 0.0f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
  glLightfv(GL_LIGHT0, GL_AMBIENT, white);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
  glLightfv(GL_LIGHT0, GL_SPECULAR, white);
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

  buildBenchSphere(mesh);

  loadColorMap(DataFiles::find("cheap brick.bmp").c_str());
  loadBumpMap(DataFiles::find("bumptest.bmp").c_str());
  gui->updateTextureIDs(static_cast<int>(colorTexture.id), static_cast<int>(normalTexture.id));

  GLfloat const none[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, none);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, white);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 10.0f);
  Texture::unbind();

  if (!shaderSystem.init()) throw Exception() << "shaderSystem.init()";

  std::string error;
  struct Stage {
    ShaderFile& file;
    char const* name;
    char const* kind;
  } const stages[] = {{fragFile, fragShaderName, "Frag"}, {vertFile, vertShaderName, "Vert"}};
  for (Stage const& s : stages) {
    std::string const path = DataFiles::find(s.name);
    if (s.file.read(path, error)) continue;
    std::fprintf(stderr, "%s\nthe bench looks for its data files in %s; start it in the data/ folder "
                 "(./scripts/run does) or name the folder with --data\n",
                 error.c_str(), DataFiles::places().c_str());
    throw Exception() << s.kind << " shader filename " << path
                      << (error.find("empty") != std::string::npos ? " is empty!" : " has no data!");
  }
  fragSource = fragFile.text();
  std::string const from = fragFile.path().substr(0, fragFile.path().size() - std::string(fragShaderName).size());
  if (!from.empty()) con << "data files from " << from << "\n";

  timer.init();
  con.setInterpreter(&runner);
  lastWatch = seconds();
  lastStatus = lastWatch - statusInterval;  // the cost line fills in on the first frame
  regenFragmentShader();
}

std::string ShaderTestModule::macrosFor(unsigned set) const { return macrosFor(set, gui ? gui->iterativeSteps : 32); }

std::string ShaderTestModule::macrosFor(unsigned set, int steps) const {
  return Techniques::macroString(set, steps, gui ? gui->refineSteps : 6);
}

unsigned ShaderTestModule::panelSet() const { return gui ? static_cast<unsigned>(gui->techniqueFlags) : 0u; }

float ShaderTestModule::polyThickness() const { return gui ? gui->polyThickness : 0.5f; }

std::unique_ptr<ReliefProgram> ShaderTestModule::buildProgram(std::string const& macros, std::string& log) {
  if (macros.find("RELAXED_CONE") != std::string::npos) coneTexture.update(normalTexture);
  std::unique_ptr<ReliefProgram> p(new ReliefProgram);
  if (!p->build({vertFile.path(), vertFile.text()}, {fragFile.path(), fragFile.text()}, macros)) {
    log = p->log();
    return nullptr;
  }
  p->setUniforms(polyThickness(), coneTexture.width(), coneTexture.height());
  return p;
}

void ShaderTestModule::reportBuildFailure(std::string const& what, std::string const& log) {
  std::fprintf(stderr, "shader error (%s):\n%s", what.c_str(), log.c_str());
  con << "shader error (" << what << "); the last good program keeps drawing:\n" << log;
  if (!con.isVisible()) con.toggle();
  broken = true;
  if (gui) gui->showShaderError(true);
}

void ShaderTestModule::regenFragmentShader() {
  std::string const macros = gui ? gui->macroString() : std::string();
  std::cout << "rebuilding with macro strings:\n" << macros << "\n";
  programUsesCones = macros.find("RELAXED_CONE") != std::string::npos;
  if (programUsesCones) coneTexture.update(normalTexture);
  warnIfNoGradientLookups(panelSet());
  std::cout.flush();
  std::unique_ptr<ReliefProgram> next(new ReliefProgram);
  bool const ok = next->build({vertFile.path(), vertFile.text()}, {fragFile.path(), fragFile.text()}, macros);
  next->printLog();
  if (ok) {
    program = std::move(next);
    broken = false;
    if (gui) gui->showShaderError(false);
  } else {
    reportBuildFailure(Techniques::name(panelSet()), next->log());
  }
  // Set B follows the panel's step count.
  if (compare.active() && gui && compare.steps() != gui->iterativeSteps) rebuildCompareProgram();
  resetFragmentShaderUniforms();
}

void ShaderTestModule::resetFragmentShaderUniforms() {
  if (program) program->setUniforms(polyThickness(), coneTexture.width(), coneTexture.height());
  if (compare.active()) compare.program()->setUniforms(polyThickness(), coneTexture.width(), coneTexture.height());
  ShaderProgram::useNone();
}

bool ShaderTestModule::loadShaderFile(bool vertex, std::string const& path) {
  ShaderFile& file = vertex ? vertFile : fragFile;
  std::string error;
  if (!file.read(path, error)) {
    con << error << "\n";
    return false;
  }
  if (!vertex) fragSource = file.text();
  con << "using " << path << " as the " << (vertex ? "vertex" : "fragment") << " shader\n";
  reloadShaders();
  return true;
}

void ShaderTestModule::reloadShaders() {
  for (ShaderFile* f : {&vertFile, &fragFile}) {
    std::string error;
    if (!f->reread(error)) {
      reportBuildFailure(f->path(), error + "\n");
      return;
    }
  }
  fragSource = fragFile.text();
  regenFragmentShader();
  rebuildCompareProgram();
}

void ShaderTestModule::rebuildCompareProgram() {
  if (!compare.active() || broken) return;
  int const steps = gui ? gui->iterativeSteps : 32;
  std::string log;
  std::unique_ptr<ReliefProgram> b = buildProgram(macrosFor(compare.setB()), log);
  if (b)
    compare.replaceProgram(steps, std::move(b));
  else
    reportBuildFailure("set B, " + Techniques::name(compare.setB()), log);
}

void ShaderTestModule::watchShaderFiles() {
  double const now = seconds();
  if (now - lastWatch < watchInterval) return;
  lastWatch = now;
  if (vertFile.changedOnDisk() || fragFile.changedOnDisk()) {
    con << "shader files changed on disk: rebuilding\n";
    reloadShaders();
  }
}

void ShaderTestModule::refreshBumpMap() {
  BumpMap::gen(bumpTexture, normalTexture, gui ? gui->bumpHeight : 100.0f);
  coneTexture.invalidate();
  if (programUsesCones) coneTexture.update(normalTexture);
  resetFragmentShaderUniforms();  // the cone map's size may have changed
  // Regeneration may hand the normal map a new GL name: keep the panel's
  // display showing the current one.
  if (gui && gui->hasTextureDisplays())
    gui->updateTextureIDs(static_cast<int>(colorTexture.id), static_cast<int>(normalTexture.id));
}

void ShaderTestModule::loadColorMap(char const* filename) {
  if (!colorTexture.load2D(filename)) {
    std::cout << "failed to load the texture map " << filename << std::endl;
    return;
  }
  if (gui && gui->hasTextureDisplays())
    gui->updateTextureIDs(static_cast<int>(colorTexture.id), static_cast<int>(normalTexture.id));
}

void ShaderTestModule::loadBumpMap(char const* filename) {
  if (bumpTexture.load2D(filename))
    refreshBumpMap();
  else
    std::cout << "failed to load bumpmap " << filename << std::endl;
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
  pwn::Object* focus = pwn::g_menuSys.getFocus();
  return gui && focus && focus->getAllowFocus();
}

void ShaderTestModule::update() {
  frameStart = seconds();
  ++frameCount;
  updateStatusLine();  // from the frames before this one, before the panel is drawn
  runner.update();
  if (frameLimit > 0 && frameCount >= frameLimit && runner.idle()) sys.requestExit();
  watchShaderFiles();

  if (compare.active()) {
    Viewport const* vp = base.getTopViewAt(mouse.getPos());
    if (!vp) vp = base.mainViewport;
    float const w = static_cast<float>(vp->rect.max.x - vp->rect.min.x);
    float const x = static_cast<float>(mouse.getPos().x - vp->rect.min.x) / std::max(w, 1.0f);
    bool const keysFree = !con.isVisible() && !takesKeyboard();
    compare.handleInput(x, mouse.getButtonState(2), keysFree && kbd.getKeyState('b') == 2, frameStart);
  }

  bool const guiUsedInput = pwn::menuSys->getInput();
  // A press that lands on a panel widget belongs to the panel for as long as the
  // button is held: a hand that wobbles while clicking a checkbox must not drag
  // the light along.
  if (mouse.getButtonState(0) == 2) pressOnPanel = pressLandedOnPanel();
  if (guiUsedInput) return;
  dragLight();
}

void ShaderTestModule::dragLight() {
  Viewport* vp = base.mainViewport;
  if (!vp) return;
  View const* view = vp->view;
  if (!view) return;
  if (mouse.getButtonState(0) != 1 || pressOnPanel) return;
  _vec<2, int> const m = mouse.getMove();
  if (m.x == 0 && m.y == 0) return;

  _vec<3, float> const p1 = vp->getPixelPos(mouse.getPos());
  _vec<3, float> const p0 = vp->getPixelPos(mouse.getPos() - m);
  _vec<3, float> d = p1 - p0;

  _vec<3, float> const fwd = view->basis.orient.xAxis();
  _vec<3, float> const light(lightPos.x, lightPos.y, lightPos.z);
  float const depth = dot(light - view->basis.pos, fwd);
  d = d * (depth / view->nearClip);

  if (kbd.getKeyState(Key::LSHIFT) != 0) {
    _vec<3, float> const up = view->basis.orient.zAxis();
    d = fwd * dot(d, up);
  }
  lightPos.x += d.x;
  lightPos.y += d.y;
  lightPos.z += d.z;
}

void ShaderTestModule::drawSphere(ReliefProgram* prog, bool timed) {
  glEnable(GL_CULL_FACE);
  colorTexture.bind(0);
  normalTexture.bind(1);
  if (coneTexture.ready()) {
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, coneTexture.name());
    glActiveTexture(GL_TEXTURE0);
  }
  ReliefProgram* const p = prog ? prog : program.get();
  if (timed) timer.begin();
  if (p) p->use();
  mesh.render();
  ShaderProgram::useNone();
  if (timed) timer.end();
  if (coneTexture.ready()) {
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
  }
  Texture::unbindAll();
}

void ShaderTestModule::warnIfNoGradientLookups(unsigned set) {
  static bool warned = false;
  if (warned || !(set & (Techniques::AdaptiveSteps | Techniques::EarlyExit))) return;
  char const* all = reinterpret_cast<char const*>(glGetString(GL_EXTENSIONS));
  if (all && std::strstr(all, "GL_ARB_shader_texture_lod")) return;
  warned = true;
  con << "this GL has no gradient lookups (GL_ARB_shader_texture_lod): ADAPTIVE_STEPS and EARLY_EXIT "
         "march the full length\n";
}

void ShaderTestModule::drawMainViewInto(OffscreenTarget& target, ReliefProgram* prog, bool transparent) {
  View const* view = base.mainViewport ? base.mainViewport->view : nullptr;
  if (!view) return;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glDisable(GL_SCISSOR_TEST);
  if (transparent) {
    glDisable(GL_BLEND);
    glClearColor(0, 0, 0, 0);
  }
  target.bind();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  view->setupView(View::ALL, static_cast<float>(target.height()) / static_cast<float>(target.width()));
  glLightfv(GL_LIGHT0, GL_POSITION, &lightPos.x);
  drawSphere(prog, false);
  target.unbind();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}

void ShaderTestModule::render(Viewport const* viewport, View const*) {
  // A frame that only catches up with queued input is never shown: its scene,
  // screenshots and timings wait for the next frame that is.
  if (sys.isCatchingUp()) return;
  std::vector<Viewport*> const& shown = base.activeViewports;
  bool const first = shown.empty() || shown.front() == viewport;
  bool const last = shown.empty() || shown.back() == viewport;
  if (first) timer.beginFrame(frameCount);

  glLightfv(GL_LIGHT0, GL_POSITION, &lightPos.x);

  glColor3f(1.0f, 1.0f, 1.0f);
  glPointSize(5.0f);
  glBegin(GL_POINTS);
  glVertex3f(lightPos.x, lightPos.y, lightPos.z);
  glEnd();
  glPointSize(1.0f);

  double const now = seconds();
  bool const comparing = compare.active() && !measuring;
  if (comparing && !compare.blinking()) {
    // Set A left of the wipe, set B right of it, each clipped to its side.
    _box<2, int> const& r = viewport->rect;
    int const split = r.min.x + static_cast<int>(compare.wipe() * static_cast<float>(r.max.x - r.min.x) + 0.5f);
    glPushAttrib(GL_SCISSOR_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(r.min.x, r.min.y, split - r.min.x, r.max.y - r.min.y);
    drawSphere(program.get(), true);
    glScissor(split, r.min.y, r.max.x - split, r.max.y - r.min.y);
    drawSphere(compare.program(), true);
    glPopAttrib();
  } else {
    drawSphere(comparing && compare.showsB(now) ? compare.program() : program.get(), true);
  }

  if (!last) return;
  timer.endFrame();
  if (gui) gui->display();
  if (comparing) {
    _vec<2, int> const& win = disp.getSize();
    Overlay::begin(win.x, win.y);
    for (Viewport const* vp : shown) {
      _box<2, int> const& r = vp->rect;
      compare.drawOverlay(static_cast<float>(r.min.x), static_cast<float>(win.y - r.max.y),
                          static_cast<float>(r.max.x - r.min.x), static_cast<float>(r.max.y - r.min.y),
                          Techniques::name(panelSet()), now);
    }
    Overlay::end();
  }
  takeScreenshots();

  // The frame's own CPU time, less any wait for the GPU in the timer's brackets.
  cpuMs.emplace_back(frameCount, (seconds() - frameStart) * 1000.0 - timer.waitedThisFrame());
  while (cpuMs.size() > 512) cpuMs.pop_front();
  runner.frameDrawn();
}

std::string ShaderTestModule::costLine() const {
  std::vector<double> gpu, cpu;
  auto const& g = timer.results();
  for (auto it = g.rbegin(); it != g.rend() && gpu.size() < statusFrames; ++it) gpu.push_back(it->second);
  for (auto it = cpuMs.rbegin(); it != cpuMs.rend() && cpu.size() < statusFrames; ++it) cpu.push_back(it->second);
  if (gpu.empty() && cpu.empty()) return "GPU - ms  CPU - ms";
  char line[96];
  std::snprintf(line, sizeof line, "GPU %.2f ms  CPU %.2f ms", Stats::median(gpu), Stats::median(cpu));
  return line;
}

std::string ShaderTestModule::viewDescription() const {
  Viewport const* vp = base.mainViewport;
  int const w = vp ? vp->rect.max.x - vp->rect.min.x : 0, h = vp ? vp->rect.max.y - vp->rect.min.y : 0;
  char const* renderer = reinterpret_cast<char const*>(glGetString(GL_RENDERER));
  return std::to_string(w) + "x" + std::to_string(h) + " view, GL renderer " + (renderer ? renderer : "unknown");
}

void ShaderTestModule::updateStatusLine() {
  double const now = seconds();
  if (!gui || now - lastStatus < statusInterval) return;
  lastStatus = now;
  gui->setStatus(costLine());
}

void ShaderTestModule::requestScreenshot(std::string const& filename) { screenshotFiles.push_back(filename); }

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
  compare.stop();
  if (gui) gui.reset();
  colorTexture.unload();
  bumpTexture.unload();
  normalTexture.unload();
  coneTexture.unload();
  program.reset();
  timer.shutdown();
  lightPos = initialLightPos;
  broken = false;
  BaseModule::shutdown();
}
