// The SDL backend in a real offscreen window: its public header without SDL,
// context creation, events reaching the keyboard, mouse and display one per
// pass, exit requests, entry-point lookup.

// First, so that nothing else has included SDL yet.
#include "sdlsystem/sdlsystem.h"
#ifdef SDL_h_
constexpr bool kPublicHeaderIncludesSdl = true;
#else
constexpr bool kPublicHeaderIncludesSdl = false;
#endif

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "system/glext.h"
#include "testsupport/glcontext.h"

namespace {

// What the frame function saw, one entry per frame.
struct FrameLog {
  std::vector<signed char> keyA;
  std::vector<int> queueSize;
  std::vector<int> firstQueued;
  int frames = 0;
  int exitAtFrame = -1;
};
FrameLog logged;

void recordFrame() {
  ++logged.frames;
  logged.keyA.push_back(kbd.getKeyState('a'));
  logged.queueSize.push_back(kbd.getKeyDownQueueSize());
  logged.firstQueued.push_back(kbd.getKeyDownQueueSize() ? kbd.getKeyDownQueue(0) : -1);
  if (logged.frames == logged.exitAtFrame) sys.requestExit();
}

void pushKey(Uint32 type, SDL_Scancode sc, bool repeat = false) {
  SDL_Event ev{};
  ev.type = type;
  ev.key.type = type;
  ev.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  ev.key.repeat = repeat ? 1 : 0;
  ev.key.keysym.scancode = sc;
  ASSERT_EQ(SDL_PushEvent(&ev), 1);
}

void pushButton(Uint32 type, Uint8 button, int x, int y) {
  SDL_Event ev{};
  ev.type = type;
  ev.button.type = type;
  ev.button.button = button;
  ev.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  ev.button.x = x;
  ev.button.y = y;
  ASSERT_EQ(SDL_PushEvent(&ev), 1);
}

void pushMotion(int x, int y, Uint32 state) {
  SDL_Event ev{};
  ev.type = SDL_MOUSEMOTION;
  ev.motion.type = SDL_MOUSEMOTION;
  ev.motion.x = x;
  ev.motion.y = y;
  ev.motion.state = state;
  ASSERT_EQ(SDL_PushEvent(&ev), 1);
}

void pushWheel(int y, bool flipped) {
  SDL_Event ev{};
  ev.type = SDL_MOUSEWHEEL;
  ev.wheel.type = SDL_MOUSEWHEEL;
  ev.wheel.y = y;
  ev.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
  ASSERT_EQ(SDL_PushEvent(&ev), 1);
}

class Backend : public ::testing::Test {
protected:
  void SetUp() override {
    logged = FrameLog();
    ctx = new GLTestContext(256, 192);
    sdlKbd.reset();
    sdlMouse.reset();
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // window-creation events
    sdlSys.setLoopFunc(recordFrame);
  }
  void TearDown() override {
    sdlSys.setLoopFunc(nullptr);
    delete ctx;
  }
  // Runs passes until the queue of pending events is empty (at most n).
  void passes(int n) {
    for (int i = 0; i < n; ++i) sdlSys.pass();
  }
  GLTestContext* ctx = nullptr;
};

TEST(BackendHeader, LeavesSdlToTheBackendsSources) { EXPECT_FALSE(kPublicHeaderIncludesSdl); }

TEST_F(Backend, InitOpensAContextAndReportsTheWindowSize) {
  EXPECT_NE(glGetString(GL_VERSION), nullptr);
  EXPECT_EQ(disp.getSize(), (_vec<2, int>(256, 192)));
  EXPECT_GE(sdlSys.depthBits, 16);
  GLint depth = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  EXPECT_EQ(depth, sdlSys.depthBits);
  EXPECT_TRUE(sdlSys.doubleBuffered);
  // The frame is presented: clearing and swapping leaves no GL error behind.
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_EQ(ctx->pixel(3, 3).r, 255);
  ctx->swap();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Backend, KeysReachTheKeyboardOneEventPerPass) {
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_A);
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_A, true);  // auto-repeat: ignored
  pushKey(SDL_KEYUP, SDL_SCANCODE_A);
  passes(5);
  ASSERT_EQ(logged.frames, 5);
  // Pass 1: the press; pass 2: the repeat changes nothing; pass 3: the release.
  EXPECT_EQ(logged.keyA, (std::vector<signed char>{2, 1, 3, 0, 0}));
  EXPECT_EQ(logged.queueSize, (std::vector<int>{1, 0, 0, 0, 0}));
  EXPECT_EQ(logged.firstQueued[0], 'a');
}

TEST_F(Backend, ModifiersAndSpecialKeysMapToEngineCodes) {
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT);
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_RGUI);
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER);
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_DELETE);
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_F9);
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_7);
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_GRAVE);
  passes(7);
  EXPECT_EQ(logged.firstQueued, (std::vector<int>{Key::LSHIFT, Key::RMETA, Key::RETURN, Key::DEL,
                                                  Key::F9, Key::KP7, '`'}));
  EXPECT_EQ(kbd.getKeyState(Key::LSHIFT), 1);
  EXPECT_EQ(kbd.getKeyState(Key::RMETA), 1);
}

