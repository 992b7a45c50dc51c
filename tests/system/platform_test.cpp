// The platform fronts unbound, the display's reset, the monotonic timer, and the mutex.
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

// Calling an unbound front is a failed assertion "imp" naming its source file
// (every forwarding member starts with the same guard; one per front here).
TEST(FrontDeathTest, UnboundIsFailedAssertion) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  static Mutex noLock;
  delete noLock.imp;  // only the front is used
  noLock.imp = nullptr;
  struct Front { char const* file; void (*call)(); } const fronts[] = {
      {"system", [] { sys.getArgCount(); }}, {"display", [] { disp.getSize(); }}, {"timer", [] { timer.getTime(); }},
      {"keyboard", [] { kbd.getKeyDownQueue(0); }}, {"mouse", [] { mouse.getButtonState(0); }},
      {"mutex", [] { noLock.lock(); }}};
  for (Front const& f : fronts)
    EXPECT_DEATH(f.call(), std::string("^libs/system/src/") + f.file + ".cpp:[0-9]+: failed assertion `imp'\n");
}

// reset() forgets the current, previous and reported sizes.
TEST(Display, Reset) {
  Display d;
  d.resize(7, 5);
  d.update();
  d.resize(7, 6);
  d.reset();
  EXPECT_EQ(d.getSize(), (_vec<2, int>(0, 0)));
  EXPECT_FALSE(d.sizeHasChanged());
  d.update();
  EXPECT_EQ(d.getSize(), (_vec<2, int>(0, 0)));
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

// The guard holds the lock for its scope; init() is idempotent, a first lock does it.
TEST(Mutex, GuardHoldsTheLockForItsScope) {
  auto held = [](Mutex& m) {  // trylock fails for the owner too; a free one is unlocked again
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
