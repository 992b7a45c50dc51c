// The engine's frame run headless through the SDL backend: input arrives as real
// SDL events, the clock is driven by the test, and the module counts its calls.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "base/basecvars.h"
#include "base/basemodule.h"
#include "base/console.h"
#include "base/cvarsys.h"
#include "math/mat.h"
#include "sdlsystem/sdlsystem.h"

namespace {

int const W = 800, H = 600;

// A clock that returns what the test sets.
class DrivenTimer : public PHiResTimer {
public:
  void init() override {}
  double getTime() override { return now; }
  double now = 100.0;
};

// Counts its calls and records, for every render, the view and the GL viewport.
class CountingModule : public BaseModule {
public:
  void init() override {
    sys.setInitSize(_vec<2, int>(W, H));
    BaseModule::init();
  }
  void update() override { ++updates; }
  void render(Viewport const* vp, View const* v) override {
    views.push_back(v);
    GLint box[4];
    glGetIntegerv(GL_VIEWPORT, box);
    glViewports.push_back(_box<2, int>(box[0], box[1], box[0] + box[2], box[1] + box[3]));
    rects.push_back(vp->rect);
    if (paint) fill(v);
  }
  // Covers the whole viewport in a colour that names the view: red for view 0,
  // green for 1, blue for 2, white for 3.
  void fill(View const* v) {
    static unsigned char const colours[4][3] = {
        {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    int i = static_cast<int>(v - base.views);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3ubv(colours[i]);
    glRectf(-1, -1, 1, 1);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
  }
  void clear() {
    updates = 0;
    views.clear();
    glViewports.clear();
    rects.clear();
  }
  int updates = 0;
  bool paint = false;
  std::vector<View const*> views;
  std::vector<_box<2, int> > glViewports;
  std::vector<_box<2, int> > rects;
};

CountingModule module;
DrivenTimer clock_;

void expectNear(_vec<3, float> const& a, _vec<3, float> const& b, char const* what) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], 1e-4f) << what << " [" << i << "]";
}

typedef _box<2, int> Rect;

// Reads one pixel of the frame just drawn (before it is presented).
std::vector<int> pixelAt(int x, int y) {
  unsigned char px[4] = {0, 0, 0, 0};
  glReadBuffer(GL_BACK);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
  return {px[0], px[1], px[2]};
}

}  // namespace

BaseModule* RegisterApplication() { return &module; }

class FrameLoop : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    sdlBindSingletons();
    module.init();
    timer.setImp(&clock_);
    base.setScene(&module);
    sdlSys.setLoopFunc(base_loopCallback);
  }
  static void TearDownTestSuite() {
    timer.setImp(&sdlTimer);
    module.shutdown();
  }

  void SetUp() override {
    kbd.reset();
    sdlSys.exitRequested = false;
    if (con.isVisible()) con.toggle();
    con.clearInput();
    base.reset();
    base.loopCallback = &module;
    base.initViews();
    base.initViewports();
    base.views[Base::VIEW_MAIN].reset();
    base.setScene(&module);
    // Let any pending window events pass, so that every later pass handles
    // exactly the event the test pushed; the first frames also size the viewports.
    SDL_PumpEvents();
    while (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) pass();
    pass();
    ASSERT_EQ(base.viewports[Base::VP_FULL].rect, (_box<2, int>(0, 0, W, H)));
    pointAt(W / 2, H / 2);
    module.clear();
  }

  void TearDown() override {
    kbd.reset();
    sdlSys.exitRequested = false;
  }

  // One pass of the platform loop, dt seconds after the previous one.
  static bool pass(double dt = 0.01) {
    clock_.now += dt;
    return sdlSys.pass();
  }

  // Held for one frame of dt seconds, then released in a frame of no time.
  static void tap(SDL_Scancode sc, double dt = 0.1) {
    key(sc, true, dt);
    key(sc, false, 0.0);
  }

  static void push(SDL_Event& ev) { ASSERT_EQ(SDL_PushEvent(&ev), 1) << SDL_GetError(); }

  // A key event, handled by the next pass (which this runs, dt later).
  static bool key(SDL_Scancode sc, bool down, double dt = 0.01) {
    SDL_Event ev;
    std::memset(&ev, 0, sizeof ev);
    ev.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    ev.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    ev.key.keysym.scancode = sc;
    push(ev);
    return pass(dt);
  }

  // Moves the pointer to window pixel (x, y), origin bottom-left, in one pass.
  static void pointAt(int x, int y, bool inside = true) {
    SDL_Event ev;
    std::memset(&ev, 0, sizeof ev);
    ev.type = SDL_MOUSEMOTION;
    ev.motion.x = x;
    ev.motion.y = (H - 1) - y;
    push(ev);
    pass();
    if (inside) { ASSERT_EQ(mouse.getPos(), (_vec<2, int>(x, y))); }
  }

  // One frame drawn without presenting it, so that its pixels can be read back.
  static void drawOnly() {
    sdlSys.setLoopFunc(nullptr);
    sdlSys.preUpdate();
    base.doLoop();
    sdlSys.setLoopFunc(base_loopCallback);
  }

  static View& mainView() { return base.views[Base::VIEW_MAIN]; }
};

