// Launcher-argument adjustment on a real directory tree: argument removal, the
// move to the folder that holds the bundle, and the cases that change nothing.
#include <gtest/gtest.h>

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "system/args.h"

typedef std::vector<std::string> Strings;

static std::string cwd() {
  char buf[PATH_MAX];
  return getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

// Runs the adjustment from folder `from` on a copy of a; the arguments it leaves.
static Strings adjust(std::string const& from, Strings a, bool changes = true) {
  EXPECT_EQ(chdir(from.c_str()), 0);
  std::vector<char*> pointers;
  for (auto& s : a) pointers.push_back(&s[0]);
  char** argv = pointers.data();
  int argc = static_cast<int>(a.size());
  EXPECT_EQ(osxAdjustArguments(argc, argv), changes);
  EXPECT_EQ(argv != pointers.data(), changes) << "a new list exactly when changed";
  return Strings(argv, argv + argc);
}

TEST(Args, LauncherArgumentsRemovedAndBundleFolderEntered) {
  std::string const saved = cwd();
  // The new list holds 256 entries: 255 ordinary arguments fit, 256 are an
  // assertion; a bundle folder that cannot be entered is one too. (First: a
  // death test's child runs the test up to its statement, and makes no tree.)
  Strings a = {"/T", "-psn_0_1"};
  for (int i = 1; i < 256; ++i) a.push_back("arg" + std::to_string(i));
  Strings const out = adjust("/", a);
  ASSERT_EQ(out.size(), 256u);
  EXPECT_EQ(out[255], "arg255");
  EXPECT_EQ(cwd(), "/");  // the root folder, then three levels up from it
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  a.push_back("arg");
  EXPECT_DEATH(adjust("/", a), "common.cpp:[0-9]+: failed assertion `altArgc < numberof\\(altArgv\\)'");
  EXPECT_DEATH(adjust("/", {"/nowhere/T", "-psn_0_1"}), "common.cpp:[0-9]+: failed assertion `!res'");

  // Every launcher argument goes, wherever it stands; "-psn" alone is ordinary. A
  // relative program path is taken from the working directory; one without a
  // folder names no bundle, so the working directory stays.
  char tmpl[] = "/tmp/rbargsXXXXXX", buf[PATH_MAX];
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  std::string const root = realpath(tmpl, buf), exe = root + "/a/T.app/Contents/MacOS/T";
  ASSERT_EQ(system(("mkdir -p '" + root + "/a/T.app/Contents/MacOS'").c_str()), 0);
  EXPECT_EQ(adjust(root, {exe, "-x", "-psn1", "-y", "-psn_0_12", "-psn"}), Strings({exe, "-x", "-y", "-psn"}));
  EXPECT_EQ(cwd(), root + "/a");
  EXPECT_EQ(adjust(root, {"a/T.app/Contents/MacOS/T", "-psn_0_9"}), Strings({"a/T.app/Contents/MacOS/T"}));
  EXPECT_EQ(cwd(), root + "/a");
  EXPECT_EQ(adjust(root, {"T", "-psn_0_1", "x"}), Strings({"T", "x"}));
  EXPECT_EQ(cwd(), root);
  for (Strings const& c : {Strings{exe, "-psn"}, Strings{exe, "--psn_1", "x-psn_2", "-ps"}, Strings{}}) {
    EXPECT_EQ(adjust(root, c, false), c);
    EXPECT_EQ(cwd(), root);
  }
  EXPECT_EQ(chdir(saved.c_str()), 0);
  EXPECT_EQ(system(("rm -r '" + root + "'").c_str()), 0);
}
