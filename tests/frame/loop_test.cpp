// The engine's frame run headless through the SDL backend: input arrives as real
// SDL events, the clock is driven by the test, the module records what it draws.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/base.h"
#include "base/basecvars.h"
#include "base/basemodule.h"
#include "base/console.h"
#include "base/cvarsys.h"
#include "math/mat.h"
#include "sdlsystem/sdlsystem.h"
#include "system/glext.h"
#include "testsupport/sdlevents.h"

namespace {

int const W = 800, H = 600;
typedef _vec<3, float> V3;
typedef _box<2, int> Rect;

struct DrivenTimer : PHiResTimer {
  void init() override {}
  double getTime() override { return now; }
  double now = 100.0;
} clock_;

// Where p lands in normalised device coordinates under the current GL matrices.
V3 project(V3 const& p) {
  GLfloat P[16], M[16], e[4], c[4];
  glGetFloatv(GL_PROJECTION_MATRIX, P);
  glGetFloatv(GL_MODELVIEW_MATRIX, M);
  for (int r = 0; r < 4; ++r) e[r] = M[r] * p.x + M[4 + r] * p.y + M[8 + r] * p.z + M[12 + r];
  for (int r = 0; r < 4; ++r) c[r] = P[r] * e[0] + P[4 + r] * e[1] + P[8 + r] * e[2] + P[12 + r] * e[3];
  return V3(c[0] / c[3], c[1] / c[3], c[2] / c[3]);
}

// One render: view, GL viewport, scissor box (empty when off), probe point landed.
struct Drawn { int view; Rect box, clip; V3 ndc; };

struct RecordingModule : BaseModule {
  void init() override { sys.setInitSize(_vec<2, int>(W, H)), BaseModule::init(); }
  void update() override { ++updates; }
  void render(Viewport const*, View const* v) override {
    GLint b[4], s[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, b);
    if (glIsEnabled(GL_SCISSOR_TEST)) glGetIntegerv(GL_SCISSOR_BOX, s);
    drawn.push_back({int(v - base.views), Rect(b[0], b[1], b[0] + b[2], b[1] + b[3]),
                     Rect(s[0], s[1], s[0] + s[2], s[1] + s[3]), project(probe)});
  }
  int updates = 0;
  V3 probe;
  std::vector<Drawn> drawn;
} module;

void expectNear(V3 const& a, V3 const& b, std::string const& what = "") {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], 1e-4f) << what << " [" << i << "]";
}

void expectDrawn(std::vector<Drawn> const& want) {
  ASSERT_EQ(module.drawn.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(module.drawn[i].view, want[i].view) << i;
    EXPECT_EQ(module.drawn[i].box, want[i].box) << i;
    EXPECT_EQ(module.drawn[i].clip, want[i].clip) << i;
    expectNear(module.drawn[i].ndc, want[i].ndc, "probe of view " + std::to_string(want[i].view));
  }
}

}  // namespace

BaseModule* RegisterApplication() { return &module; }

class FrameLoop : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    sdlBindSingletons();
    module.init();
    timer.setImp(&clock_);
    sdlSys.setLoopFunc(base_loopCallback);
  }
  static void TearDownTestSuite() { module.shutdown(); }
  void SetUp() override {
    kbd.reset();
    sdlSys.exitRequested = false;
    base.reset();
    base.loopCallback = &module;
    base.initViews();
    base.initViewports();
    mainView().reset();
    base.setScene(&module);
    testevents::drain();  // window events; the first frames also size the viewports
    pointAt(W / 2, H / 2);
    module.updates = 0;
    module.drawn.clear();
  }

  // One pass of the platform loop, dt seconds after the previous one.
  static bool pass(double dt = 0.01) {
    clock_.now += dt;
    return sdlSys.pass();
  }
  static bool key(SDL_Scancode sc, bool down, double dt = 0.01) {
    testevents::key(down ? SDL_KEYDOWN : SDL_KEYUP, sc);
    return pass(dt);
  }
  // Held for one frame of dt seconds, then released in a frame of no time.
  static void tap(SDL_Scancode sc, double dt = 0.1) {
    key(sc, true, dt);
    key(sc, false, 0.0);
  }
  // The pointer to window pixel (x, y), origin bottom-left.
  static void pointAt(int x, int y) {
    testevents::motion(x, (H - 1) - y, 0);
    pass();
  }
  static View& mainView() { return base.views[Base::VIEW_MAIN]; }
};

