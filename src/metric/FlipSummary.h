// FlipSummary: an error map boiled down to the figures a table shows: over the
// pixels a mask selects, the mean, the 99th percentile and the share of
// pixels whose error is over 0.1.
#pragma once

#include <cstddef>
#include <vector>

#include "FlipPicture.h"

struct FlipSummary {
  // The error above which a pixel counts in `over`.
  static constexpr float kOverThreshold = 0.1f;

  size_t pixels = 0;  // pixels measured
  double mean = 0, p99 = 0;
  double over = 0;    // share of the measured pixels with an error over kOverThreshold

  // The summary of `errors` over the pixels whose mask entry is true; an empty
  // mask selects every pixel. Throws std::invalid_argument when a non-empty
  // mask's size differs from the map's. All zero when nothing is selected.
  static FlipSummary of(std::vector<float> const& errors, std::vector<bool> const& mask = {});
};

// The mask of the pixels a per-pixel map measures, those whose value is not
// negative (the fidelity meter writes -1 off the mesh), in the metric's order
// (top row first) from a map whose rows are in `order`. Throws
// std::invalid_argument when the map does not hold width x height values.
std::vector<bool> measuredMask(std::vector<float> const& perPixel, int width, int height, RowOrder order);
