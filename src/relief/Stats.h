// Order statistics of measured values: the median and other percentiles.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace Stats {

// The p-th percentile (0 to 100) by the nearest-rank method; 0 for no values.
inline double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  double const rank = std::ceil(p / 100.0 * static_cast<double>(values.size()));
  size_t const i = rank < 1.0 ? 0 : std::min(values.size() - 1, static_cast<size_t>(rank) - 1);
  return values[i];
}

inline double median(std::vector<double> const& values) { return percentile(values, 50.0); }

}  // namespace Stats