// Every drawn view once per frame, in its own GL viewport (a quarter clipped to
// it), through its camera: the probe lands where the camera's pose and extents put it.
TEST_F(FrameLoop, EachViewIsDrawnOnceInItsViewportThroughItsCamera) {
  module.probe = V3(12, 3, -4.5f);
  base.restoreViewports();
  ASSERT_TRUE(pass());
  Rect const tl(0, 300, 400, 600), tr(400, 300, 800, 600), bl(0, 0, 400, 300), br(400, 0, 800, 300);
  expectDrawn({{Base::VIEW_FRONT, tl, tl, V3(0.8f, -0.4f, -0.9931986f)},
               {Base::VIEW_SIDE, tr, tr, V3(-0.2f, -0.4f, -0.9895979f)},
               {Base::VIEW_TOP, bl, bl, V3(0.8f, 0.2666667f, -0.9925985f)},
               {Base::VIEW_MAIN, br, br, V3(-0.25f, -0.5f, 0.8339446f)}});

  // Turned to look along +Y: the probe is 10 ahead, 2 to the left and 3 up.
  base.restoreViewports();
  mainView().basis = _basis<V3, _quat<float> >(angleAxisToQuat(0, 0, 1, 90), V3(1, 2, 3));
  module.probe = V3(-1, 12, 6);
  module.drawn.clear();
  base.loopFunc = [] { ++module.updates; };
  ASSERT_TRUE(pass());
  EXPECT_EQ(module.updates, 3);  // the callback once per frame, the frame function once
  expectDrawn({{Base::VIEW_MAIN, Rect(0, 0, W, H), Rect(), V3(-0.2f, 0.4f, 0.8006002f)}});

  // A view without a scene is cleared, not drawn. The clear colour line sets
  // the components it names; the others stay black.
  cvarSys->exec("clearColor 1");
  mainView().scene = nullptr;
  module.drawn.clear();
  sdlSys.preUpdate();
  base.doLoop();
  unsigned char px[4] = {0, 0, 0, 0};
  glReadPixels(790, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
  EXPECT_EQ(std::vector<int>(px, px + 4), (std::vector<int>{255, 0, 0, 255}));
  EXPECT_TRUE(module.drawn.empty());
  sdlSys.postUpdate();
  cvarSys->exec("clearColor 0 0 0 1");
}

// Per key, from a camera looking along +Y (its left is world -X), half sizes 2
// by 3, camSpeed 2, camRot 90, camZoom 0.5: held dt seconds (0.1 s at most count),
// with another held around it, it moves, turns, zooms or picks a speed preset.
TEST_F(FrameLoop, CameraKeys) {
  float const c = std::cos(float(M_PI) / 20), s = std::sin(float(M_PI) / 20);
  float const in = std::pow(0.5f, 0.1f);
  V3 const O, F(0, 1, 0), U(0, 0, 1);
  struct Row { char const *with, *key; int mode; double dt; V3 pos, fwd, up; float w, h, speed, rot; };
  Row const rows[] = {
      {"", "E", 1, 5, {0, .2f, 0}, F, U, 2, 3, 2, 90}, {"", "D", 1, .05, {0, -.1f, 0}, F, U, 2, 3, 2, 90},
      {"", "S", 1, .1, {-.2f, 0, 0}, F, U, 2, 3, 2, 90}, {"", "F", 1, .1, {.2f, 0, 0}, F, U, 2, 3, 2, 90},
      {"", "R", 1, .1, {0, 0, .2f}, F, U, 2, 3, 2, 90}, {"", "V", 1, .1, {0, 0, -.2f}, F, U, 2, 3, 2, 90},
      {"", "I", 1, .1, O, {0, c, -s}, {0, s, c}, 2, 3, 2, 90},
      {"", "K", 1, .1, O, {0, c, s}, {0, -s, c}, 2, 3, 2, 90},
      {"", "J", 1, .1, O, {-s, c, 0}, U, 2, 3, 2, 90}, {"", "L", 1, .1, O, {s, c, 0}, U, 2, 3, 2, 90},
      {"", "O", 1, .1, O, F, {s, 0, c}, 2, 3, 2, 90}, {"", "U", 1, .1, O, F, {-s, 0, c}, 2, 3, 2, 90},
      {"", "W", 0, .1, O, F, U, 2 * in, 3 * in, 2, 90}, {"", "W", 1, .1, O, F, U, 2 * in, 3, 2, 90},
      {"", "W", 2, .1, O, F, U, 2, 3 * in, 2, 90}, {"", "X", 0, .1, O, F, U, 2 / in, 3 / in, 2, 90},
      {"W", "X", 0, .1, O, F, U, 2, 3, 2, 90}, {"", "1", 1, .1, O, F, U, 2, 3, .1f, 90},
      {"", "0", 1, .1, O, F, U, 2, 3, 100, 90}, {"Left Shift", "1", 1, .1, O, F, U, 2, 3, 2, .3f},
      {"Right Shift", "2", 1, .1, O, F, U, 2, 3, 2, 2.25f}};
  View& v = mainView();
  for (Row const& r : rows) {
    SCOPED_TRACE(std::string(r.with) + " " + r.key);
    SDL_Scancode const with = SDL_GetScancodeFromName(r.with);
    v.set(&module, false, 2, 3, r.mode, 1, 3000, O, angleAxisToQuat(0, 0, 1, 90));
    base.camSpeed = 2, base.camRot = 90;
    if (with) key(with, true, 0.0);
    tap(SDL_GetScancodeFromName(r.key), r.dt);
    if (with) key(with, false, 0.0);
    expectNear(v.basis.pos, r.pos);
    expectNear(v.basis.orient.xAxis(), r.fwd);
    expectNear(v.basis.orient.zAxis(), r.up);
    expectNear(V3(v.width, v.height, 0), V3(r.w, r.h, 0), "half sizes");
    EXPECT_EQ(std::make_pair(base.camSpeed, base.camRot), std::make_pair(r.speed, r.rot));
  }
  // A zoom factor of 0 typed into the console does not collapse the view;
  // backslash toggles recording.
  base.camZoom = 0.0f;
  tap(SDL_SCANCODE_W);
  EXPECT_EQ(v.width, 2.0f);
  testing::internal::CaptureStdout();
  tap(SDL_SCANCODE_BACKSLASH);
  pass();
  EXPECT_TRUE(Base::dumping);
  tap(SDL_SCANCODE_BACKSLASH);
  EXPECT_TRUE(testing::internal::GetCapturedStdout() == "begin recording\nend recording\n" && !Base::dumping);
}

// With camKeys off, or with the pointer outside every viewport (moved there,
// or out of the window), the camera keys do nothing. Super + q still quits, in the frame of the q's press (a tap
// quits), also with the console open; a q pressed before the command key is no chord.
TEST_F(FrameLoop, CameraKeysIgnoredButQuitWorks) {
  for (int way = 0; way < 3; ++way) {
    base.camKeys = way != 0;
    if (way == 1) pointAt(W + 50, H - 11);
    if (way == 2) pointAt(W / 2, H / 2), testevents::window(SDL_WINDOWEVENT_LEAVE), pass();
    tap(SDL_SCANCODE_E);
    EXPECT_EQ(mainView().basis.pos, V3()) << way;
  }
  // 'q' alone does nothing, nor the command key pressed after it
  EXPECT_TRUE(key(SDL_SCANCODE_Q, true) && pass() && key(SDL_SCANCODE_LGUI, true) && pass() && key(SDL_SCANCODE_Q, false));
  for (bool console : {false, true}) {  // the grave opens the console, then closes it for the tests after this one
    if (console) { EXPECT_TRUE(key(SDL_SCANCODE_LGUI, true)); }
    EXPECT_FALSE(key(SDL_SCANCODE_Q, true)) << console;  // the q's press, not yet its second frame
    sdlSys.exitRequested = false;
    key(SDL_SCANCODE_Q, false), key(SDL_SCANCODE_LGUI, false);
    tap(SDL_SCANCODE_GRAVE);
    EXPECT_EQ(con.isVisible(), !console);
  }
}

// The pick ray: from a perspective camera through the pixel's point on the near
// plane; in an orthographic view along its forward axis from one near distance
// behind that plane; outside every viewport it stays. The keys act on the view
// under the pointer: forward zooms an orthographic view in, space shows it alone.
TEST_F(FrameLoop, PickRayAndTheViewUnderThePointer) {
  mainView().basis.pos = V3(5, -3, 2);
  pointAt(600, 450);  // half the half-width right of the centre, half the half-height up
  pass();
  expectNear(base.mouseLine.origin, V3(5, -3, 2), "perspective origin");
  expectNear(base.mouseLine.dir, V3(1, -0.5f, 0.375f), "perspective direction");

  tap(SDL_SCANCODE_SPACE);
  pass();  // held and released frames do not toggle again
  ASSERT_EQ(base.activeViewports.size(), 4u);
  View& side = base.views[Base::VIEW_SIDE];
  side.nearClip = 2.0f;
  pointAt(700, 375);  // 3/4 across and 1/4 up the top-right quarter: the side view
  pass();
  expectNear(base.mouseLine.dir, V3(2, 0, 0), "orthographic direction");
  expectNear(base.mouseLine.origin, V3(-15, -7.5f, -5.625f), "orthographic origin");
  pointAt(W + 1, 0);
  expectNear(base.mouseLine.origin, V3(-15, -7.5f, -5.625f), "outside");

  pointAt(700, 375);
  key(SDL_SCANCODE_E, true, 0.1);
  expectNear(side.basis.pos, V3(-14.9f, 0, 0), "moved along its forward axis");
  EXPECT_FLOAT_EQ(side.width, 15.0f * expf(-0.01f * 0.1f));
  EXPECT_EQ(side.height, 15.0f);
  key(SDL_SCANCODE_E, false, 0.0);
  tap(SDL_SCANCODE_SPACE);
  EXPECT_TRUE(base.isFullscreen() && base.viewports[Base::VP_FULL].view == &side);
}

// Refreshed as the clock enters a new second: frames over time since the last.
TEST_F(FrameLoop, FrameRate) {
  Base::lasttime = -1.0;
  Base::framecount = 0;
  clock_.now = 200.5;
  displayFPS = 1;
  for (double dt : {0.0, 0.1, 0.1, 0.1}) pass(dt);
  EXPECT_NEAR(static_cast<float>(currentFPS), 1.0f / 201.5f, 1e-6f);
  pass(0.3);  // 201.1: four frames in 0.6 s
  displayFPS = 0;
  EXPECT_NEAR(static_cast<float>(currentFPS), 4.0f / 0.6f, 1e-3f);
  EXPECT_NE(std::string(con.getText()).find("FPS: 6.6666"), std::string::npos);
}

// The engine's start-up, and its console lines: error without a message is ignored,
// the camera variables set the engine's, the GL state lines the GL state (a
// cullFace value other than 0, 1 or 2 enables culling, face unchanged).
TEST_F(FrameLoop, StartUpAndEngineCommands) {
  EXPECT_TRUE(found_GL_ARB_texture_cube_map);  // the driver has it
  EXPECT_NO_THROW(cvarSys->exec("error"));
  for (char const* line : {"camSpeed 2.5", "camRot 45", "camZoom 0.25", "camKeys 0"}) cvarSys->exec(line);
  EXPECT_TRUE(base.camSpeed + base.camRot + base.camZoom == 47.75f && !base.camKeys);

  struct Row { char const* line; GLenum query; GLint expected; };
  Row const rows[] = {
      {"polygonMode 1", GL_POLYGON_MODE, GL_LINE}, {"polygonMode 0", GL_POLYGON_MODE, GL_POINT},
      {"polygonMode 7", GL_POLYGON_MODE, GL_FILL}, {"cullFace 2", GL_CULL_FACE, GL_TRUE},
      {"cullFace 2", GL_CULL_FACE_MODE, GL_FRONT}, {"cullFace 0", GL_CULL_FACE, GL_FALSE},
      {"cullFace 9", GL_CULL_FACE, GL_TRUE}, {"cullFace 9", GL_CULL_FACE_MODE, GL_FRONT},
      {"cullFace 1", GL_CULL_FACE_MODE, GL_BACK}, {"cullFace 0", GL_CULL_FACE, GL_FALSE},
      {"depthTest 1", GL_DEPTH_TEST, GL_TRUE}, {"depthTest 0", GL_DEPTH_TEST, GL_FALSE}};
  for (Row const& r : rows) {
    cvarSys->exec(r.line);
    GLint got[2] = {-1, -1};
    glGetIntegerv(r.query, got);
    EXPECT_EQ(got[0], r.expected) << r.line;
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
