// parseFiniteDouble, parseFiniteFloat, parseInt: one whole finite number or nothing.
#include "base/parsenumber.h"

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdlib>

#include "cvar/narrow.h"

bool parseFiniteDouble(char const* text, double& out) {
  if (!text) return false;
  char* end = nullptr;
  double const d = std::strtod(text, &end);
  if (end == text) return false;
  while (std::isspace(static_cast<unsigned char>(*end))) ++end;
  // Underflow to zero or a denormal is fine; overflow gives an infinity.
  if (*end || !std::isfinite(d)) return false;
  out = d;
  return true;
}

bool parseFiniteFloat(char const* text, float& out) {
  double d = 0;
  if (!parseFiniteDouble(text, d) || std::fabs(d) > double(FLT_MAX)) return false;
  out = narrowToFloat(d);
  return true;
}

bool parseInt(char const* text, int& out) {
  double d = 0;
  if (!parseFiniteDouble(text, d)) return false;
  out = truncateToInt(d);
  return true;
}
