// The committed brick maps: colour and height maps of one size that tile without a visible seam.
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

// Mean absolute difference of the grey (green) values of columns (or rows) a and b.
double stepBetween(Image const& img, bool vertical, int a, int b) {
  int const n = vertical ? img.height : img.width;
  double sum = 0;
  for (int i = 0; i < n; ++i)
    sum += std::abs((vertical ? at(img, a, i) : at(img, i, a))[1] - (vertical ? at(img, b, i) : at(img, i, b))[1]);
  return sum / n;
}

}  // namespace

TEST(BrickMaps, TheMapsAreSameSizedTilesWhoseSeamsAreNoRougherThanTheInside) {
  auto color = load("cheap brick.bmp"), height = load("bumptest.bmp");
  ASSERT_TRUE(color && height);
  EXPECT_EQ(color->width, height->width);
  EXPECT_EQ(color->height, height->height);
  // A seam that tiles is no rougher than every seventh pair of neighbours inside.
  for (Image const* img : {color.get(), height.get()})
    for (bool vertical : {true, false}) {
      int const last = (vertical ? img->width : img->height) - 1;
      double inside = 0;
      int pairs = 0;
      for (int j = 1; j <= last; j += 7, ++pairs) inside += stepBetween(*img, vertical, j - 1, j);
      EXPECT_LT(stepBetween(*img, vertical, last, 0), 1.5 * inside / pairs + 1.0) << (vertical ? " left/right" : " top/bottom");
    }
}
