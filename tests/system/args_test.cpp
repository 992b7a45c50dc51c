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

std::string real(std::string const& p) {
  char buf[PATH_MAX];
  return realpath(p.c_str(), buf) ? std::string(buf) : std::string();
}

// A bundle tree <root>/outer/Test.app/Contents/MacOS; the working directory is
// process-wide, so every test puts it back.
class Args : public testing::Test {
protected:
  void SetUp() override {
    saved = cwd();
    char tmpl[] = "/tmp/rbargsXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root = real(tmpl);
    for (char const* d : {"/outer", "/outer/Test.app", "/outer/Test.app/Contents",
                          "/outer/Test.app/Contents/MacOS", "/elsewhere"})
      ASSERT_EQ(mkdir((root + d).c_str(), 0700), 0);
    exe = root + "/outer/Test.app/Contents/MacOS/Test";
    ASSERT_EQ(chdir((root + "/elsewhere").c_str()), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir(saved.c_str()), 0);
    for (char const* d : {"/outer/Test.app/Contents/MacOS", "/outer/Test.app/Contents",
                          "/outer/Test.app", "/outer", "/elsewhere", ""})
      rmdir((root + d).c_str());
  }

  // Owns the strings the argument list points at.
  char** makeArgv(std::vector<std::string> const& a) {
    storage = a;
    pointers.clear();
    for (auto& s : storage) pointers.push_back(&s[0]);
    pointers.push_back(nullptr);
    return pointers.data();
  }

  std::string saved, root, exe;
  std::vector<std::string> storage;
  std::vector<char*> pointers;
};

}  // namespace

TEST_F(Args, LauncherArgumentRemovedAndBundleFolderEntered) {
  char** argv = makeArgv({exe, "-psn_0_1234567", "scene.txt"});
  char** original = argv;
  int argc = 3;
  EXPECT_TRUE(osxAdjustArguments(argc, argv));
  ASSERT_EQ(argc, 2);
  EXPECT_NE(argv, original);
  EXPECT_EQ(std::string(argv[0]), exe);
  EXPECT_EQ(std::string(argv[1]), "scene.txt");
  EXPECT_EQ(cwd(), root + "/outer");

  // Every launcher argument goes, wherever it stands; the first decides the move.
  ASSERT_EQ(chdir((root + "/elsewhere").c_str()), 0);
  argv = makeArgv({exe, "-a", "-psn1", "-b", "-psnX", "-psn"});
  argc = 6;
  EXPECT_TRUE(osxAdjustArguments(argc, argv));
  ASSERT_EQ(argc, 4);
  EXPECT_EQ(std::string(argv[1]), "-a");
  EXPECT_EQ(std::string(argv[2]), "-b");
  EXPECT_EQ(std::string(argv[3]), "-psn");  // exactly "-psn" is an ordinary argument
  EXPECT_EQ(cwd(), root + "/outer");
}

TEST_F(Args, NothingToDo) {
  std::string before = cwd();
  char** argv = makeArgv({exe, "-psn"});
  char** original = argv;
  int argc = 2;
  EXPECT_FALSE(osxAdjustArguments(argc, argv));
  EXPECT_EQ(argc, 2);
  EXPECT_EQ(argv, original);
  EXPECT_EQ(cwd(), before);

  argv = makeArgv({exe, "--psn_1", "x-psn_2", "-ps"});
  original = argv;
  argc = 4;
  EXPECT_FALSE(osxAdjustArguments(argc, argv));
  EXPECT_EQ(argc, 4);
  EXPECT_EQ(argv, original);
  EXPECT_EQ(cwd(), before);
}

TEST_F(Args, ProgramPathWithoutFolderKeepsWorkingDirectory) {
  std::string before = cwd();
  char** argv = makeArgv({"Test", "-psn_0_1"});
  int argc = 2;
  EXPECT_TRUE(osxAdjustArguments(argc, argv));
  EXPECT_EQ(argc, 1);
  EXPECT_EQ(std::string(argv[0]), "Test");
  EXPECT_EQ(cwd(), before);
}

TEST_F(Args, RelativeProgramPath) {
  ASSERT_EQ(chdir(root.c_str()), 0);
  char** argv = makeArgv({"outer/Test.app/Contents/MacOS/Test", "-psn_0_9"});
  int argc = 2;
  EXPECT_TRUE(osxAdjustArguments(argc, argv));
  EXPECT_EQ(cwd(), root + "/outer");
}

TEST_F(Args, ManyArgumentsUpToTheLimit) {
  std::vector<std::string> a = {exe, "-psn_0_1"};
  for (int i = 1; i < 256; ++i) a.push_back("arg" + std::to_string(i));
  char** argv = makeArgv(a);
  int argc = static_cast<int>(a.size());
  EXPECT_TRUE(osxAdjustArguments(argc, argv));
  ASSERT_EQ(argc, 256);
  EXPECT_EQ(std::string(argv[255]), "arg255");
}

TEST_F(Args, FailuresAreAssertions) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::string missing = root + "/nowhere/Test";
  char** argv = makeArgv({missing, "-psn_0_1"});
  int argc = 2;
  EXPECT_DEATH(osxAdjustArguments(argc, argv), "common.cpp:[0-9]+: failed assertion `!res'");

  std::vector<std::string> a = {exe, "-psn_0_1"};
  for (int i = 1; i <= 256; ++i) a.push_back("arg");
  argv = makeArgv(a);
  argc = static_cast<int>(a.size());
  EXPECT_DEATH(osxAdjustArguments(argc, argv),
               "common.cpp:[0-9]+: failed assertion `altArgc < numberof\\(altArgv\\)'");
}
