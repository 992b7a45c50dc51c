// The log file: the "log" command switches logging on and off and renames the
// file; what the console prints meanwhile lands in the file.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "base/consolelogger.h"
#include "keyfixture.h"

namespace {
std::string readFile(char const* path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs the test in a fresh temporary folder, where console.txt is written.
class ConsoleLog : public ConsoleKeys {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/consolelogXXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    folder = pattern;
    char here[4096];
    ASSERT_TRUE(getcwd(here, sizeof here));
    previous = here;
    ASSERT_EQ(chdir(folder.c_str()), 0);
    ConsoleKeys::SetUp();
    open();
  }
  void TearDown() override {
    consoleLogger.Enable(false);
    consoleFilename = "console.txt";
    ConsoleKeys::TearDown();
    ASSERT_EQ(chdir(previous.c_str()), 0);
    for (char const* f : {"console.txt", "other.txt"}) std::remove((folder + "/" + f).c_str());
    rmdir(folder.c_str());
  }
  std::string folder, previous;
};
}  // namespace

TEST_F(ConsoleLog, LogTwiceKeepsEverythingBetweenIncludingTheSecondEcho) {
  type("log", true);
  EXPECT_TRUE(consoleLogger.isEnabled());
  testing::internal::CaptureStdout();
  console->addString("between\n");
  testing::internal::GetCapturedStdout();
  type("log", true);
  EXPECT_FALSE(consoleLogger.isEnabled());
  EXPECT_EQ(readFile("console.txt"), "between\n]log\n");

  // Switching on again starts the file afresh.
  type("log", true);
  type("log", true);
  EXPECT_EQ(readFile("console.txt"), "]log\n");
}

TEST_F(ConsoleLog, NamingAFileWhileLoggingSwitchesOff) {
  type("log", true);
  std::string out = type("log other.txt", true);
  EXPECT_EQ(out, "]log other.txt\nchanging console filename to other.txt\n");
  EXPECT_FALSE(consoleLogger.isEnabled());
  EXPECT_EQ(readFile("console.txt"), "]log other.txt\nchanging console filename to other.txt\n");
  EXPECT_EQ(consoleFilename, "other.txt");

  type("log", true);
  EXPECT_TRUE(consoleLogger.isEnabled());
  type("echo hello", true);
  type("log", true);
  EXPECT_EQ(readFile("other.txt"), "]echo hello\nhello\n]log\n");
}

TEST_F(ConsoleLog, UnwritableFileLeavesLoggingOff) {
  type("log /nonexistent-folder/x.txt", true);
  EXPECT_FALSE(consoleLogger.isEnabled());
  EXPECT_EQ(consoleLogger.file, nullptr);
  // The console works on.
  EXPECT_EQ(type("echo still here", true), "]echo still here\nstill here\n");
}
