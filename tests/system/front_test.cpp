// Front objects: their headers bring no platform types; an unbound front is a
// failed assertion "imp" naming its source file; a bound one forwards calls and
// results, and can be rebound.

// First, so that nothing else has included a platform header yet.
#include "system/display.h"
#include "system/keyboard.h"
#include "system/mouse.h"
#include "system/mutex.h"
#include "system/system.h"
#include "system/timer.h"
#if defined(_PTHREAD_H) || defined(_SYS_TIME_H)
constexpr bool kFrontsIncludePlatformHeaders = true;
#else
constexpr bool kFrontsIncludePlatformHeaders = false;
#endif

#include <gtest/gtest.h>

#include <string>

typedef _vec<2, int> vec2i;

namespace {

// Records what reaches the backend.
class RecordingSystem : public PSystem {
public:
  void init() override { calls += "init;"; }
  void shutdown() override { calls += "shutdown;"; }
  void loop(void (*frame)()) override { calls += "loop;", frame(); }
  void requestExit() override { calls += "exit;"; }
  void setInitDoubleBuffered(bool b) override { calls += b ? "db1;" : "db0;"; }
  void setInitPos(_vec<2, int> const& p) override {
    calls += "pos" + std::to_string(p.x) + "," + std::to_string(p.y) + ";";
  }
  void setInitSize(_vec<2, int> const& s) override {
    calls += "size" + std::to_string(s.x) + "," + std::to_string(s.y) + ";";
  }
  std::string getArg(int i) const override { return "arg" + std::to_string(i); }
  int getArgCount() const override { return 7; }

  std::string calls;
};

int framesRun = 0;
void frame() { ++framesRun; }

}  // namespace

TEST(Front, HeadersBringNoPlatformTypes) { EXPECT_FALSE(kFrontsIncludePlatformHeaders); }

TEST(Front, SystemForwardsCallsAndResults) {
  RecordingSystem backend;
  ISystem front;
  front.setImp(&backend);
  front.setInitDoubleBuffered(false);
  front.setInitPos(_vec<2, int>(3, 4));
  front.setInitSize(_vec<2, int>(800, 600));
  front.init();
  framesRun = 0;
  front.loop(frame);
  front.requestExit();
  front.shutdown();
  EXPECT_EQ(backend.calls, "db0;pos3,4;size800,600;init;loop;exit;shutdown;");
  EXPECT_EQ(framesRun, 1);
  EXPECT_EQ(front.getArgCount(), 7);
  EXPECT_EQ(front.getArg(2), "arg2");
}

TEST(Front, RebindingSwitchesImplementation) {
  Display a, b;
  a.resize(10, 20);
  a.update();
  b.resize(30, 40);
  b.update();
  IDisplay front;
  front.setImp(&a);
  EXPECT_EQ(front.getSize(), vec2i(10, 20));
  front.setImp(&b);
  EXPECT_EQ(front.getSize(), vec2i(30, 40));
  front.resize(1, 2);
  EXPECT_EQ(b.newSize, vec2i(1, 2));
  EXPECT_EQ(a.newSize, vec2i(10, 20));
}

TEST(FrontDeathTest, UnboundIsFailedAssertion) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(sys.init(), "^libs/system/src/system.cpp:[0-9]+: failed assertion `imp'\n");
  EXPECT_DEATH(sys.getArgCount(), "libs/system/src/system.cpp:[0-9]+: failed assertion `imp'");
  EXPECT_DEATH(disp.getSize(), "libs/system/src/display.cpp:[0-9]+: failed assertion `imp'");
  EXPECT_DEATH(timer.getTime(), "libs/system/src/timer.cpp:[0-9]+: failed assertion `imp'");
  EXPECT_DEATH(kbd.getKeyState('a'), "libs/system/src/keyboard.cpp:[0-9]+: failed assertion `imp'");
  EXPECT_DEATH(kbd.postUpdate(), "libs/system/src/keyboard.cpp:[0-9]+: failed assertion `imp'");
  EXPECT_DEATH(mouse.update(), "libs/system/src/mouse.cpp:[0-9]+: failed assertion `imp'");
  EXPECT_DEATH(mouse.getButtonState(0), "libs/system/src/mouse.cpp:[0-9]+: failed assertion `imp'");
  // Binding, then binding nothing again, leaves the front unusable.
  Display d;
  IDisplay front;
  front.setImp(&d);
  front.setImp(nullptr);
  EXPECT_DEATH(front.update(), "failed assertion `imp'");
}
