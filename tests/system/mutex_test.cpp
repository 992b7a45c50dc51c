// Mutexes: the guard holds the lock for its scope, also when an exception
// passes; initialisation is idempotent; a guard on no mutex is an assertion.
#include <gtest/gtest.h>

#include <pthread.h>

#include <cerrno>
#include <stdexcept>

#include "linuxmutex.h"

namespace {

// True when the mutex is currently held (tried from another thread, since a
// second lock on a plain mutex from its owner would deadlock).
bool isHeld(Mutex& m) {
  LinuxMutex* impl = dynamic_cast<LinuxMutex*>(m.imp);
  EXPECT_NE(impl, nullptr);
  struct Probe {
    static void* run(void* arg) {
      pthread_mutex_t* pm = static_cast<pthread_mutex_t*>(arg);
      int r = pthread_mutex_trylock(pm);
      if (r == 0) pthread_mutex_unlock(pm);
      return reinterpret_cast<void*>(static_cast<long>(r));
    }
  };
  pthread_t t;
  pthread_create(&t, nullptr, &Probe::run, &impl->mutex);
  void* result = nullptr;
  pthread_join(t, &result);
  return reinterpret_cast<long>(result) == EBUSY;
}

}  // namespace

TEST(Mutex, GuardHoldsLockForItsScope) {
  Mutex m(true);
  EXPECT_FALSE(isHeld(m));
  {
    MutexLock guard(&m);
    EXPECT_EQ(guard.cs, &m);
    EXPECT_TRUE(isHeld(m));
  }
  EXPECT_FALSE(isHeld(m));

  try {
    MutexLock guard(&m);
    EXPECT_TRUE(isHeld(m));
    throw std::runtime_error("passing through");
  } catch (std::runtime_error const&) {
    EXPECT_FALSE(isHeld(m));
  }
  EXPECT_FALSE(isHeld(m));
}

TEST(Mutex, InitialisationLaterOrTwice) {
  Mutex later;
  LinuxMutex* impl = dynamic_cast<LinuxMutex*>(later.imp);
  ASSERT_NE(impl, nullptr);
  EXPECT_FALSE(impl->initialised);
  EXPECT_TRUE(later.init());
  EXPECT_TRUE(impl->initialised);
  EXPECT_TRUE(later.init());  // already initialised: stays usable
  later.lock();
  EXPECT_TRUE(isHeld(later));
  later.unlock();
  later.shutdown();
  EXPECT_FALSE(impl->initialised);

  // Locking before init() initialises the lock instead of using raw memory.
  Mutex early;
  {
    MutexLock guard(&early);
    EXPECT_TRUE(isHeld(early));
  }
  EXPECT_FALSE(isHeld(early));

  IMutex* made = MutexFactory::create(true);
  ASSERT_NE(dynamic_cast<LinuxMutex*>(made), nullptr);
  EXPECT_TRUE(static_cast<LinuxMutex*>(made)->initialised);
  delete made;
}

TEST(MutexDeathTest, GuardOnNoMutex) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(MutexLock guard(nullptr), "mutexlock.cpp:[0-9]+: failed assertion `cs'");
}
