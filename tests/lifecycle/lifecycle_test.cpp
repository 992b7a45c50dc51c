// Runs the lifecycle programs as child processes and checks how they end:
// exit status, standard output and standard error.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Outcome {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

std::string slurp(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs program with one argument (may be empty), capturing both streams.
Outcome run(std::string const& program, std::string const& arg) {
  std::string const base = ::testing::TempDir() + "lifecycle_" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::string const cmd = "'" + program + "'" + (arg.empty() ? "" : " '" + arg + "'") + " >'" +
                          base + ".out' 2>'" + base + ".err' </dev/null";
  Outcome r;
  int const raw = std::system(cmd.c_str());
  if (raw != -1 && WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
  r.out = slurp(base + ".out");
  r.err = slurp(base + ".err");
  return r;
}

bool contains(std::string const& text, std::string const& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

TEST(Lifecycle, ExceptionFromInitEndsWithStatusOne) {
  Outcome r = run(FAILING_INIT_PROGRAM, "");
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_TRUE(contains(r.out, "caught an exception: cannot load missing.bmp\n")) << r.out;
  // The loop was never entered and no shutdown step ran.
  EXPECT_FALSE(contains(r.out, "module update")) << r.out;
  EXPECT_FALSE(contains(r.out, "module shutdown")) << r.out;
}

// Either command typed into the console ends the loop, and the module shuts down.
TEST(Lifecycle, QuitOrExitTypedIntoTheConsoleEndsNormally) {
  for (char const* line : {"quit", "exit"}) {
    SCOPED_TRACE(line);
    Outcome r = run(CONSOLE_PROGRAM, line);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(contains(r.out, "module init")) << r.out;
    EXPECT_TRUE(contains(r.out, "]" + std::string(line) + "\n")) << r.out;  // the console's echo
    EXPECT_TRUE(contains(r.out, "module shutdown")) << r.out;
    EXPECT_FALSE(contains(r.out, "watchdog")) << r.out;
  }
}

TEST(Lifecycle, ErrorTypedIntoTheConsoleIsAFatalEnd) {
  Outcome r = run(CONSOLE_PROGRAM, "error disk0 gone");
  EXPECT_NE(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.status, 3) << "watchdog fired: " << r.out;
  EXPECT_NE(r.status, -1) << "did not exit normally: " << r.err;
  // Only the first argument is the message; it is reported on standard error.
  EXPECT_TRUE(contains(r.err, "disk0")) << r.err;
  EXPECT_FALSE(contains(r.err, "gone")) << r.err;
  EXPECT_FALSE(contains(r.out, "caught an exception")) << r.out;
}
