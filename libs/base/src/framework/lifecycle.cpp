// The program's run of the registered application module: init, main loop and
// shut-down, whole (InitBase) or in three steps for a host that drives them.
#include "base/basemodule.h"

BaseModule* baseModule = nullptr;

void InitBase() {
  BaseModule* module = RegisterApplication();
  module->init();
  module->loop();
  module->shutdown();
}

void InitBasePiecewise() {
  baseModule = RegisterApplication();
  baseModule->init();
}

void LoopBasePiecewise() { baseModule->loop(); }

void ShutdownBasePiecewise() { baseModule->shutdown(); }
