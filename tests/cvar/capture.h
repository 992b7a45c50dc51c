// Runs console lines through the registry and returns what they printed.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "base/cvar.h"

inline std::string runLine(char const* line) {
  testing::internal::CaptureStdout();
  cvarInterpreter.exec(line);
  return testing::internal::GetCapturedStdout();
}
