// The program's run of the registered application module: init, main loop and
// shut-down, whole (InitBase) or in three steps for a host that drives them.
#include "base/basemodule.h"

#include "math/assert.h"

BaseModule* baseModule = nullptr;

void InitBase() {
  BaseModule* module = RegisterApplication();
  ASSERT(module);
  module->init();
  module->loop();
  module->shutdown();
}

void InitBasePiecewise() {
  baseModule = RegisterApplication();
  ASSERT(baseModule);
  baseModule->init();
}

// Both need InitBasePiecewise() first.
void LoopBasePiecewise() {
  ASSERT(baseModule);
  baseModule->loop();
}

void ShutdownBasePiecewise() {
  ASSERT(baseModule);
  baseModule->shutdown();
}
