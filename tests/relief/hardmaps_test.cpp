// The hard maps: each kind has the features it promises, at several sizes, and tiles without a seam.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "HardMaps.h"

namespace {

using HardMaps::Kind;

float at(std::vector<float> const& h, int size, int x, int y) {
  return h[static_cast<size_t>((y + size) % size) * static_cast<size_t>(size) + static_cast<size_t>((x + size) % size)];
}

}  // namespace

TEST(HardMaps, NamesParseBackAndBadSizesAreRefused) {
  for (Kind k : {Kind::Walls, Kind::Spikes, Kind::Ripple, Kind::Hemispheres, Kind::Sawtooth}) {
    Kind parsed = k == Kind::Walls ? Kind::Spikes : Kind::Walls;
    EXPECT_TRUE(HardMaps::parse(HardMaps::name(k), parsed) && parsed == k) << HardMaps::name(k);
  }
  Kind k = Kind::Walls;
  EXPECT_TRUE(HardMaps::parse("SawTooth", k) && k == Kind::Sawtooth);
  EXPECT_FALSE(HardMaps::parse("wall", k));
  EXPECT_THROW(HardMaps::heights(Kind::Walls, HardMaps::minSize - 1), std::invalid_argument);
  EXPECT_THROW(HardMaps::make(Kind::Ripple, HardMaps::maxSize + 1), std::invalid_argument);
}

TEST(HardMaps, WallsAreOneTexelThickSixteenPerRepeat) {
  for (int size : {32, 100, 256}) {
    std::vector<float> const h = HardMaps::heights(Kind::Walls, size);
    // A row between walls crosses 16 wall columns, each one texel wide between floor texels.
    int const y = size / 32;  // between the walls at rows 0 and size / 16
    int walls = 0;
    for (int x = 0; x < size; ++x) {
      if (at(h, size, x, y) != 1.0f) {
        EXPECT_EQ(at(h, size, x, y), HardMaps::wallFloor) << size << " " << x;
        continue;
      }
      ++walls;
      for (int dx : {-1, 1}) EXPECT_EQ(at(h, size, x + dx, y), HardMaps::wallFloor) << size << " " << x << " " << dx;
      for (int yy = 0; yy < size; ++yy) ASSERT_EQ(at(h, size, x, yy), 1.0f) << size << " " << x << " " << yy;
    }
    EXPECT_EQ(walls, 16) << size;
  }
}

TEST(HardMaps, SpikesStandAloneAndAsManyAsStated) {
  for (int size : {32, 64, 257}) {
    std::vector<float> const h = HardMaps::heights(Kind::Spikes, size);
    EXPECT_EQ(h, HardMaps::heights(Kind::Spikes, size));  // the same every time
    int spikes = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        float const v = at(h, size, x, y);
        ASSERT_TRUE(v == 0.0f || v == 1.0f);
        if (v == 0.0f) continue;
        ++spikes;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx)
            EXPECT_TRUE((!dx && !dy) || at(h, size, x + dx, y + dy) == 0.0f) << size << " " << x << " " << y;
      }
    EXPECT_EQ(spikes, HardMaps::spikeCount(size)) << size;
  }
}

TEST(HardMaps, SmoothKindsTileWithoutASeamAndHaveTheirShape) {
  int const size = 128;
  for (Kind k : {Kind::Ripple, Kind::Hemispheres}) {
    std::vector<float> const h = HardMaps::heights(k, size);
    // The step across the seam is no larger than the largest step inside.
    float inside = 0.0f, seam = 0.0f;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        float const dx = std::fabs(at(h, size, x + 1, y) - at(h, size, x, y));
        float const dy = std::fabs(at(h, size, x, y + 1) - at(h, size, x, y));
        (x == size - 1 ? seam : inside) = std::max(x == size - 1 ? seam : inside, dx);
        (y == size - 1 ? seam : inside) = std::max(y == size - 1 ? seam : inside, dy);
      }
    EXPECT_LE(seam, inside + 1e-6f) << HardMaps::name(k);
  }
  // Ripple: highest at the centre, the first trough a ring 1.43 wavelengths out.
  std::vector<float> const r = HardMaps::heights(Kind::Ripple, size);
  EXPECT_GT(at(r, size, 64, 64), 0.95f);
  EXPECT_LT(at(r, size, 64 + 5, 64), 0.01f);  // centre 5.5 texels out, the trough at 1.43 * 128 / 32 = 5.7
  EXPECT_GT(at(r, size, 64 + 7, 64), 0.05f);  // 7.5 out: rising again
  // Hemispheres: 64 caps, each peaking at its cell's centre, floor between.
  std::vector<float> const s = HardMaps::heights(Kind::Hemispheres, size);
  EXPECT_EQ(std::count_if(s.begin(), s.end(), [](float v) { return v > 0.99f; }), 64 * 4);  // four around each centre
  EXPECT_EQ(at(s, size, 0, 0), 0.0f);
}

TEST(HardMaps, SawtoothRisesAndDropsByACliffEightTimes) {
  for (int size : {32, 200}) {
    std::vector<float> const h = HardMaps::heights(Kind::Sawtooth, size);
    int cliffs = 0;
    for (int x = 0; x < size; ++x) {
      float const here = at(h, size, x, 3), next = at(h, size, x + 1, 3);
      for (int y = 0; y < size; ++y) ASSERT_EQ(at(h, size, x, y), here) << size << " " << x << " " << y;  // constant along y
      if (next < here) {
        ++cliffs;
        EXPECT_TRUE(here == 1.0f && next == 0.0f) << size << " " << x << ": " << here << " to " << next;
      }
    }
    EXPECT_EQ(cliffs, 8) << size;
  }
}
