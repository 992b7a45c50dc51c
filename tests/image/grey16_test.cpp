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

// One grey row of samples of `bits` bits in the given sample format.
void writeTiff(std::string const& path, std::vector<uint16_t> row, int bits = 16, int format = SAMPLEFORMAT_UINT) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  ASSERT_TRUE(t);
  row.resize(row.size() * 2);  // room for 32-bit samples
  for (auto [tag, value] : {std::pair{TIFFTAG_IMAGEWIDTH, int(row.size() / 2)}, {TIFFTAG_IMAGELENGTH, 1},
                            {TIFFTAG_BITSPERSAMPLE, bits}, {TIFFTAG_SAMPLEFORMAT, format}, {TIFFTAG_SAMPLESPERPIXEL, 1},
                            {TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK}, {TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG}})
    TIFFSetField(t, tag, value);  // every one an int through the variable arguments
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
  writeTiff(tif, kSamples);
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

// 16-bit portable any-maps keep their samples, scaled from their maximum value
// as the 8-bit form scales (40000 of 65535 stays 40000, 1 of 3 is 21845);
// ASCII and binary, grey and colour (its luminance); a short text leaves zeros.
TEST(Grey16, PortableAnyMapsKeepTheirPrecision) {
  using namespace std::string_literals;
  struct { char const* name; std::string text; std::vector<uint16_t> expect; } const cases[] = {
      {"a.pgm", "P5\n3 1\n65535\n\x9c\x40\x00\x01\xff\xff"s, {40000, 1, 65535}},
      {"b.pgm", "P2\n3 1\n65535\n40000 1 70000\n", {40000, 1, 65535}},
      {"c.pgm", "P2 3 1 3 1 2 -1", {21845, 43690, 0}},
      {"d.ppm", "P6\n1 1\n1000\n\x01\xf4\x03\xe8\x00\x00"s, {int(0.3f * 32768 + 0.6f * 65535)}},
      {"e.ppm", "P3\n1 1\n255\n10 10 10\n", {2570}},
      {"f.pgm", "P5 2 1 255 \x07\xff"s, {7 * 257, 65535}},
      {"g.ppm", "P3 3 1 255 10 10 10 20", {2570, int(0.3f * 5140), 0}},  // short: zeros
  };
  for (auto const& c : cases) {
    std::string error;
    ImagePtr img;
    captured([&] { img.reset(ImageSystem::loadGrey16(writeScratch(c.name, c.text).c_str(), error)); });
    ASSERT_TRUE(img) << c.name << ": " << error;
    EXPECT_TRUE(img->bitsPerPixel == 16 && img->greySource == (std::string(c.name).find("pgm") != std::string::npos)) << c.name;
    EXPECT_EQ(samplesOf(*img), c.expect) << c.name;
  }
}

// A broken map of a known format is refused with what is wrong with it, by
// the heights path and by the image system's message alike.
TEST(Grey16, BrokenMapsSayWhatIsWrong) {
  ImageSystem::init();
  using namespace std::string_literals;
  std::string const d = scratchDir();
  writeTiff(d + "/twelve.tif", {1, 2}, 12);
  writeTiff(d + "/float.tif", {1, 2}, 32, SAMPLEFORMAT_IEEEFP);
  struct { char const* name; std::string text, reason; } const cases[] = {
      {"cut.pgm", "P5\n4 4\n255\n\x10\x10\x10"s, "the raster is cut short: the file holds 3 of its 16 bytes"},
      {"huge.pgm", "P5\n99999999 4\n255\n\x10"s, "its size 99999999x4 is larger than a picture may be"},
      {"max0.pgm", "P5\n1 1\n0\n\x10"s, "its maximum value 0 is outside 1 to 65535"},
      {"max70000.pgm", "P5\n1 1\n70000\n\x10\x10"s, "its maximum value 70000 is outside 1 to 65535"},
      {"negative.pgm", "P5\n#\n-4 4\n255\n"s, "its width is not a whole number: \"-4\""},
      {"header.pgm", "P5\n4 "s, "the header ends before its height"},
      {"twelve.tif", "", "cannot convert it to RGBA: Sorry, can not handle images with 12-bit samples"},
      {"float.tif", "", "32-bit floating-point samples, which are not read"},
  };
  for (auto const& c : cases) {
    std::string const path = c.text.empty() ? d + "/" + c.name : writeScratch(c.name, c.text);
    std::string heights, picture;
    captured([&] {
      EXPECT_FALSE(ImagePtr(ImageSystem::loadGrey16(path.c_str(), heights)));
      EXPECT_FALSE(ImagePtr(ImageSystem::load(path.c_str(), picture)));
    });
    EXPECT_NE(heights.find(c.reason), std::string::npos) << heights;
    EXPECT_NE(picture.find("the file exists but Image"), std::string::npos) << picture;
    EXPECT_NE(picture.find(c.reason), std::string::npos) << picture;
  }
}
