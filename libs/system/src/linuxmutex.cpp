// LinuxMutex: a plain pthread mutex that is initialised at most once and
// destroyed only when it was initialised.
#include "linuxmutex.h"

#include "math/assert.h"

LinuxMutex::LinuxMutex(bool initNow) : mutex(), initialised(false) {
  if (initNow) ASSERT(init());
}

LinuxMutex::~LinuxMutex() { shutdown(); }

bool LinuxMutex::init() {
  // Initialising a live mutex again would be undefined; it is ready already.
  if (initialised) return true;
  if (pthread_mutex_init(&mutex, nullptr) != 0) return false;
  initialised = true;
  return true;
}

void LinuxMutex::shutdown() {
  if (initialised) pthread_mutex_destroy(&mutex);
  initialised = false;
}

void LinuxMutex::lock() {
  // A lock taken before init() initialises the mutex first instead of locking
  // uninitialised memory.
  if (!initialised) ASSERT(init());
  pthread_mutex_lock(&mutex);
}

void LinuxMutex::unlock() {
  if (initialised) pthread_mutex_unlock(&mutex);
}
