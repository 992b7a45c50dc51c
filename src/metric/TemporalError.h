// TemporalError: how much more a technique's picture changes from frame to
// frame than the reference's does (shimmer in motion), fed one frame at a time.
//
// With S_t and R_t the set's and the reference's frame t (t = 0 ... N - 1),
// F(A, B) the metric's error map of two pictures and M_t the pixels the mask
// given with frame t selects (all of them for an empty mask):
//
//   value = 1 / P * sum over the pairs t = 1 ... N - 1 with M_t not empty of
//           1 / |M_t| * sum over p in M_t of | F(S_t-1, S_t)(p) - F(R_t-1, R_t)(p) |
//
// where P is the number of such pairs; 0 with fewer than two frames or no
// pair counted. It is exactly 0 when every set frame equals its reference
// frame, and it does not grow when the set changes as much, in the same
// places, as the reference does. Only the previous pair of frames is kept.
#pragma once

#include <cstddef>
#include <vector>

#include "Flip.h"
#include "FlipPicture.h"

class TemporalError {
public:
  // Throws std::invalid_argument for pixels per degree Flip refuses.
  explicit TemporalError(float pixelsPerDegree = Flip::kDefaultPixelsPerDegree, int threads = 0);

  // Frame t of the set and of the reference, both of the first frame's size,
  // and the mask of the pixels measured for the pair (t - 1, t): empty, or one
  // entry per pixel, top row first. Throws std::invalid_argument for a size
  // that differs (nothing is changed then).
  void add(FlipPicture set, FlipPicture reference, std::vector<bool> const& mask = {});

  double value() const { return pairs == 0 ? 0.0 : sum / static_cast<double>(pairs); }
  // The pairs counted so far.
  size_t pairCount() const { return pairs; }
  // The term of the pair the last add() made, or -1 when it made none (the
  // first frame, or a mask selecting no pixel).
  double lastPair() const { return last; }
  // Forgets every frame.
  void reset();

private:
  Flip flip;
  FlipPicture lastSet, lastReference;
  bool started = false;
  double sum = 0;
  size_t pairs = 0;
  double last = -1;
};