TEST_F(FrameLoop, UpdateOnceAndRenderOncePerDrawnView) {
  ASSERT_TRUE(pass());
  EXPECT_EQ(module.updates, 1);
  EXPECT_EQ(module.views, std::vector<View const*>{&mainView()});
  EXPECT_EQ(module.glViewports, std::vector<Rect>{Rect(0, 0, W, H)});

  // List order: top left (front), top right (side), bottom left (top), bottom
  // right (main), each rendered with the GL viewport set to its own quarter.
  base.restoreViewports();
  module.clear();
  ASSERT_TRUE(pass());
  EXPECT_EQ(module.updates, 1);
  EXPECT_EQ(module.views, (std::vector<View const*>{&base.views[Base::VIEW_FRONT],
                                                    &base.views[Base::VIEW_SIDE],
                                                    &base.views[Base::VIEW_TOP], &mainView()}));
  EXPECT_EQ(module.glViewports, (std::vector<Rect>{Rect(0, 300, 400, 600), Rect(400, 300, 800, 600),
                                                   Rect(0, 0, 400, 300), Rect(400, 0, 800, 300)}));

  // A plain frame function runs as well, before the module's update.
  static int plainCalls;
  plainCalls = 0;
  base.loopFunc = [] { ++plainCalls; };
  module.clear();
  pass();
  EXPECT_EQ(plainCalls, 1);
  EXPECT_EQ(module.updates, 1);
  base.loopFunc = nullptr;
}

TEST_F(FrameLoop, FourViewLayoutShowsEveryQuarter) {
  // Each quarter's clear must stay inside its own rectangle, or a later
  // quarter wipes out the ones drawn before it.
  base.restoreViewports();
  module.paint = true;
  drawOnly();
  module.paint = false;
  EXPECT_EQ(pixelAt(200, 450), (std::vector<int>{0, 255, 0}));     // top left: front view
  EXPECT_EQ(pixelAt(600, 450), (std::vector<int>{0, 0, 255}));     // top right: side view
  EXPECT_EQ(pixelAt(200, 150), (std::vector<int>{255, 0, 0}));     // bottom left: top view
  EXPECT_EQ(pixelAt(600, 150), (std::vector<int>{255, 255, 255})); // bottom right: main view
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
  sdlSys.postUpdate();
}

TEST_F(FrameLoop, SlowFrameIsClampedToATenthOfASecond) {
  View& v = mainView();
  // 'e' pressed in a frame that comes 5 s after the last one: moved as if 0.1 s passed.
  key(SDL_SCANCODE_E, true, 5.0);
  expectNear(v.basis.pos, _vec<3, float>(0.1f, 0, 0), "after the slow frame");
  // A held key in a normal frame moves by dt * camSpeed.
  base.camSpeed = 2.0f;
  pass(0.05);
  expectNear(v.basis.pos, _vec<3, float>(0.2f, 0, 0), "after a 0.05 s frame");
  // Released in this frame still counts as held; then nothing moves.
  key(SDL_SCANCODE_E, false, 0.05);
  expectNear(v.basis.pos, _vec<3, float>(0.3f, 0, 0), "release frame");
  pass(0.05);
  expectNear(v.basis.pos, _vec<3, float>(0.3f, 0, 0), "after release");
}

