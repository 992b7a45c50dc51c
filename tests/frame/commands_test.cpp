// The engine's console commands and variables, reached through the registry
// as a typed console line would reach them.
#include <gtest/gtest.h>

#include "base/base.h"
#include "base/basecvars.h"
#include "base/cvarsys.h"
#include "base/exception.h"
#include "system/system.h"

namespace {

// Records exit requests; everything else is unused here.
class RecordingSystem : public PSystem {
public:
  void init() override {}
  void shutdown() override {}
  void loop(void (*)()) override {}
  void requestExit() override { ++exits; }
  void setInitDoubleBuffered(bool) override {}
  void setInitPos(_vec<2, int> const&) override {}
  void setInitSize(_vec<2, int> const&) override {}
  std::string getArg(int) const override { return std::string(); }
  int getArgCount() const override { return 0; }
  int exits = 0;
};

void exec(char const* line) {
  cvarSys.validate();
  cvarSys->exec(line);
}

}  // namespace

TEST(EngineCommands, QuitAndExitRequestTheEnd) {
  RecordingSystem rec;
  PSystem* old = sys.imp;
  sys.setImp(&rec);
  exec("quit");
  EXPECT_EQ(rec.exits, 1);
  exec("exit now");
  EXPECT_EQ(rec.exits, 2);
  sys.setImp(old);
}

TEST(EngineCommands, ErrorThrowsItsFirstArgument) {
  EXPECT_NO_THROW(exec("error"));
  try {
    exec("error boom extra");
    FAIL() << "no Error thrown";
  } catch (Error const& e) {
    EXPECT_EQ(e.message(), "boom");
  }
  // A quoted argument keeps its spaces (and its quote characters).
  try {
    exec("error \"disk full\"");
    FAIL() << "no Error thrown";
  } catch (Error const& e) {
    EXPECT_EQ(e.message(), "\"disk full\"");
  }
}

TEST(EngineCommands, CameraVariablesWrapTheEngine) {
  base.reset();
  EXPECT_EQ(base.camSpeed, 1.0f);
  EXPECT_EQ(base.camRot, 3.0f);
  EXPECT_EQ(base.camZoom, 0.5f);
  EXPECT_TRUE(base.camKeys);

  exec("camSpeed 2.5");
  exec("camRot 45");
  exec("camZoom 0.25");
  exec("camKeys 0");
  EXPECT_EQ(base.camSpeed, 2.5f);
  EXPECT_EQ(base.camRot, 45.0f);
  EXPECT_EQ(base.camZoom, 0.25f);
  EXPECT_FALSE(base.camKeys);
  exec("camKeys TRUE");
  EXPECT_TRUE(base.camKeys);

  exec("moveByZoom 3.7");
  EXPECT_EQ(static_cast<int>(moveByZoom), 3);
  exec("moveByZoom 0");
  exec("displayFPS 1");
  EXPECT_EQ(static_cast<int>(displayFPS), 1);
  exec("displayFPS 0");

  // reset() restores the defaults and drops the frame function and callback.
  base.loopFunc = [] {};
  base.reset();
  EXPECT_EQ(base.camSpeed, 1.0f);
  EXPECT_EQ(base.loopFunc, nullptr);
  EXPECT_EQ(base.loopCallback, nullptr);
  EXPECT_EQ(base.mouseLine.dir, (_vec<3, float>(1, 0, 0)));
}

TEST(EngineCommands, EveryEngineNameIsRegistered) {
  cvarSys.validate();
  for (char const* name : {"quit", "exit", "error", "displayFPS", "currentFPS", "camKeys",
                           "camSpeed", "camRot", "camZoom", "moveByZoom", "polygonMode",
                           "cullFace", "depthTest", "clearColor"})
    EXPECT_NE(cvarSys->matchString(name), nullptr) << name;
}
