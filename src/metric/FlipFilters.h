// FlipFilters: the image metric's filter kernels for a given number of pixels
// per degree of visual angle: the contrast-sensitivity filters of the three
// opponent channels and the Gaussian, edge and point kernels of the feature
// detectors, all as separable one-dimensional halves.
#pragma once

#include <vector>

// One symmetric or antisymmetric kernel of 2 * radius + 1 taps, stored from
// the centre out: weights[k] is the weight at offset +k; the weight at -k is
// the same (even) or its negative (odd). A balanced kernel is even with
// weights that sum to 0; it is applied to the differences from the centre,
// sum over k of weights[k] (x[+k] + x[-k] - 2 x[0]), so that a flat row gives
// exactly 0, not the rounding of a sum of large terms (weights[0] then only
// says what the centre weighs).
struct FlipKernel {
  int radius = 0;
  bool odd = false;
  bool balanced = false;
  std::vector<float> weights;

  // The sum of the weights over all 2 * radius + 1 taps.
  double sum() const;
};

// One separable term of a two-dimensional filter: `across` along the row, then
// `down` along the column.
struct FlipSeparable {
  FlipKernel across, down;
};

class FlipFilters {
public:
  // Throws std::invalid_argument unless 0 < pixelsPerDegree <= kMaxPixelsPerDegree.
  explicit FlipFilters(float pixelsPerDegree);

  // Beyond this the colour filters would be hundreds of pixels wide.
  static constexpr float kMaxPixelsPerDegree = 1000.0f;
  // Whether the constructor takes this value: over 0 and at most the maximum
  // (so not NaN), for whoever checks a user's setting first.
  static bool acceptsPixelsPerDegree(float ppd) { return ppd > 0.0f && ppd <= kMaxPixelsPerDegree; }

  float pixelsPerDegree() const { return ppd; }
  // The reach of the colour filters and of the feature kernels, in pixels.
  // (A kernel's own radius can be smaller: outer taps too small to change a
  // float sum are dropped.)
  int colorRadius() const { return colorReach; }
  int featureRadius() const { return featureReach; }

  // Each opponent channel's contrast-sensitivity filter (Yy, Cx, Cz in that
  // order) as a sum of separable Gaussian terms whose two-dimensional weights
  // sum to 1, so that a flat picture stays flat.
  std::vector<FlipSeparable> const& channel(int c) const { return channels[c]; }

  // The feature kernels on the achromatic channel: the Gaussian (sum 1), its
  // first derivative (odd; the positive weights sum to 1) and its second
  // derivative (even; the positive weights sum to 1, the negative ones to -1).
  // An edge response is derivative across times Gaussian down, and so on.
  FlipKernel const& gaussian() const { return gauss; }
  FlipKernel const& firstDerivative() const { return edge; }
  FlipKernel const& secondDerivative() const { return point; }

private:
  float ppd;
  int colorReach, featureReach;
  std::vector<FlipSeparable> channels[3];
  FlipKernel gauss, edge, point;
};