TEST_F(FrameLoop, MotionAndRotationFollowTheCameraAxes) {
  View& v = mainView();
  // Turned to look along +Y: its left ('s') is world -X, its forward ('e') world +Y.
  v.basis.orient = angleAxisToQuat(0, 0, 1, 90);
  tap(SDL_SCANCODE_S);
  expectNear(v.basis.pos, _vec<3, float>(-0.1f, 0, 0), "left");
  tap(SDL_SCANCODE_R);  // up
  expectNear(v.basis.pos, _vec<3, float>(-0.1f, 0, 0.1f), "up");
  v.basis.pos = _vec<3, float>();

  // Pitch ('i') is about the camera's own Y axis: the forward axis tips in the
  // plane of forward and up, so it keeps no X component.
  base.camRot = 90.0f;
  tap(SDL_SCANCODE_I);  // 9 degrees
  float const s9 = std::sin(9.0f * static_cast<float>(M_PI) / 180.0f);
  float const c9 = std::cos(9.0f * static_cast<float>(M_PI) / 180.0f);
  expectNear(v.basis.orient.xAxis(), _vec<3, float>(0, c9, -s9), "pitched forward");
  EXPECT_NEAR(v.basis.orient.len(), 1.0, 1e-6);

  // Yaw ('j') turns about the camera's (now tilted) up axis; roll ('o') about
  // its forward axis, which therefore stays put.
  _vec<3, float> forward = v.basis.orient.xAxis();
  _vec<3, float> up = v.basis.orient.zAxis();
  tap(SDL_SCANCODE_O);
  expectNear(v.basis.orient.xAxis(), forward, "roll keeps forward");
  _vec<3, float> rolledUp = v.basis.orient.zAxis();
  EXPECT_GT(std::fabs(rolledUp.x - up.x), 0.1f);
  up = v.basis.orient.zAxis();
  tap(SDL_SCANCODE_J);
  expectNear(v.basis.orient.zAxis(), up, "yaw keeps up");

  // 'i' and 'k' together cancel.
  _quat<float> before = v.basis.orient;
  key(SDL_SCANCODE_I, true, 0.0);
  key(SDL_SCANCODE_K, true, 0.1);
  EXPECT_NEAR(v.basis.orient.x, before.x, 1e-6f);
  EXPECT_NEAR(v.basis.orient.w, before.w, 1e-6f);
}

TEST_F(FrameLoop, ZoomKeys) {
  View& v = mainView();
  v.width = 2.0f;
  v.height = 3.0f;
  key(SDL_SCANCODE_W, true, 0.1);
  key(SDL_SCANCODE_X, true, 0.1);  // both held: no zoom in this frame
  float const afterW = 2.0f * std::pow(0.5f, 0.1f);
  EXPECT_NEAR(v.width, afterW, 1e-6f);
  pass(0.1);
  EXPECT_NEAR(v.width, afterW, 1e-6f);
  key(SDL_SCANCODE_W, false, 0.0);
  key(SDL_SCANCODE_X, false, 0.0);  // 'x' alone (released this frame) zooms out
  pass(0.1);
  EXPECT_NEAR(v.width, afterW, 1e-6f);
  // Aspect mode 1 zooms the width only; mode 0 both extents.
  EXPECT_EQ(v.height, 3.0f);
  v.aspectMode = 0;
  key(SDL_SCANCODE_X, true, 0.1);
  EXPECT_NEAR(v.width, afterW * std::pow(2.0f, 0.1f), 1e-5f);
  EXPECT_NEAR(v.height, 3.0f * std::pow(2.0f, 0.1f), 1e-5f);
  key(SDL_SCANCODE_X, false, 0.0);

  // A zoom factor of 0 typed into the console does not collapse the view.
  base.camZoom = 0.0f;
  float w = v.width;
  tap(SDL_SCANCODE_W);
  EXPECT_EQ(v.width, w);
}

