// Flip: the perceptual difference of two sRGB pictures per pixel, in [0, 1], as
// a viewer alternating between them would see it at a given number of pixels
// per degree of visual angle (the LDR form of the FLIP difference evaluator of
// Andersson et al., HPG 2020).
//
// Two pipelines meet per pixel. The colour pipeline takes both pictures to the
// linearised opponent space YyCxCz, filters each channel with its
// contrast-sensitivity filter (so detail too fine to see at this viewing
// distance fades), goes back to linear RGB clamped to [0, 1], to CIELAB with
// the Hunt adjustment, and measures the HyAB distance, compressed (power 0.7)
// and mapped into [0, 1]. The feature pipeline finds edges and points with the
// first and second derivatives of a Gaussian on the achromatic channel and
// takes the larger difference of their strengths (power 0.5). The error is the
// colour term raised to 1 minus the feature term: a feature that appears or
// vanishes lifts even a small colour difference.
//
// Edges of the picture repeat their outermost pixels. The work runs on worker
// threads in bands of rows; a Flip is immutable and may be shared by threads.
#pragma once

#include <vector>

#include "FlipFilters.h"
#include "FlipPicture.h"

class Flip {
public:
  // The pixels per degree of the paper's standard viewer: a 0.7 m wide
  // 3840-pixel monitor seen from 0.7 m.
  static constexpr float kDefaultPixelsPerDegree = 67.02f;

  // The colour term's compression exponent, the break point of its mapping
  // into [0, 1] as a share of the largest distance, and the value there.
  static constexpr float kColorExponent = 0.7f;
  static constexpr float kColorBreak = 0.4f;
  static constexpr float kColorBreakValue = 0.95f;
  // The feature term's exponent.
  static constexpr float kFeatureExponent = 0.5f;

  // Throws std::invalid_argument unless 0 < pixelsPerDegree <= 1000.
  // `threads`: 0 for one per hardware thread.
  explicit Flip(float pixelsPerDegree = kDefaultPixelsPerDegree, int threads = 0);

  float pixelsPerDegree() const { return filters.pixelsPerDegree(); }
  FlipFilters const& filterSet() const { return filters; }
  // The compressed HyAB distance of the two most different colours, pure
  // green and pure blue, Hunt-adjusted: the colour term's 1.
  float largestColorDistance() const { return maxDistance; }

  // The error of each pixel, in the pictures' order (top row first). Throws
  // std::invalid_argument when the sizes differ. Symmetric in its arguments.
  std::vector<float> errorMap(FlipPicture const& reference, FlipPicture const& test) const;

  // The error with the two terms it is made of, per pixel.
  struct Terms {
    std::vector<float> error, color, feature;
  };
  Terms terms(FlipPicture const& reference, FlipPicture const& test) const;

private:
  void compare(FlipPicture const& a, FlipPicture const& b, float* error, float* color, float* feature) const;

  FlipFilters filters;
  int threads;
  float maxDistance;
};
