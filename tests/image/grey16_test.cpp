// The 16-bit grey form of height maps: 16-bit PNG and TIFF samples come through
// ImageSystem::loadGrey16 unchanged, 8-bit files are widened, a broken file is
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

// One row of samples as a PNG: 8-bit grey, or 16-bit grey written as given.
bool writePngRow(std::string const& path, void const* row, size_t n, png_uint_32 format) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(n);
  image.height = 1;
  image.format = format;
  return png_image_write_to_file(&image, path.c_str(), 0, row, 0, nullptr) != 0;
}

}  // namespace

TEST(Grey16, SixteenBitFilesKeepEverySampleAndBrokenOnesAreRefused) {
  std::string const d = scratchDir(), png = d + "/grey16.png", tif = d + "/grey16.tif", eight = d + "/grey8.png";
  writeTiff16(tif, kSamples);
  std::vector<unsigned char> const greys = {0, 1, 128, 255};
  ASSERT_TRUE(writePngRow(png, kSamples.data(), kSamples.size(), PNG_FORMAT_LINEAR_Y) &&
              writePngRow(eight, greys.data(), greys.size(), PNG_FORMAT_GRAY));

  // The 8-bit file is widened exactly: v * 257.
  struct { std::string path; std::vector<uint16_t> expect; } const cases[] = {
      {png, kSamples}, {tif, kSamples}, {eight, {0, 257, 128 * 257, 65535}}};
  for (auto const& c : cases) {
    std::string error;
    ImagePtr img(ImageSystem::loadGrey16(c.path.c_str(), error));
    ASSERT_TRUE(img) << c.path << ": " << error;
    EXPECT_EQ(img->bitsPerPixel, 16) << c.path;
    EXPECT_EQ(img->width, int(c.expect.size())) << c.path;
    EXPECT_EQ(samplesOf(*img), c.expect) << c.path;
  }

  // A file cut short: no picture, and a reason. (A missing one: the height-map command's test.)
  Bytes const whole = readWhole(png), cut(whole.begin(), whole.begin() + long(whole.size() / 2));
  std::string error;
  captured([&] { EXPECT_FALSE(ImagePtr(ImageSystem::loadGrey16(writeScratch("cut.png", cut).c_str(), error))); });
  EXPECT_FALSE(error.empty());
}

// Files with a transparency chunk (grey, RGB, palette) give their heights as
// the colour files they are, transparency dropped: within one 8-bit step of
// the luminance of the 8-bit picture the colour and bump maps load.
TEST(Grey16, TransparencyChunksAreDropped) {
  ImageSystem::init();
  for (char const* name : {"tbbn0g04.png", "tbrn2c08.png", "tbbn3p08.png", "tm3n3p02.png"}) {
    std::string const path = corpus(std::string("pngsuite/png/") + name);
    std::string error;
    ImagePtr heights(ImageSystem::loadGrey16(path.c_str(), error));
    ImagePtr colour(ImageSystem::load(path.c_str()));
    ASSERT_TRUE(heights && colour && colour->bitsPerPixel == 32) << name << ": " << error;
    std::vector<uint16_t> const got = samplesOf(*heights);
    for (size_t i = 0; i < got.size(); ++i) {
      unsigned char const* p = colour->data + 4 * i;
      float const lum = (0.3f * p[0] + 0.6f * p[1]) + 0.1f * p[2];
      ASSERT_NEAR(got[i], lum * 257, 257) << name << " pixel " << i;
    }
  }
}