TEST_F(FrameLoop, SpeedPresets) {
  key(SDL_SCANCODE_LSHIFT, true);
  key(SDL_SCANCODE_2, true);
  EXPECT_EQ(base.camRot, 2.25f);
  EXPECT_EQ(base.camSpeed, 1.0f);
  key(SDL_SCANCODE_2, false);
  key(SDL_SCANCODE_LSHIFT, false);
  pass();
  key(SDL_SCANCODE_2, true);
  EXPECT_EQ(base.camSpeed, 0.25f);
  // Digits are tested 1 to 9, then 0: the last held one wins.
  key(SDL_SCANCODE_0, true);
  EXPECT_EQ(base.camSpeed, 100.0f);
  EXPECT_EQ(base.camRot, 2.25f);
}

TEST_F(FrameLoop, OrthographicForwardMotionZoomsIn) {
  base.restoreViewports();
  pointAt(100, 100);  // bottom-left quarter: the top view
  View& top = base.views[Base::VIEW_TOP];
  key(SDL_SCANCODE_E, true, 0.1);
  expectNear(top.basis.pos, _vec<3, float>(0, 0, 14.9f), "moved down its forward axis");
  EXPECT_FLOAT_EQ(top.width, 15.0f * expf(-0.01f * 0.1f));
  EXPECT_EQ(top.height, 15.0f);
  // With moveByZoom the motion is scaled by the view's width.
  moveByZoom = 1;
  float w = top.width;
  pass(0.1);
  EXPECT_NEAR(top.basis.pos.z, 14.9f - 0.1f * w, 1e-4f);
  moveByZoom = 0;
}

TEST_F(FrameLoop, SpaceSwitchesLayouts) {
  ASSERT_TRUE(base.isFullscreen());
  key(SDL_SCANCODE_SPACE, true);
  EXPECT_FALSE(base.isFullscreen());
  EXPECT_EQ(base.activeViewports.size(), 4u);
  key(SDL_SCANCODE_SPACE, false);
  pass();  // held and released frames do not toggle again
  EXPECT_FALSE(base.isFullscreen());

  pointAt(100, 100);  // over the bottom-left quarter (top view)
  key(SDL_SCANCODE_SPACE, true);
  EXPECT_TRUE(base.isFullscreen());
  EXPECT_EQ(base.viewports[Base::VP_FULL].view, &base.views[Base::VIEW_TOP]);
  key(SDL_SCANCODE_SPACE, false);
  key(SDL_SCANCODE_SPACE, true);
  EXPECT_FALSE(base.isFullscreen());
  EXPECT_EQ(base.viewports[Base::VP_FULL].view, &base.views[Base::VIEW_TOP]);
}

TEST_F(FrameLoop, CameraKeysOffLeaveEverythingButQuit) {
  base.camKeys = false;
  View& v = mainView();
  bool dumping = Base::dumping;
  key(SDL_SCANCODE_E, true, 0.1);
  key(SDL_SCANCODE_J, true, 0.1);
  key(SDL_SCANCODE_W, true, 0.1);
  key(SDL_SCANCODE_3, true, 0.1);
  key(SDL_SCANCODE_SPACE, true, 0.1);
  key(SDL_SCANCODE_BACKSLASH, true, 0.1);
  expectNear(v.basis.pos, _vec<3, float>(), "no motion");
  EXPECT_EQ(v.basis.orient, _quat<float>());
  EXPECT_EQ(v.width, 1.0f);
  EXPECT_EQ(base.camSpeed, 1.0f);
  EXPECT_TRUE(base.isFullscreen());
  EXPECT_EQ(Base::dumping, dumping);

  // Command-Q still quits, on the second frame in which both keys are held.
  EXPECT_TRUE(key(SDL_SCANCODE_LGUI, true));
  EXPECT_TRUE(key(SDL_SCANCODE_Q, true));
  EXPECT_FALSE(pass());
  EXPECT_TRUE(sdlSys.isExitRequested());
}

