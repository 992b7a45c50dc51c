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
  cvarRegistry()->init();  // as Base::init does
  cvarRegistry()->exec(line);
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
  // A quoted argument keeps its spaces (and its quote characters).
  struct Row { char const* line; char const* message; };
  for (Row r : {Row{"error boom extra", "boom"}, Row{"error \"disk full\"", "\"disk full\""}}) {
    try {
      exec(r.line);
      ADD_FAILURE() << "no Error thrown by " << r.line;
    } catch (Error const& e) {
      EXPECT_EQ(e.message(), r.message);
    }
  }
}

// Defaults the frame loop's motion relies on, then each variable set by a line.
TEST(EngineCommands, CameraVariablesWrapTheEngine) {
  base.reset();
  struct Row { char const* line; float const* field; float expected; };
  Row const rows[] = {{nullptr, &base.camSpeed, 1.0f}, {nullptr, &base.camRot, 3.0f},
                      {nullptr, &base.camZoom, 0.5f}, {"camSpeed 2.5", &base.camSpeed, 2.5f},
                      {"camRot 45", &base.camRot, 45.0f}, {"camZoom 0.25", &base.camZoom, 0.25f}};
  for (Row const& r : rows) {
    SCOPED_TRACE(r.line ? r.line : "default");
    if (r.line) exec(r.line);
    EXPECT_EQ(*r.field, r.expected);
  }
  EXPECT_TRUE(base.camKeys);
  exec("camKeys 0");
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
  cvarRegistry()->init();
  for (char const* name : {"quit", "exit", "error", "displayFPS", "currentFPS", "camKeys",
                           "camSpeed", "camRot", "camZoom", "moveByZoom", "polygonMode",
                           "cullFace", "depthTest", "clearColor"})
    EXPECT_NE(cvarSys->matchString(name), nullptr) << name;
}
