// Mutex: the owning front over the platform lock made by MutexFactory.
#include "system/mutex.h"

#include "linuxmutex.h"

#include "math/assert.h"

IMutex* MutexFactory::create(bool initNow) { return new LinuxMutex(initNow); }

Mutex::Mutex(bool initNow) : imp(MutexFactory::create(initNow)) {}

Mutex::~Mutex() { delete imp; }

bool Mutex::init() {
  ASSERT(imp);
  return imp->init();
}

void Mutex::shutdown() {
  ASSERT(imp);
  imp->shutdown();
}

void Mutex::lock() {
  ASSERT(imp);
  imp->lock();
}

void Mutex::unlock() {
  ASSERT(imp);
  imp->unlock();
}
