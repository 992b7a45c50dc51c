// AngleBins: sorting pixels into angle bins and summing each bin up.
#include "AngleBins.h"

#include <algorithm>
#include <cmath>

#include "Stats.h"

std::vector<AngleBin> binByAngle(std::vector<float> const& errors, std::vector<float> const& angles, double width, double over) {
  int const count = std::max(1, static_cast<int>(std::ceil(90.0 / width - 1e-9)));
  std::vector<std::vector<double> > members(static_cast<size_t>(count));
  size_t const n = std::min(errors.size(), angles.size());
  for (size_t i = 0; i < n; ++i) {
    if (!(errors[i] >= 0.0f) || !(angles[i] >= 0.0f)) continue;
    int const bin = std::min(count - 1, static_cast<int>(static_cast<double>(angles[i]) / width));
    members[static_cast<size_t>(bin)].push_back(errors[i]);
  }
  std::vector<AngleBin> bins(static_cast<size_t>(count));
  for (int b = 0; b < count; ++b) {
    AngleBin& bin = bins[static_cast<size_t>(b)];
    std::vector<double> const& e = members[static_cast<size_t>(b)];
    bin.from = width * b;
    bin.to = std::min(90.0, width * (b + 1));
    bin.pixels = e.size();
    if (e.empty()) continue;
    double sum = 0;
    size_t above = 0;
    for (double x : e) {
      sum += x;
      above += x > over;
    }
    bin.mean = sum / static_cast<double>(e.size());
    bin.p95 = Stats::percentile(e, 95);
    bin.p99 = Stats::percentile(e, 99);
    bin.over1 = static_cast<double>(above) / static_cast<double>(e.size());
  }
  return bins;
}
