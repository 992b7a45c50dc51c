// The committed brick maps: the colour and height maps match in size and tile
// without a visible seam.
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

TEST(BrickMaps, TheMapsAreSameSizedTilesWhoseSeamsAreNoRougherThanTheInside) {
  auto color = load("cheap brick.bmp");
  auto height = load("bumptest.bmp");
  ASSERT_TRUE(color && height);
  EXPECT_EQ(color->width, height->width);
  EXPECT_EQ(color->height, height->height);
  for (Image const* img : {color.get(), height.get()})
    for (bool vertical : {true, false})
      EXPECT_LT(seamRoughness(*img, vertical), 1.5 * innerRoughness(*img, vertical) + 1.0)
          << (vertical ? " left/right" : " top/bottom");
}
