// Launcher-argument adjustment on a real directory tree: argument removal, the
// move to the folder that holds the bundle, and the cases that change nothing.
#include <gtest/gtest.h>

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "system/args.h"

namespace {

std::string cwd() {
  char buf[PATH_MAX];
  return getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

// A bundle tree <root>/outer/Test.app/Contents/MacOS; the working directory is
// process-wide, so every test puts it back.
class Args : public testing::Test {
protected:
  void SetUp() override {
    saved = cwd();
    char tmpl[] = "/tmp/rbargsXXXXXX", buf[PATH_MAX];
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root = realpath(tmpl, buf);
    for (char const* d : {"/outer", "/outer/Test.app", "/outer/Test.app/Contents",
                          "/outer/Test.app/Contents/MacOS", "/elsewhere"})
      ASSERT_EQ(mkdir((root + d).c_str(), 0700), 0);
    exe = root + "/outer/Test.app/Contents/MacOS/Test";
    enter("/elsewhere");
  }
  void TearDown() override {
    ASSERT_EQ(chdir(saved.c_str()), 0);
    for (char const* d : {"/outer/Test.app/Contents/MacOS", "/outer/Test.app/Contents",
                          "/outer/Test.app", "/outer", "/elsewhere", ""})
      rmdir((root + d).c_str());
  }
  void enter(char const* d) { ASSERT_EQ(chdir((root + d).c_str()), 0); }

  // Runs the adjustment on a copy of `a` and returns the resulting arguments.
  bool adjust(std::vector<std::string> const& a, std::vector<std::string>* out = nullptr) {
    storage = a;
    pointers.clear();
    for (auto& s : storage) pointers.push_back(&s[0]);
    pointers.push_back(nullptr);
    char** argv = pointers.data();
    int argc = static_cast<int>(a.size());
    bool changed = osxAdjustArguments(argc, argv);
    EXPECT_EQ(changed, argv != pointers.data()) << "a new list exactly when changed";
    if (out) out->assign(argv, argv + argc);
    return changed;
  }

  std::string saved, root, exe;
  std::vector<std::string> storage;
  std::vector<char*> pointers;
};

typedef std::vector<std::string> Strings;

}  // namespace

// Every launcher argument goes, wherever it stands; exactly "-psn" is ordinary.
TEST_F(Args, LauncherArgumentRemovedAndBundleFolderEntered) {
  Strings out;
  EXPECT_TRUE(adjust({exe, "-psn_0_1234567", "scene.txt"}, &out));
  EXPECT_EQ(out, Strings({exe, "scene.txt"}));
  EXPECT_EQ(cwd(), root + "/outer");

  enter("/elsewhere");
  EXPECT_TRUE(adjust({exe, "-a", "-psn1", "-b", "-psnX", "-psn"}, &out));
  EXPECT_EQ(out, Strings({exe, "-a", "-b", "-psn"}));
  EXPECT_EQ(cwd(), root + "/outer");

  // A relative program path is taken from the working directory.
  enter("");
  EXPECT_TRUE(adjust({"outer/Test.app/Contents/MacOS/Test", "-psn_0_9"}));
  EXPECT_EQ(cwd(), root + "/outer");

  // A program path without a folder removes the argument but stays put.
  EXPECT_TRUE(adjust({"Test", "-psn_0_1"}, &out));
  EXPECT_EQ(out, Strings({"Test"}));
  EXPECT_EQ(cwd(), root + "/outer");
}

TEST_F(Args, NothingToDo) {
  std::string const before = cwd();
  Strings const cases[] = {{exe, "-psn"}, {exe, "--psn_1", "x-psn_2", "-ps"}};
  for (Strings const& c : cases) {
    Strings out;
    EXPECT_FALSE(adjust(c, &out));
    EXPECT_EQ(out, c);
    EXPECT_EQ(cwd(), before);
  }
}

// The new list holds 256 entries: 255 ordinary arguments fit, 256 are an assertion.
TEST_F(Args, ArgumentLimitAndFailures) {
  Strings a = {exe, "-psn_0_1"}, out;
  for (int i = 1; i < 256; ++i) a.push_back("arg" + std::to_string(i));
  EXPECT_TRUE(adjust(a, &out));
  ASSERT_EQ(out.size(), 256u);
  EXPECT_EQ(out[255], "arg255");

  GTEST_FLAG_SET(death_test_style, "threadsafe");
  a.push_back("arg");
  EXPECT_DEATH(adjust(a), "common.cpp:[0-9]+: failed assertion `altArgc < numberof\\(altArgv\\)'");
  EXPECT_DEATH(adjust({root + "/nowhere/Test", "-psn_0_1"}),
               "common.cpp:[0-9]+: failed assertion `!res'");
}