TEST_F(FrameLoop, PointerOutsideEveryViewport) {
  base.restoreViewports();
  pass();
  pointAt(W + 50, H - 11, false);  // off the window
  ASSERT_EQ(base.getTopViewAt(mouse.getPos()), nullptr);
  _line<3, float> ray = base.mouseLine;

  for (View& v : base.views) v.basis.pos = _vec<3, float>(1, 2, 3);
  key(SDL_SCANCODE_E, true, 0.1);
  key(SDL_SCANCODE_W, true, 0.1);
  key(SDL_SCANCODE_SPACE, true, 0.1);
  for (View& v : base.views) expectNear(v.basis.pos, _vec<3, float>(1, 2, 3), "no motion");
  EXPECT_EQ(mainView().width, 1.0f);
  EXPECT_FALSE(base.isFullscreen());
  EXPECT_EQ(base.mouseLine.origin, ray.origin);
  EXPECT_EQ(base.mouseLine.dir, ray.dir);

  EXPECT_TRUE(key(SDL_SCANCODE_RGUI, true));
  EXPECT_TRUE(key(SDL_SCANCODE_Q, true));
  EXPECT_FALSE(pass());
}

TEST_F(FrameLoop, QuitKeyNeedsBothKeysHeldForASecondFrame) {
  EXPECT_TRUE(key(SDL_SCANCODE_Q, true));
  EXPECT_TRUE(pass());  // 'q' alone does nothing
  EXPECT_TRUE(key(SDL_SCANCODE_LGUI, true));  // meta pressed (state 2) this frame
  EXPECT_FALSE(sdlSys.isExitRequested());
  EXPECT_FALSE(pass());  // both held
}

TEST_F(FrameLoop, OpenConsoleHidesTheKeys) {
  View& v = mainView();
  key(SDL_SCANCODE_GRAVE, true);
  ASSERT_TRUE(con.isVisible());
  key(SDL_SCANCODE_GRAVE, false);
  key(SDL_SCANCODE_E, true, 0.1);
  pass(0.1);
  key(SDL_SCANCODE_LGUI, true);
  key(SDL_SCANCODE_Q, true);
  EXPECT_TRUE(pass());  // command-Q is hidden as well
  expectNear(v.basis.pos, _vec<3, float>(), "no motion while the console is open");
  EXPECT_NE(std::string(con.getInput()).find('e'), std::string::npos);
}

TEST_F(FrameLoop, PickRay) {
  // Perspective main view at the origin looking along +X, pointer at the centre.
  pass();
  expectNear(base.mouseLine.origin, _vec<3, float>(), "perspective origin");
  EXPECT_NEAR(base.mouseLine.dir.x, 1.0f, 1e-6f);
  EXPECT_NEAR(base.mouseLine.dir.y, 0.0f, 2e-3f);
  EXPECT_NEAR(base.mouseLine.dir.z, 0.0f, 2e-3f);

  // Orthographic top view: parallel rays along -Z from one near distance above the near plane.
  base.restoreViewports();
  pass();
  pointAt(300, 150);  // 3/4 across and half way up the bottom-left quarter
  pass();
  expectNear(base.mouseLine.dir, _vec<3, float>(0, 0, -1), "ortho direction");
  float const hx = 15.0f, hy = 15.0f * 300.0f / 400.0f;
  EXPECT_NEAR(base.mouseLine.origin.x, 0.5f * hx, 0.1f);
  EXPECT_NEAR(base.mouseLine.origin.y, (150.0f / 300.0f * 2 - 1) * hy, 0.1f);
  EXPECT_NEAR(base.mouseLine.origin.z, 15.0f, 1e-4f);
}

