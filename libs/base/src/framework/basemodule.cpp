// BaseModule: the default module operations that bring the platform and the
// engine up and down, and run the main loop with the module as scene and callback.
#include "base/basemodule.h"

#include "base/base.h"
#include "system/system.h"

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
