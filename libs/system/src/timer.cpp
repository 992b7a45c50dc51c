// The timer front object `timer`: forwards every call to the bound implementation.
#include "system/timer.h"

#include "math/assert.h"

IHiResTimer timer;

void IHiResTimer::init() {
  ASSERT(imp);
  imp->init();
}

double IHiResTimer::getTime() {
  ASSERT(imp);
  return imp->getTime();
}
