// The summary of an error map over a mask, the mask from the fidelity meter's per-pixel map, and the heat scale.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <utility>

#include "FlipHeat.h"
#include "FlipSummary.h"

// Errors 0, 0.01 ... 0.99: mean 0.495, p99 by nearest rank the 99th, 0.98, 89
// over 0.1 (not 0.1 itself). The even ones: 0.49, the 50th of 50, 0.98, 44.
TEST(FlipSummary, MeanP99AndShareOverTheMaskedPixels) {
  std::vector<float> errors(100);
  std::vector<bool> even(100);
  for (size_t i = 0; i < 100; ++i) errors[i] = static_cast<float>(i) / 100.0f, even[i] = i % 2 == 0;
  struct { FlipSummary s; size_t pixels; double mean, over; } const cases[] = {
      {FlipSummary::of(errors), 100, 0.495, 0.89}, {FlipSummary::of(errors, even), 50, 0.49, 0.88}};
  for (auto const& c : cases) {
    EXPECT_EQ(c.s.pixels, c.pixels);
    EXPECT_NEAR(c.s.mean, c.mean, 1e-6) << c.pixels;
    EXPECT_NEAR(c.s.p99, 0.98, 1e-6) << c.pixels;
    EXPECT_NEAR(c.s.over, c.over, 1e-12) << c.pixels;
  }

  FlipSummary const none = FlipSummary::of(errors, std::vector<bool>(100, false));
  EXPECT_TRUE(none.pixels == 0 && none.mean == 0 && none.p99 == 0 && none.over == 0);
  EXPECT_THROW(FlipSummary::of(errors, std::vector<bool>(99, true)), std::invalid_argument);
}

// The meter's map has its rows bottom first and -1 off the mesh.
TEST(FlipSummary, MaskFromAMeasuredMap) {
  std::vector<float> const perPixel = {-1, 0.5f, 0, -1};  // bottom row, then top row
  EXPECT_EQ(measuredMask(perPixel, 2, 2, RowOrder::BottomFirst), (std::vector<bool>{true, false, false, true}));
  EXPECT_EQ(measuredMask(perPixel, 2, 2, RowOrder::TopFirst), (std::vector<bool>{false, true, true, false}));
  EXPECT_THROW(measuredMask(perPixel, 3, 2, RowOrder::TopFirst), std::invalid_argument);
}

// Black at 0, pale yellow at 1, opaque, brighter every step, the ends beyond.
TEST(FlipHeat, ScaleRunsFromBlackToPaleYellow) {
  for (auto [value, rgba] : {std::pair{0.0f, 0xFF000000u}, {1.0f, 0xFFBEFAFFu}, {0.25f, 0xFF781446u}, {0.5f, 0xFF6E32BEu},
                             {7.0f, 0xFFBEFAFFu}, {-1.0f, 0xFF000000u}, {NAN, 0xFF000000u}})
    EXPECT_EQ(FlipHeat::color(value), rgba) << value;
  auto luminance = [](unsigned c) {
    return 0.2126 * (c & 0xFF) + 0.7152 * ((c >> 8) & 0xFF) + 0.0722 * ((c >> 16) & 0xFF);
  };
  for (int i = 1; i <= 64; ++i)
    EXPECT_GT(luminance(FlipHeat::color(static_cast<float>(i) / 64.0f)),
              luminance(FlipHeat::color(static_cast<float>(i - 1) / 64.0f))) << i;
  std::vector<float> const ticks = FlipHeat::legendTicks();
  ASSERT_FALSE(ticks.empty());
  EXPECT_EQ(ticks.front(), 0.0f);
  EXPECT_EQ(ticks.back(), 1.0f);
}
