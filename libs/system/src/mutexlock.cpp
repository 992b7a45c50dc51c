// MutexLock: holds a Mutex locked from construction to destruction.
#include "system/mutex.h"

#include "math/assert.h"

MutexLock::MutexLock(Mutex* m) : cs(m) {
  ASSERT(cs);
  cs->lock();
}

MutexLock::~MutexLock() { cs->unlock(); }
