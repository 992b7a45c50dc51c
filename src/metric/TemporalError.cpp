// TemporalError: the mean over consecutive pairs of the masked mean difference
// of the set's and the reference's frame-to-frame error maps.
#include "TemporalError.h"

#include <cmath>
#include <stdexcept>
#include <utility>

TemporalError::TemporalError(float pixelsPerDegree, int threads) : flip(pixelsPerDegree, threads) {}

void TemporalError::add(FlipPicture set, FlipPicture reference, std::vector<bool> const& mask) {
  if (!set.sameSize(reference) || (started && !set.sameSize(lastSet)))
    throw std::invalid_argument("TemporalError: a frame differs in size");
  if (!mask.empty() && mask.size() != set.pixels()) throw std::invalid_argument("TemporalError: the mask differs in size");
  last = -1;
  if (started) {
    std::vector<float> const setChange = flip.errorMap(lastSet, set);
    std::vector<float> const referenceChange = flip.errorMap(lastReference, reference);
    double pairSum = 0;
    size_t counted = 0;
    for (size_t i = 0; i < setChange.size(); ++i) {
      if (!mask.empty() && !mask[i]) continue;
      pairSum += std::fabs(static_cast<double>(setChange[i]) - static_cast<double>(referenceChange[i]));
      ++counted;
    }
    if (counted > 0) {
      last = pairSum / static_cast<double>(counted);
      sum += last;
      ++pairs;
    }
  }
  lastSet = std::move(set);
  lastReference = std::move(reference);
  started = true;
}

void TemporalError::reset() {
  lastSet = FlipPicture();
  lastReference = FlipPicture();
  started = false;
  sum = 0;
  pairs = 0;
  last = -1;
}