TEST_F(FrameLoop, FrameRate) {
  Base::lasttime = -1.0;
  Base::framecount = 0;
  clock_.now = 200.5;
  pass(0.0);
  EXPECT_NEAR(static_cast<float>(currentFPS), 1.0f / 201.5f, 1e-6f);
  displayFPS = 1;
  pass(0.1);
  pass(0.1);
  pass(0.1);
  EXPECT_NEAR(static_cast<float>(currentFPS), 1.0f / 201.5f, 1e-6f);  // same second
  pass(0.3);  // 201.1: four frames in 0.6 s
  EXPECT_NEAR(static_cast<float>(currentFPS), 4.0f / 0.6f, 1e-3f);
  displayFPS = 0;
  std::string text = con.getText();
  EXPECT_NE(text.find("FPS: 6.6666"), std::string::npos) << text.substr(text.size() - 80);
}

TEST_F(FrameLoop, ResizeRelaysOutBeforeDrawing) {
  base.restoreViewports();
  // The window system reports the new size as an event; the pass that handles
  // it makes the size current and draws with the new rectangles at once.
  SDL_SetWindowSize(sdlSys.getWindow(), 640, 480);
  for (int i = 0; i < 10 && disp.getSize() != (_vec<2, int>(640, 480)); ++i) {
    module.clear();
    ASSERT_TRUE(pass());
  }
  ASSERT_EQ(disp.getSize(), (_vec<2, int>(640, 480)));
  ASSERT_EQ(module.rects.size(), 4u);
  EXPECT_EQ(module.rects[3], (_box<2, int>(320, 0, 640, 240)));
  EXPECT_EQ(base.viewports[Base::VP_FULL].rect, (_box<2, int>(0, 0, 640, 480)));

  SDL_SetWindowSize(sdlSys.getWindow(), W, H);
  for (int i = 0; i < 10 && base.viewports[Base::VP_FULL].rect.max.x != W; ++i) pass();
  EXPECT_EQ(base.viewports[Base::VP_FULL].rect, (_box<2, int>(0, 0, W, H)));
}

// Each command line, and the GL state it leaves. A cullFace value other than 0,
// 1 or 2 enables culling without changing the culled face.
TEST_F(FrameLoop, GLStateCommandsChangeTheGLState) {
  struct Row { char const* line; GLenum query; GLint expected; };
  Row const rows[] = {
      {"polygonMode 1", GL_POLYGON_MODE, GL_LINE}, {"polygonMode 0", GL_POLYGON_MODE, GL_POINT},
      {"polygonMode 7", GL_POLYGON_MODE, GL_FILL},
      {"cullFace 2", GL_CULL_FACE, GL_TRUE}, {"cullFace 2", GL_CULL_FACE_MODE, GL_FRONT},
      {"cullFace 0", GL_CULL_FACE, GL_FALSE}, {"cullFace 9", GL_CULL_FACE, GL_TRUE},
      {"cullFace 9", GL_CULL_FACE_MODE, GL_FRONT}, {"cullFace 1", GL_CULL_FACE_MODE, GL_BACK},
      {"cullFace 0", GL_CULL_FACE, GL_FALSE},
      {"depthTest 1", GL_DEPTH_TEST, GL_TRUE}, {"depthTest 0", GL_DEPTH_TEST, GL_FALSE}};
  cvarSys.validate();
  for (Row const& r : rows) {
    SCOPED_TRACE(r.line);
    cvarSys->exec(r.line);
    GLint got[2] = {-1, -1};
    glGetIntegerv(r.query, got);
    EXPECT_EQ(got[0], r.expected);
  }

  // The clear colour shows in the next frame: the viewports clear with it.
  cvarSys->exec("clearColor 0 1 0");
  GLfloat cc[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, cc);
  EXPECT_EQ(std::vector<float>(cc, cc + 4), (std::vector<float>{0, 1, 0, 1}));
  mainView().scene = nullptr;  // a view without a scene: cleared, nothing drawn
  module.clear();
  drawOnly();
  EXPECT_TRUE(module.views.empty());
  EXPECT_EQ(pixelAt(W - 10, 10), (std::vector<int>{0, 255, 0}));
  cvarSys->exec("clearColor 0 0 0 1");
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
