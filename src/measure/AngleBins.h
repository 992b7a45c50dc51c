// AngleBins: a technique's errors split by the angle between the eye ray and
// the surface normal, where the grazing views that the searches find hardest
// lie apart from the head-on ones.
#pragma once

#include <cstddef>
#include <vector>

struct AngleBin {
  double from = 0, to = 0;  // degrees, from inclusive, to exclusive (90 in the last bin)
  size_t pixels = 0;
  double mean = 0, p95 = 0, p99 = 0;
  double over1 = 0;  // share of the bin's pixels over the threshold (one texel off, by default)
};

// Bins of `width` degrees from 0 to 90 over the pixels that have both an error
// (>= 0) and an angle (>= 0) at the same index; a bin without pixels has
// zeros. `over` is the error a pixel must pass to count in over1.
std::vector<AngleBin> binByAngle(std::vector<float> const& errors, std::vector<float> const& angles,
                                 double width = 5.0, double over = 1.0);
