// ShaderTestModule: start-up, the per-frame light drag, drawing, the panel's
// requests (shader rebuilds, uniform resets, normal-map regeneration, map
// loading) and shutdown.
#include "ShaderScene.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "BumpMap.h"
#include "ShaderGui.h"
#include "Screenshot.h"
#include "base/base.h"
#include "base/console.h"
#include "base/cvarsys.h"
#include "base/exception.h"
#include "base/filebuffer.h"
#include "base/view.h"
#include "base/viewport.h"
#include "math/mat.h"
#include "math/quat.h"
#include "menu/menusystem.h"
#include "shader/shadersystem.h"
#include "system/glext.h"
#include "system/keyboard.h"
#include "system/mouse.h"
#include "system/system.h"

ShaderTestModule shaderTestModule;

BaseModule* RegisterApplication() { return &shaderTestModule; }

_vec<4, float> const ShaderTestModule::initialLightPos(-7.60227f, 0.788751f, 0.296831f, 1.0f);

namespace {

char const* const vertShaderFile = "shaders/basic bumpmap.vert";
char const* const fragShaderFile = "shaders/iterative parallax.frag";

void printUsage(char const* program) {
  std::printf(
      "usage: %s [options]\n"
      "Runs the relief-shading test bench; reads its data files from the working directory.\n"
      "  --exec LINE   run a console line after start-up (repeatable, run in order)\n"
      "  --frames N    quit after N frames\n"
      "  --help        show this text and exit\n",
      program);
}

}  // namespace

ShaderTestModule::ShaderTestModule()
    : gui(nullptr), lightPos(initialLightPos), frameLimit(0), frameCount(0), pressOnPanel(false) {}

// A panel still alive here means the program is ending without shutdown() (an
// exit from inside the window system, say). The menu system it would shut down
// may already be destroyed, so it is left to the process's end.
ShaderTestModule::~ShaderTestModule() { gui = nullptr; }

void ShaderTestModule::parseArguments() {
  execLines.clear();
  frameLimit = 0;
  int const n = sys.getArgCount();
  for (int i = 1; i < n; ++i) {
    std::string const arg = sys.getArg(i);
    if (arg == "--help" || arg == "-h") {
      printUsage(sys.getArg(0).c_str());
      std::exit(0);
    } else if (arg == "--exec" && i + 1 < n) {
      execLines.push_back(sys.getArg(++i));
    } else if (arg == "--frames" && i + 1 < n) {
      char* end = nullptr;
      std::string const value = sys.getArg(++i);
      long const frames = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || frames <= 0) throw Exception() << "--frames needs a positive number of frames, not \"" << value << "\"";
      frameLimit = frames;
    } else {
      throw Exception() << "unknown option \"" << arg << "\" (try --help)";
    }
  }
}

void ShaderTestModule::buildSphere() {
  // A 32 x 32 grid of latitude/longitude vertices, row 0 at the north pole; the
  // last column repeats the first with u = 32 as the texture seam. All vertices
  // go in before the triangles that join row i to row i + 1, which keeps every
  // index valid when it is added; the arrays come out the same either way.
  mesh.reset();
  for (int i = 0; i < 32; ++i) {
    for (int j = 0; j < 32; ++j) {
      float const a = static_cast<float>(i) / 31.0f;
      float const latitude = (a + a - 1.0f) * 90.0f;
      float const v = a * -16.0f;
      float const b = static_cast<float>(j) / 31.0f;
      float const longitude = b * 360.0f;
      float const u = b * 32.0f;
      _vec<3, float> p(1.0f, 0.0f, 0.0f);
      p = mat33Rot(_vec<3, float>(0.0f, 1.0f, 0.0f), latitude) * p;
      p = mat33Rot(_vec<3, float>(0.0f, 0.0f, 1.0f), longitude) * p;
      p = p * 4.0f;
      mesh.addVtx(p.x, p.y, p.z, u, v);
    }
  }
  for (int i = 0; i <= 30; ++i) {
    for (int j = 0; j <= 30; ++j) {
      int const k = 32 * i + j;
      mesh.addTri(k, k + 32, k + 33);
      mesh.addTri(k + 33, k + 1, k);
    }
  }
  mesh.computeBasii();
}

