// The piecewise lifecycle in one process: init, loop and shut-down driven as
// three separate steps by a host, with a module that counts what it is asked to do.
#include <gtest/gtest.h>
#include <SDL.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/base.h"
#include "base/basemodule.h"
#include "base/console.h"
#include "sdlsystem/sdlsystem.h"

namespace {

class StepModule : public BaseModule {
public:
  void init() override {
    calls.push_back("init");
    sys.setInitSize(_vec<2, int>(96, 64));
    BaseModule::init();
  }
  void update() override {
    calls.push_back("update");
    sceneSeen = base.views[Base::VIEW_TOP].scene;
    callbackSeen = base.loopCallback;
    if (++updates == 3) sys.requestExit();
  }
  void render(Viewport const*, View const*) override { ++renders; }
  void shutdown() override {
    calls.push_back("shutdown");
    BaseModule::shutdown();
  }
  std::vector<std::string> calls;
  int updates = 0;
  int renders = 0;
  Scene const* sceneSeen = nullptr;
  LoopCallback const* callbackSeen = nullptr;
};

StepModule stepModule;

}  // namespace

BaseModule* RegisterApplication() { return &stepModule; }

TEST(Piecewise, ThreeStepsRunTheModule) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  sdlBindSingletons();
  ASSERT_EQ(baseModule, nullptr);

  InitBasePiecewise();
  EXPECT_EQ(baseModule, &stepModule);
  EXPECT_EQ(RegisterApplication(), RegisterApplication());
  EXPECT_EQ(stepModule.calls, (std::vector<std::string>{"init"}));
  // The engine is up: its views exist and the console has its grid.
  EXPECT_TRUE(base.isFullscreen());
  EXPECT_EQ(con.getWidth(), 80);

  LoopBasePiecewise();
  EXPECT_EQ(stepModule.updates, 3);
  EXPECT_EQ(stepModule.renders, 3);  // one view in the single layout, three frames
  // The module is the views' scene and the frame's callback: the two base
  // sub-objects of the same module object.
  EXPECT_EQ(stepModule.sceneSeen, static_cast<Scene const*>(&stepModule));
  EXPECT_EQ(stepModule.callbackSeen, static_cast<LoopCallback const*>(&stepModule));

  ShutdownBasePiecewise();
  EXPECT_EQ(stepModule.calls.back(), "shutdown");
  EXPECT_EQ(stepModule.calls.size(), 5u);
  // The engine was reset: no callback left behind.
  EXPECT_EQ(base.loopCallback, nullptr);
  EXPECT_EQ(sdlSys.getWindow(), nullptr);
}
