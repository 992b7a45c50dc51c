// The platform fronts unbound, the monotonic timer, and the mutex with its scope guard.
#include <gtest/gtest.h>

#include <pthread.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "linuxmutex.h"
#include "system/display.h"
#include "system/keyboard.h"
#include "system/mouse.h"
#include "system/system.h"
#include "system/timer.h"

// Calling an unbound front is a failed assertion "imp" naming its source file.
TEST(FrontDeathTest, UnboundIsFailedAssertion) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  static Mutex noLock;
  noLock.imp = nullptr;  // leaks the lock made for it: only the front is used
  struct Row { char const* file; void (*call)(); } const rows[] = {
      {"system", [] { sys.init(); }}, {"system", [] { sys.shutdown(); }}, {"system", [] { sys.loop(nullptr); }},
      {"system", [] { sys.requestExit(); }}, {"system", [] { sys.setInitDoubleBuffered(true); }},
      {"system", [] { sys.setInitPos({}); }}, {"system", [] { sys.setInitSize({}); }},
      {"system", [] { sys.getArg(0); }}, {"system", [] { sys.getArgCount(); }},
      {"display", [] { disp.update(); }}, {"display", [] { disp.resize(1, 1); }},
      {"display", [] { disp.getSize(); }}, {"display", [] { disp.sizeHasChanged(); }},
      {"timer", [] { timer.init(); }}, {"timer", [] { timer.getTime(); }},
      {"keyboard", [] { kbd.getKeyState('a'); }}, {"keyboard", [] { kbd.reset(); }},
      {"keyboard", [] { kbd.keyUp(Key::UP); }}, {"keyboard", [] { kbd.keyDown(Key::UP); }},
      {"keyboard", [] { kbd.preUpdate(); }}, {"keyboard", [] { kbd.postUpdate(); }},
      {"keyboard", [] { kbd.getKeyDownQueueSize(); }}, {"keyboard", [] { kbd.getKeyDownQueue(0); }},
      {"keyboard", [] { kbd.clone(); }}, {"keyboard", [] { kbd.copy(nullptr); }},
      {"mouse", [] { mouse.update(); }}, {"mouse", [] { mouse.setButtonPress(PMouseHandler::PRIMARY, true); }},
      {"mouse", [] { mouse.setCursorPos(1, 1); }}, {"mouse", [] { mouse.accumDZ(1); }},
      {"mouse", [] { mouse.getDZ(); }}, {"mouse", [] { mouse.getPos(); }}, {"mouse", [] { mouse.getMove(); }},
      {"mouse", [] { mouse.getFPos(); }}, {"mouse", [] { mouse.getFMove(); }},
      {"mouse", [] { mouse.getButtonState(0); }}, {"mutex", [] { noLock.init(); }},
      {"mutex", [] { noLock.shutdown(); }}, {"mutex", [] { noLock.lock(); }}, {"mutex", [] { noLock.unlock(); }}};
  for (Row const& r : rows)
    EXPECT_DEATH(r.call(), std::string("^libs/system/src/") + r.file + ".cpp:[0-9]+: failed assertion `imp'\n");
}

// Seconds since init(), through the front: never less than a sleep after it,
// never more than the monotonic clock saw pass around it; init() starts again.
TEST(Timer, SecondsSinceInit) {
  typedef std::chrono::steady_clock Clock;  // the monotonic clock
  auto now = [] { return std::chrono::duration<double>(Clock::now().time_since_epoch()).count(); };
  LinuxHiResTimer t;
  IHiResTimer front;
  front.setImp(&t);
  for (int round = 0; round < 2; ++round) {
    double const before = now();
    front.init();
    usleep(2000);
    double const read = front.getTime(), after = now();
    EXPECT_GE(read, 0.002);
    EXPECT_LE(read, after - before + 1e-6);
  }
}

// The guard holds the lock for its scope; initialisation is idempotent, and
// happens on a first lock without it. (Trylock fails for a plain mutex's owner too.)
TEST(Mutex, GuardHoldsTheLockForItsScope) {
  auto held = [](Mutex& m) {  // a free one is unlocked again
    pthread_mutex_t* pm = &dynamic_cast<LinuxMutex&>(*m.imp).mutex;
    return pthread_mutex_trylock(pm) != 0 || pthread_mutex_unlock(pm) != 0;
  };
  Mutex made(true), later, early;
  EXPECT_TRUE(dynamic_cast<LinuxMutex&>(*made.imp).initialised);
  EXPECT_TRUE(later.init());
  later.lock();
  EXPECT_TRUE(later.init());  // initialised already: the lock stays held
  EXPECT_TRUE(held(later));
  later.unlock();
  for (Mutex* m : {&made, &later, &early}) {
    {
      MutexLock guard(m);
      EXPECT_TRUE(held(*m));
    }
    EXPECT_FALSE(held(*m));
  }
  later.shutdown();
  EXPECT_FALSE(dynamic_cast<LinuxMutex&>(*later.imp).initialised);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(MutexLock guard(nullptr), "mutexlock.cpp:[0-9]+: failed assertion `cs'");
}