void ShaderTestModule::init() {
  parseArguments();
  frameCount = 0;

  sys.setInitSize(_vec<2, int>(800, 600));
  BaseModule::init();

  con.font.load2D("font.bmp");

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

  gui = new ShaderGui(this);
  if (!gui) throw Exception() << "ShaderGui";
  if (!gui->init()) throw Exception() << "ShaderGui init";

  base.views[Base::VIEW_MAIN].set(this, false, 0.1f, 0.1f, 1, 0.1f, 500.0f,
                                  _vec<3, float>(-55.306f, 0.000232944f, 14.3633f),
                                  _quat<float>(-0.700785f, 0.0943430f, 0.0943405f, 0.700785f));
  base.camSpeed = 10.0f;
  base.camRot = 7.5f;

  buildSphere();

  loadColorMap("cheap brick.bmp");
  loadBumpMap("bumptest.bmp");
  gui->updateTextureIDs(static_cast<int>(colorTexture.id), static_cast<int>(normalTexture.id));

  GLfloat const none[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, none);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, white);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 10.0f);
  Texture::unbind();

  if (!shaderSystem.init()) throw Exception() << "shaderSystem.init()";

  FileBuffer buffer(fragShaderFile);
  if (!buffer.data)
    std::fprintf(stderr,
                 "the bench reads its shaders and pictures from the working directory: "
                 "start it in the data/ folder (./scripts/run does)\n");
  if (!buffer.data) throw Exception() << "Frag shader filename " << fragShaderFile << " has no data!";
  if (buffer.size == 0) throw Exception() << "Frag shader filename " << fragShaderFile << " is empty!";
  fragSource.assign(buffer.data, static_cast<size_t>(buffer.size));
  buffer.unload();

  vertShader.createFromSource(vertShaderFile, GL_VERTEX_SHADER, nullptr);
  fragShader.create(GL_FRAGMENT_SHADER);
  fragShader.setSource(fragSource.c_str());
  fragShader.compile();
  program.create();
  program.attach(fragShader);
  program.attach(vertShader);

  regenFragmentShader();
}

void ShaderTestModule::regenFragmentShader() {
  std::string const macros = gui ? gui->macroString() : std::string();
  std::cout << "rebuilding with macro strings:\n" << macros << "\n";
  std::cout.flush();
  std::string const source = macros + fragSource;
  fragShader.setSource(source.c_str());
  fragShader.compile();
  program.link();
  program.printLog();
  resetFragmentShaderUniforms();
}

void ShaderTestModule::resetFragmentShaderUniforms() {
  program.setUniform1i("colorMap", 0);
  program.setUniform1i("normalMap", 1);
  program.setUniform1f("polyThickness", gui ? gui->polyThickness : 0.5f);
  ShaderProgram::useNone();
}

void ShaderTestModule::refreshBumpMap() {
  BumpMap::gen(bumpTexture, normalTexture, gui ? gui->bumpHeight : 100.0f);
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

void ShaderTestModule::runStartupLines() {
  for (std::string const& line : execLines) {
    con.addString("> ");
    con.addString(line.c_str());
    con.addString("\n");
    cvarSys.validate();
    cvarSys->exec(line.c_str());
  }
}

void ShaderTestModule::update() {
  ++frameCount;
  // The viewports take the window's size at the end of the first frame, so the
  // start-up lines (which may take a screenshot) run from the second on.
  if (frameCount == 2 || (frameLimit == 1 && frameCount == 1)) runStartupLines();
  if (frameLimit > 0 && frameCount >= frameLimit) sys.requestExit();

  bool const guiUsedInput = pwn::menuSys->getInput();
  // A press that lands on a panel widget belongs to the panel for as long as the
  // button is held: a hand that wobbles while clicking a checkbox must not drag
  // the light along.
  if (mouse.getButtonState(0) == 2) pressOnPanel = pressLandedOnPanel();
  if (guiUsedInput) return;

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

void ShaderTestModule::render(Viewport const* viewport, View const*) {
  glLightfv(GL_LIGHT0, GL_POSITION, &lightPos.x);

  glColor3f(1.0f, 1.0f, 1.0f);
  glPointSize(5.0f);
  glBegin(GL_POINTS);
  glVertex3f(lightPos.x, lightPos.y, lightPos.z);
  glEnd();
  glPointSize(1.0f);

  glEnable(GL_CULL_FACE);
  colorTexture.bind(0);
  normalTexture.bind(1);
  program.use();
  mesh.render();
  ShaderProgram::useNone();
  Texture::unbindAll();

  if (gui) gui->display();

  // A requested screenshot is taken once the last view of the frame is drawn.
  if (!screenshotFile.empty() && !base.activeViewports.empty() &&
      base.activeViewports.back() == viewport)
    takeScreenshot();
}

void ShaderTestModule::requestScreenshot(std::string const& filename) { screenshotFile = filename; }

void ShaderTestModule::takeScreenshot() {
  std::string const file = screenshotFile;
  screenshotFile.clear();
  std::string why;
  if (writeWindowImage(file, why))
    con << "wrote " << file << "\n";
  else
    con << "could not write the screenshot " << why << "\n";
}

void ShaderTestModule::shutdown() {
  if (gui) {
    delete gui;
    gui = nullptr;
  }
  colorTexture.unload();
  bumpTexture.unload();
  normalTexture.unload();
  vertShader.destroy();
  fragShader.destroy();
  program.destroy();
  gui = nullptr;
  lightPos = initialLightPos;
  BaseModule::shutdown();
}
