// A program whose module fails to start: its init() opens the window and the
// engine, then throws an Exception, which must end the program at the entry point.
#include <cstdio>

#include "base/basemodule.h"
#include "base/exception.h"
#include "system/system.h"

namespace {

class FailingModule : public BaseModule {
public:
  void init() override {
    sys.setInitSize(_vec<2, int>(64, 48));
    BaseModule::init();
    Exception e;
    e << "cannot load " << "missing.bmp";
    throw e;
  }
  void update() override {
    std::puts("module update");
    sys.requestExit();
  }
  void shutdown() override {
    std::puts("module shutdown");
    BaseModule::shutdown();
  }
};

FailingModule failingModule;

}  // namespace

BaseModule* RegisterApplication() { return &failingModule; }
