// The 16-bit grey form of height maps: 16-bit PNG and TIFF samples come through
// ImageSystem::loadGrey16 unchanged, 8-bit files are widened, broken files are
// refused with a reason.
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

TEST(Grey16, SixteenBitFilesKeepEverySampleAndBrokenOnesAreRefused) {
  std::string const png = scratchDir() + "/grey16.png";
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(kSamples.size());
  image.height = 1;
  image.format = PNG_FORMAT_LINEAR_Y;  // 16-bit grey, written as given
  ASSERT_TRUE(png_image_write_to_file(&image, png.c_str(), 0, kSamples.data(), 0, nullptr));
  std::string const tif = scratchDir() + "/grey16.tif";
  writeTiff16(tif, kSamples);

  for (std::string const& path : {png, tif}) {
    std::string error;
    ImagePtr img(ImageSystem::loadGrey16(path.c_str(), error));
    ASSERT_TRUE(img) << path << ": " << error;
    EXPECT_EQ(img->bitsPerPixel, 16) << path;
    EXPECT_EQ(img->width, int(kSamples.size())) << path;
    EXPECT_EQ(samplesOf(*img), kSamples) << path;
  }

  // An 8-bit grey file is widened exactly: v * 257.
  std::string const eight = scratchDir() + "/grey8.png";
  std::vector<unsigned char> const greys = {0, 1, 128, 255};
  image = png_image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(greys.size());
  image.height = 1;
  image.format = PNG_FORMAT_GRAY;
  ASSERT_TRUE(png_image_write_to_file(&image, eight.c_str(), 0, greys.data(), 0, nullptr));
  std::string error;
  ImagePtr widened(ImageSystem::loadGrey16(eight.c_str(), error));
  ASSERT_TRUE(widened) << error;
  EXPECT_EQ(samplesOf(*widened), (std::vector<uint16_t>{0, 257, 128 * 257, 65535}));

  // A file cut short, and one that is not there: no picture, and a reason.
  Bytes cut = readWhole(png);
  cut.resize(cut.size() / 2);
  for (std::string const& path : {writeScratch("cut.png", cut), scratchDir() + "/missing.tif"}) {
    Output out = captured([&] { EXPECT_FALSE(ImagePtr(ImageSystem::loadGrey16(path.c_str(), error))) << path; });
    EXPECT_FALSE(error.empty()) << path;
  }
}
