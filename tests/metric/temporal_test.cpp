// The temporal error on hand-made frame sequences.
#include <gtest/gtest.h>

#include <stdexcept>

#include "TemporalError.h"
#include "pictures.h"

// A set equal to a moving reference gives 0. Over a still grey 0.5 one, a set
// alternating 0.5, 0.6 changes by 0.28502 (flip_test.cpp) each pair: the mean.
TEST(TemporalError, ASetEqualToAMovingReferenceGivesZeroAndOneAlternatingOverAStillOneItsChange) {
  TemporalError moving, t;
  for (int f = 0; f < 4; ++f) moving.add(step(40, 20, 10 + 3 * f), step(40, 20, 10 + 3 * f));
  EXPECT_EQ(moving.pairCount(), 3u);
  EXPECT_EQ(moving.value(), 0.0);
  EXPECT_EQ(t.value(), 0.0);
  FlipPicture const still = grey(30, 20, 0.5f);
  for (int f = 0; f < 4; ++f) t.add(grey(30, 20, f % 2 ? 0.6f : 0.5f), still);
  EXPECT_EQ(t.pairCount(), 3u);
  EXPECT_NEAR(t.value(), 0.28502, 2e-5);
  // After a reset the frames start anew, at any size.
  t.reset();
  EXPECT_EQ(t.pairCount(), 0u);
  EXPECT_EQ(t.value(), 0.0);
  t.add(grey(5, 5, 0.5f), grey(5, 5, 0.5f));
  t.add(grey(5, 5, 0.6f), grey(5, 5, 0.5f));
  EXPECT_EQ(t.pairCount(), 1u);
}

// The set flickers in its top left corner only: a mask far from it sees no
// shimmer, the whole picture does; a mask selecting nothing leaves its pair out.
TEST(TemporalError, MeasuresOnlyTheMaskedPixels) {
  FlipPicture const still = grey(60, 40, 0.5f);
  FlipPicture flicker = still;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) flicker.set(x, y, 0.9f, 0.9f, 0.9f);
  std::vector<bool> far(still.pixels());
  for (size_t i = 0; i < far.size(); ++i) far[i] = i % 60 >= 30 && i / 60 >= 20;
  TemporalError masked, whole;
  for (int f = 0; f < 3; ++f) {
    masked.add(f % 2 ? flicker : still, still, far);
    whole.add(f % 2 ? flicker : still, still);
  }
  EXPECT_EQ(masked.value(), 0.0);
  EXPECT_GT(whole.value(), 0.0);
  masked.add(still, still, std::vector<bool>(still.pixels(), false));
  EXPECT_EQ(masked.pairCount(), 2u);
}

TEST(TemporalError, RefusesAFrameOfAnotherSize) {
  TemporalError t;
  t.add(grey(8, 8, 0.5f), grey(8, 8, 0.5f));
  EXPECT_THROW(t.add(grey(8, 9, 0.6f), grey(8, 9, 0.5f)), std::invalid_argument);
  EXPECT_THROW(t.add(grey(8, 8, 0.6f), grey(8, 9, 0.5f)), std::invalid_argument);
  EXPECT_THROW(t.add(grey(8, 8, 0.6f), grey(8, 8, 0.5f), std::vector<bool>(3)), std::invalid_argument);
  EXPECT_EQ(t.pairCount(), 0u);
  t.add(grey(8, 8, 0.6f), grey(8, 8, 0.5f));
  EXPECT_EQ(t.pairCount(), 1u);
  EXPECT_NEAR(t.value(), 0.28502, 2e-5);
}
