// FlipSummary: mean, 99th percentile and share over the threshold of the masked pixels.
#include "FlipSummary.h"

#include <stdexcept>

#include "Stats.h"

FlipSummary FlipSummary::of(std::vector<float> const& errors, std::vector<bool> const& mask) {
  if (!mask.empty() && mask.size() != errors.size()) throw std::invalid_argument("FlipSummary: mask and map differ in size");
  std::vector<double> picked;
  picked.reserve(errors.size());
  double sum = 0;
  size_t over = 0;
  for (size_t i = 0; i < errors.size(); ++i) {
    if (!mask.empty() && !mask[i]) continue;
    double const e = errors[i];
    picked.push_back(e);
    sum += e;
    if (e > kOverThreshold) ++over;
  }
  FlipSummary s;
  s.pixels = picked.size();
  if (picked.empty()) return s;
  s.mean = sum / static_cast<double>(s.pixels);
  s.over = static_cast<double>(over) / static_cast<double>(s.pixels);
  s.p99 = Stats::percentile(std::move(picked), 99.0);
  return s;
}

std::vector<bool> measuredMask(std::vector<float> const& perPixel, int width, int height, RowOrder order) {
  if (width < 0 || height < 0 || perPixel.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
    throw std::invalid_argument("measuredMask: the map is not width x height");
  std::vector<bool> mask(perPixel.size());
  size_t const w = static_cast<size_t>(width);
  for (int y = 0; y < height; ++y) {
    size_t const from = static_cast<size_t>(order == RowOrder::TopFirst ? y : height - 1 - y) * w;
    size_t const to = static_cast<size_t>(y) * w;
    for (size_t x = 0; x < w; ++x) mask[to + x] = perPixel[from + x] >= 0.0f;
  }
  return mask;
}
