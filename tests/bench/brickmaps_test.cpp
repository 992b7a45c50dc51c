// The committed brick maps: sizes, seamless tiling, and the height field's
// agreement with the colour map (mortar low and light, bricks high and warm).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "base/image.h"
#include "base/imagesystem.h"

namespace {

ImagePtr load(char const* name) {
  ImageSystem::init();
  std::string const path = std::string(RB_DATA_DIR) + "/" + name;
  return ImagePtr(ImageSystem::load(path.c_str()));
}

unsigned char const* at(Image const& img, int x, int y) {
  return img.data + static_cast<size_t>(y) * static_cast<size_t>(img.width) * 3 + static_cast<size_t>(x) * 3;
}

// Mean absolute difference of neighbouring grey values across a seam, compared
// with the same inside the picture: a seam that tiles is no rougher than the rest.
double seamRoughness(Image const& img, bool vertical) {
  double sum = 0;
  int const n = vertical ? img.height : img.width;
  for (int i = 0; i < n; ++i) {
    unsigned char const* a = vertical ? at(img, img.width - 1, i) : at(img, i, img.height - 1);
    unsigned char const* b = vertical ? at(img, 0, i) : at(img, i, 0);
    sum += std::abs(a[1] - b[1]);
  }
  return sum / n;
}

double innerRoughness(Image const& img, bool vertical) {
  double sum = 0;
  int count = 0;
  for (int j = 1; j < (vertical ? img.width : img.height); j += 7) {
    int const n = vertical ? img.height : img.width;
    for (int i = 0; i < n; ++i) {
      unsigned char const* a = vertical ? at(img, j - 1, i) : at(img, i, j - 1);
      unsigned char const* b = vertical ? at(img, j, i) : at(img, i, j);
      sum += std::abs(a[1] - b[1]);
      ++count;
    }
  }
  return sum / count;
}

}  // namespace

TEST(BrickMaps, BothMapsAreSquare24BitTilesOfTheSameSize) {
  auto color = load("cheap brick.bmp");
  auto height = load("bumptest.bmp");
  ASSERT_TRUE(color && height);
  EXPECT_EQ(color->width, height->width);
  EXPECT_EQ(color->height, height->height);
  EXPECT_EQ(color->width, color->height);
  EXPECT_EQ(color->bitsPerPixel, 24);
  EXPECT_EQ(height->bitsPerPixel, 24);
}

TEST(BrickMaps, SeamsAreNoRougherThanTheInside) {
  for (char const* name : {"cheap brick.bmp", "bumptest.bmp"}) {
    auto img = load(name);
    ASSERT_TRUE(img) << name;
    for (bool vertical : {true, false})
      EXPECT_LT(seamRoughness(*img, vertical), 1.5 * innerRoughness(*img, vertical) + 1.0)
          << name << (vertical ? " left/right" : " top/bottom");
  }
}

TEST(BrickMaps, MortarIsLowAndLightBricksAreHighAndWarm) {
  auto color = load("cheap brick.bmp");
  auto height = load("bumptest.bmp");
  ASSERT_TRUE(color && height);
  double mortarLum = 0, brickLum = 0, brickRed = 0, brickBlue = 0;
  int mortar = 0, brick = 0;
  for (int y = 0; y < height->height; ++y)
    for (int x = 0; x < height->width; ++x) {
      unsigned char const* h = at(*height, x, y);
      unsigned char const* c = at(*color, x, y);
      ASSERT_TRUE(h[0] == h[1] && h[1] == h[2]) << "height maps are grey";
      double const lum = 0.3 * c[0] + 0.6 * c[1] + 0.1 * c[2];
      if (h[0] < 64) {
        mortarLum += lum;
        ++mortar;
      } else if (h[0] > 192) {
        brickLum += lum;
        brickRed += c[0];
        brickBlue += c[2];
        ++brick;
      }
    }
  // Mostly brick face, a fair share of mortar joints, little in between.
  int const total = height->width * height->height;
  EXPECT_GT(brick, total / 2);
  EXPECT_GT(mortar, total / 20);
  EXPECT_GT(mortarLum / mortar, brickLum / brick + 40.0);
  EXPECT_GT(brickRed / brick, 1.5 * brickBlue / brick);
}
