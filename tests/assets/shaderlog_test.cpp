// Tidying driver logs: run-together messages split, preprocessor lines moved.
#include <gtest/gtest.h>

#include <string>

#include "ShaderLog.h"

TEST(ShaderLog, MessagesRunTogetherAreSplitOthersKept) {
  struct { char const *log, *expect; } const rows[] = {
      {"error: linking with uncompiled shadererror: linking with uncompiled shader",
       "error: linking with uncompiled shader\nerror: linking with uncompiled shader\n"},
      {"0:3(1): preprocessor error: #error x\n", "0:3(1): preprocessor error: #error x\n"},
      {"0:3(10): error: `x' undeclared.warning: unused", "0:3(10): error: `x' undeclared.\nwarning: unused\n"},
      {"ERROR: 0:3: 'x' : syntax error: unexpected", "ERROR: 0:3: 'x' : syntax error: unexpected\n"},
      {"", ""},
  };
  for (auto const& r : rows) EXPECT_EQ(ShaderLog::oneMessageALine(r.log), r.expect) << r.log;
}

TEST(ShaderLog, OnlyPreprocessorMessagesMove) {
  std::string const log =
      "0:257(1): preprocessor error: #error stop\n"
      "0:9(8): preprocessor warning: redefined\n"
      "0:12(3): error: syntax error\n"
      "a preprocessor error without a place\n"
      "0:99(2): preprocessor error: no line end";
  EXPECT_EQ(ShaderLog::shiftPreprocessorLines(log, 1),
            "0:258(1): preprocessor error: #error stop\n"
            "0:10(8): preprocessor warning: redefined\n"
            "0:12(3): error: syntax error\n"
            "a preprocessor error without a place\n"
            "0:100(2): preprocessor error: no line end");
}
