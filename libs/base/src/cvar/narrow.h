// Number conversions for console values that stay defined for any input text:
// out-of-range values saturate instead of invoking undefined behaviour.
#pragma once

#include <cfloat>
#include <climits>
#include <cmath>

// double to float; values beyond the float range become infinities, as the
// hardware conversion would give, NaN stays NaN.
inline float narrowToFloat(double d) {
  if (d > FLT_MAX) return HUGE_VALF;
  if (d < -FLT_MAX) return -HUGE_VALF;
  return static_cast<float>(d);
}

// double truncated towards zero to int; out-of-range values saturate at the
// int limits and NaN gives 0.
inline int truncateToInt(double d) {
  if (std::isnan(d)) return 0;
  if (d >= 2147483647.0) return INT_MAX;
  if (d <= -2147483648.0) return INT_MIN;
  return static_cast<int>(d);
}
