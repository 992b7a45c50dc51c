// BaseModule and the program's lifecycle: init, main loop and shut-down of the
// application module, whole or piecewise, and the platform's frame function.
#include "base/basemodule.h"

#include "base/base.h"
#include "system/system.h"

BaseModule* baseModule = nullptr;

void BaseModule::render(Viewport const*, View const*) {}

void BaseModule::init() {
  sys.init();
  base.init();
}

void BaseModule::shutdown() {
  base.shutdown();
  sys.shutdown();
}

void BaseModule::update() {}

void BaseModule::loop() {
  base.setScene(static_cast<Scene*>(this));
  base.loop(static_cast<LoopCallback*>(this));
}

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

void base_loopCallback() { base.doLoop(); }
