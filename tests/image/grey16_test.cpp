// The 16-bit grey form of height maps: 16-bit TIFF samples come through
// ImageSystem::loadGrey16 unchanged, 8-bit files are widened, a missing file
// is refused with a reason. 16-bit PNGs, and broken or missing ones, go through
// the same call in the height-map command's test (tests/app/usermaps_test.cpp).
#include <png.h>
#include <tiffio.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/imagesystem.h"
#include "testutil.h"

namespace {

// Samples that 8 bits would merge (1000 and 1001), and both ends.
std::vector<uint16_t> const kSamples = {0, 1000, 1001, 65535, 257, 40000};

std::vector<uint16_t> samplesOf(Image const& img) {
  std::vector<uint16_t> v(size_t(img.width) * size_t(img.height));
  std::memcpy(v.data(), img.data, v.size() * 2);
  return v;
}

void writeTiff16(std::string const& path, std::vector<uint16_t> row) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  ASSERT_TRUE(t);
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(row.size()));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, 1u);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFWriteScanline(t, row.data(), 0, 0);
  TIFFClose(t);
}

}  // namespace

TEST(Grey16, SixteenBitFilesKeepEverySampleEightBitOnesAreWidened) {
  std::string const tif = scratchDir() + "/grey16.tif", eight = scratchDir() + "/grey8.png";
  writeTiff16(tif, kSamples);
  std::vector<unsigned char> const greys = {0, 1, 128, 255};
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(greys.size());
  image.height = 1;
  image.format = PNG_FORMAT_GRAY;
  ASSERT_TRUE(png_image_write_to_file(&image, eight.c_str(), 0, greys.data(), 0, nullptr));

  // The 8-bit file is widened exactly: v * 257.
  struct { std::string path; std::vector<uint16_t> expect; } const cases[] = {
      {tif, kSamples}, {eight, {0, 257, 128 * 257, 65535}}};
  for (auto const& c : cases) {
    std::string error;
    ImagePtr img(ImageSystem::loadGrey16(c.path.c_str(), error));
    ASSERT_TRUE(img) << c.path << ": " << error;
    EXPECT_EQ(img->bitsPerPixel, 16) << c.path;
    EXPECT_EQ(img->width, int(c.expect.size())) << c.path;
    EXPECT_EQ(samplesOf(*img), c.expect) << c.path;
  }

  // A file that is not there: no picture, and a reason.
  std::string error;
  captured([&] { EXPECT_FALSE(ImagePtr(ImageSystem::loadGrey16((scratchDir() + "/missing.tif").c_str(), error))); });
  EXPECT_FALSE(error.empty());
}
