// The log file: the "log" command switches logging on and off, renames the
// file and reports where logging stands; sessions are appended after a marker.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "base/consolelogger.h"
#include "keyfixture.h"

namespace {
// The file's text, with the time in session markers replaced by "T".
std::string readFile(char const* path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  std::string text = s.str();
  for (size_t at = 0; (at = text.find("opened ", at)) != std::string::npos;) {
    at += 7;
    text.replace(at, text.find(" ====", at) - at, "T");
  }
  return text;
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

// Each session is appended after a line that marks it; "log" says where
// logging stands after each switch.
TEST_F(ConsoleLog, SessionsAppendAfterAMarkerLine) {
  { std::ofstream("console.txt") << "earlier run\n"; }
  EXPECT_EQ(type("log", true), "]log\nlogging is on, to console.txt\n");
  EXPECT_TRUE(consoleLogger.isEnabled());
  testing::internal::CaptureStdout();
  console->addString("between");  // no line end
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(type("log", true), "]log\nlogging is off; the log file is console.txt\n");
  EXPECT_FALSE(consoleLogger.isEnabled());
  type("log", true);
  type("log", true);
  std::string const session = "==== console log opened T ====\nlogging is on, to console.txt\n";
  EXPECT_EQ(readFile("console.txt"), "earlier run\n\n" + session + "between]log\n\n" + session + "]log\n");
}

TEST_F(ConsoleLog, NamingAFileWhileLoggingSwitchesOff) {
  type("log", true);
  std::string out = type("log other.txt", true);
  EXPECT_EQ(out, "]log other.txt\nchanging console filename to other.txt\nlogging is off; the log file is other.txt\n");
  EXPECT_FALSE(consoleLogger.isEnabled());
  EXPECT_EQ(readFile("console.txt"), "==== console log opened T ====\nlogging is on, to console.txt\n"
                                     "]log other.txt\nchanging console filename to other.txt\n");
  EXPECT_EQ(consoleFilename, "other.txt");

  type("log", true);
  EXPECT_TRUE(consoleLogger.isEnabled());
  type("echo hello", true);
  type("log", true);
  EXPECT_EQ(readFile("other.txt"), "==== console log opened T ====\nlogging is on, to other.txt\n]echo hello\nhello\n]log\n");
}

// A name that cannot be a log file gets the reason, and changes nothing: no
// file, logging off, the old name kept. Nothing waits on a FIFO.
TEST_F(ConsoleLog, AFileThatCannotBeOpenedChangesNothing) {
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  ASSERT_EQ(mkdir("sub", 0700), 0);
  struct {
    char const *name, *reason;
  } const cases[] = {{"/nonexistent-folder/x.txt", "No such file or directory"},
                     {"sub", "is a directory, not a regular file"},
                     {"pipe", "is a FIFO, not a regular file"}};
  for (auto const& c : cases) {
    std::string const line = std::string("log ") + c.name;
    EXPECT_EQ(type(line, true), "]" + line + "\nlog: cannot open " + c.name + ": " + c.reason + "; logging stays off\n");
    EXPECT_FALSE(consoleLogger.isEnabled());
    EXPECT_EQ(consoleLogger.file, nullptr);
    EXPECT_EQ(consoleFilename, "console.txt");
  }
  rmdir("sub");
  std::remove("pipe");
  // The console works on.
  EXPECT_EQ(type("echo still here", true), "]echo still here\nstill here\n");
}