TEST_F(Backend, MouseButtonsPositionAndFlip) {
  pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20);
  passes(1);
  EXPECT_EQ(mouse.getButtonState(0), 2);
  EXPECT_EQ(mouse.getPos(), (_vec<2, int>(10, 191 - 20)));

  pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 11, 20);
  pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 12, 20);
  passes(2);
  EXPECT_EQ(mouse.getButtonState(0), 1);
  EXPECT_EQ(mouse.getButtonState(1), 1);  // pressed in the previous pass
  EXPECT_EQ(mouse.getButtonState(2), 2);

  // Motion carries its own button mask: only the left button is still down.
  pushMotion(100, 0, SDL_BUTTON_LMASK);
  passes(1);
  EXPECT_EQ(mouse.getButtonState(0), 1);
  EXPECT_EQ(mouse.getButtonState(1), 3);
  EXPECT_EQ(mouse.getButtonState(2), 3);
  EXPECT_EQ(mouse.getPos(), (_vec<2, int>(100, 191)));
  EXPECT_EQ(mouse.getMove(), (_vec<2, int>(88, 20)));

  pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 100, 0);
  passes(2);
  EXPECT_EQ(mouse.getButtonState(0), 0);
}

// A burst of motion is one event: the key behind it arrives in the next pass,
// with the last position and button mask current. Motion after a button is
// not merged across it, so the press is still seen at its own position.
TEST_F(Backend, MotionBurstsMergeIntoTheLatest) {
  for (int i = 0; i < 1000; ++i) pushMotion(i % 200, 7, i == 999 ? SDL_BUTTON_LMASK : 0);
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_A);
  pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 1);
  pushMotion(50, 60, 0);
  passes(1);
  EXPECT_EQ(mouse.getPos(), (_vec<2, int>(199, 191 - 7)));
  EXPECT_EQ(mouse.getButtonState(0), 2);
  passes(1);
  EXPECT_EQ(logged.keyA, (std::vector<signed char>{0, 2}));
  passes(1);
  EXPECT_EQ(mouse.getPos(), (_vec<2, int>(1, 190)));
  EXPECT_EQ(mouse.getButtonState(0), 3);
  passes(1);
  EXPECT_EQ(mouse.getPos(), (_vec<2, int>(50, 131)));
}

TEST_F(Backend, CommandClickCountsAsSecondary) {
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_LGUI);
  passes(1);
  pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 5);
  passes(1);
  EXPECT_EQ(mouse.getButtonState(0), 0);
  EXPECT_EQ(mouse.getButtonState(1), 2);
}

TEST_F(Backend, WheelStepsAccumulateOverAFrame) {
  pushWheel(1, false);
  pushWheel(2, false);
  passes(1);
  EXPECT_EQ(mouse.getDZ(), 1);  // one event per pass
  passes(1);
  EXPECT_EQ(mouse.getDZ(), 2);
  passes(1);
  EXPECT_EQ(mouse.getDZ(), 0);
  pushWheel(3, true);  // "natural" scrolling reports flipped steps
  passes(1);
  EXPECT_EQ(mouse.getDZ(), -3);
}

TEST_F(Backend, ResizeBecomesCurrentAtTheNextFrame) {
  SDL_SetWindowSize(sdlSys.getWindow(), 320, 200);
  passes(4);  // the resize events, then a frame
  EXPECT_EQ(disp.getSize(), (_vec<2, int>(320, 200)));
}

TEST_F(Backend, CloseAndQuitEndTheLoopAfterThatPass) {
  SDL_Event ev{};
  ev.type = SDL_WINDOWEVENT;
  ev.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&ev);
  EXPECT_FALSE(sdlSys.pass());
  EXPECT_EQ(logged.frames, 1);  // the pass still ran its frame
  EXPECT_FALSE(sdlSys.pass());  // and no further frame runs
  EXPECT_EQ(logged.frames, 1);

  sdlSys.exitRequested = false;
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  EXPECT_FALSE(sdlSys.pass());
}

TEST_F(Backend, RequestExitDuringAFrameEndsTheLoopAfterIt) {
  logged.exitAtFrame = 3;
  sys.loop(recordFrame);
  EXPECT_EQ(logged.frames, 3);
}

TEST_F(Backend, EntryPointLookup) {
  EXPECT_NE(sysGLGetProcAddress("glCreateShaderObjectARB"), nullptr);
  EXPECT_NE(sysGLGetProcAddress("glActiveTextureARB"), nullptr);
  EXPECT_EQ(sysGLGetProcAddress("noSuchEntryPointAnywhere"), nullptr);
  EXPECT_EQ(sysGLGetProcAddress(nullptr), nullptr);
}

}  // namespace

TEST(BackendArgs, ArgumentsAreRecordedInOrderAndSurviveShutdown) {
  SDLSystem s;
  EXPECT_EQ(s.getArgCount(), 0);
  s.addArg("/path/prog");
  s.addArg("--frames");
  EXPECT_EQ(s.getArgCount(), 2);
  EXPECT_EQ(s.getArg(1), "--frames");
  EXPECT_EQ(s.getArg(7), "");
  s.shutdown();
  EXPECT_EQ(s.getArgCount(), 2);
  EXPECT_EQ(s.initPos, (_vec<2, int>(152, 144)));
  EXPECT_EQ(s.initSize, (_vec<2, int>(720, 480)));
}
