// Tidying driver logs: run-together messages split, preprocessor lines moved.
#include <gtest/gtest.h>

#include <string>

#include "ShaderLog.h"

TEST(ShaderLog, MessagesRunTogetherAreSplitOthersKept) {
  EXPECT_EQ(ShaderLog::oneMessageALine("error: linking with uncompiled shadererror: linking with uncompiled shader"),
            "error: linking with uncompiled shader\nerror: linking with uncompiled shader\n");
  for (std::string log : {"0:3(1): preprocessor error: #error x\n", "ERROR: 0:3: 'x' : syntax error: unexpected\n", ""})
    EXPECT_EQ(ShaderLog::oneMessageALine(log), log);
}

TEST(ShaderLog, OnlyPreprocessorMessagesMove) {
  EXPECT_EQ(ShaderLog::shiftPreprocessorLines("0:257(1): preprocessor error: #error\n0:9(8): preprocessor warning: w\n"
                                              "0:12(3): error: syntax error\n",
                                              1),
            "0:258(1): preprocessor error: #error\n0:10(8): preprocessor warning: w\n0:12(3): error: syntax error\n");
}
