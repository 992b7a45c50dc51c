// Runs console lines through the registry and returns what they printed.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "base/cvar.h"

// The registry, with every object defined so far registered.
inline CVarSys& registry() {
  CVarSys* r = cvarRegistry();
  r->init();
  return *r;
}

inline std::string runLine(char const* line) {
  registry();
  testing::internal::CaptureStdout();
  cvarInterpreter.exec(line);
  return testing::internal::GetCapturedStdout();
}
