// The program's lifecycle: how the entry point ends a module program run as a
// child process (exit status, standard output and error), and the three
// piecewise steps in this process with a module that records its calls.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/base.h"
#include "base/basemodule.h"
#include "base/console.h"
#include "sdlsystem/sdlsystem.h"

// An Exception ends the program with status 1 and its message on standard output,
// before the loop and without the shut-down; quit or exit typed into the console
// end it normally after the shut-down; an Error is fatal, status 2, with its
// message (the command's first argument) on standard error.
TEST(Lifecycle, HowTheEntryPointEndsAProgram) {
  struct Row { char const *arg, *out, *err; int status; } const rows[] = {
      {"fail", "module init\ncaught an exception: cannot load missing.bmp\n", "", 1},
      {"quit", "module init\n]quit\nmodule shutdown\n", "", 0},
      {"exit", "module init\n]exit\nmodule shutdown\n", "", 0},
      {"error disk0 gone", "module init\n]error disk0 gone\n", "fatal error: disk0\n", 2}};
  std::string const errFile = ::testing::TempDir() + "lifecycle.err";
  for (Row const& r : rows) {
    std::string out;
    FILE* p = popen(("'" LINE_PROGRAM "' '" + std::string(r.arg) + "' 2>'" + errFile + "' </dev/null").c_str(), "r");
    for (int c; (c = std::fgetc(p)) != EOF;) out += static_cast<char>(c);
    int const raw = pclose(p);
    std::ifstream in(errFile);
    std::string const err{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, r.status) << r.arg << "\n" << err;
    EXPECT_EQ(out, r.out) << r.arg;
    EXPECT_NE(err.find(r.err), std::string::npos) << r.arg << "\n" << err;
  }
}

namespace {

struct StepModule : BaseModule {
  void init() override {
    calls.push_back("init");
    sys.setInitSize(_vec<2, int>(96, 64));
    BaseModule::init();
  }
  void update() override {
    calls.push_back(base.views[Base::VIEW_TOP].scene == this && base.loopCallback == this ? "update" : "?");
    if (calls.size() == 6) sys.requestExit();  // the third update
  }
  void render(Viewport const*, View const*) override { calls.push_back("render"); }
  void shutdown() override {
    calls.push_back("shutdown");
    BaseModule::shutdown();
  }
  std::vector<std::string> calls;
} stepModule;

}  // namespace

BaseModule* RegisterApplication() { return &stepModule; }

// A host drives init, loop and shut-down as three steps: the module is the
// views' scene and the frame's callback, and the engine is reset at the end.
TEST(Lifecycle, PiecewiseSteps) {
  sdlBindSingletons();
  ASSERT_EQ(baseModule, nullptr);
  InitBasePiecewise();
  EXPECT_EQ(baseModule, &stepModule);
  EXPECT_EQ(con.getWidth() * 100 + con.getHeight(), 8050);
  LoopBasePiecewise();
  ShutdownBasePiecewise();
  EXPECT_EQ(stepModule.calls, (std::vector<std::string>{"init", "update", "render", "update", "render", "update",
                                                        "render", "shutdown"}));
  EXPECT_EQ(base.loopCallback, nullptr);
  EXPECT_EQ(sdlSys.getWindow(), nullptr);
}
