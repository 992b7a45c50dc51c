// Tests of the library-backed loaders: JPEG from memory, files that end early,
// failure reports, and TIFF orientation on a file written here through the library.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <jpeglib.h>
#include <jerror.h>
#include <tiffio.h>

#include "base/imageloaders.h"
#include "testutil.h"

using namespace testing::internal;

namespace {

// Decodes a memory block, returning what the loader printed on standard output.
std::string fromMemoryOutput(Bytes const& block, size_t n) {
  CaptureStdout();
  CaptureStderr();
  ImagePtr img(imageLoadJPEG.loadFromMemory(reinterpret_cast<char const*>(block.data()), n));
  GetCapturedStderr();
  std::string out = GetCapturedStdout();
  return img ? "decoded" : out;
}

}  // namespace

// The pixels themselves are checked against published digests in
// corpus_test.cpp; here, a block in memory (several refills of the input
// buffer) decodes like the file, and the extensions the loader answers to.
TEST(JpegLoader, MemoryBlocksDecodeLikeFiles) {
  std::string path = corpus("pillow/jpeg/pil_sample_rgb.jpg");
  Bytes block = readWhole(path);
  ASSERT_GT(block.size(), 2u * 4096u);
  EXPECT_EQ(imageLoadJPEG.load(path.c_str(), "png"), nullptr);
  ImagePtr viaJpeg(imageLoadJPEG.load(path.c_str(), "JPEG"));
  EXPECT_TRUE(viaJpeg);
  ImagePtr fromFile(imageLoadJPEG.load(path.c_str(), "JPG"));
  ImagePtr fromMemory(imageLoadJPEG.loadFromMemory(reinterpret_cast<char const*>(block.data()), block.size()));
  ASSERT_TRUE(fromFile && fromMemory);
  EXPECT_TRUE(pixels(*fromFile) == pixels(*fromMemory));

  // An empty block is the library's "empty input" error.
  std::string out = fromMemoryOutput(block, 0);
  EXPECT_NE(out.find("jpeg error: " + std::to_string(JERR_INPUT_EMPTY) + "\n"), std::string::npos) << out;
}

// A file that ends early loads as the library decodes it, the rows it lacks
// filled in, after one warning line naming it; one cut inside its headers
// fails. From memory the source supplies the missing end marker itself.
TEST(JpegLoader, FilesThatEndEarly) {
  Bytes const whole = readWhole(corpus("libjpeg-turbo/testorig.jpg"));  // baseline; scan data from byte 623
  ImagePtr full(imageLoadJPEG.loadFromMemory(reinterpret_cast<char const*>(whole.data()), whole.size()));
  ASSERT_TRUE(full);
  Bytes const want = pixels(*full);
  size_t const row = full->rowBytes();
  enum Outcome { Complete, Padded, Refused };
  struct {
    size_t size;
    Outcome outcome;
  } const cases[] = {{whole.size() - 2, Complete},  // all but the end marker
                     {3000, Padded},                // inside the image data
                     {300, Refused}};               // inside the Huffman tables
  for (auto const& c : cases) {
    Bytes const cut(whole.begin(), whole.begin() + long(c.size));
    std::string const path = writeScratch("cut.jpg", cut);
    for (bool fromFile : {true, false}) {
      SCOPED_TRACE(std::to_string(c.size) + (fromFile ? " bytes from a file" : " bytes from memory"));
      CaptureStdout();
      CaptureStderr();
      ImagePtr img(fromFile ? imageLoadJPEG.load(path.c_str(), "jpg")
                            : imageLoadJPEG.loadFromMemory(reinterpret_cast<char const*>(cut.data()), cut.size()));
      GetCapturedStderr();
      std::string const out = GetCapturedStdout();
      std::string const call = fromFile ? "ImageLoadJPEG::load(" + path + ")" : "ImageLoadJPEG::loadFromMemory()";
      if (c.outcome == Refused) {
        EXPECT_FALSE(img);
        EXPECT_NE(out.find(call + " error: "), std::string::npos) << out;
        continue;
      }
      ASSERT_TRUE(img);
      EXPECT_EQ(out, call + " warning: Premature end of JPEG file\n");
      Bytes const got = pixels(*img);
      ASSERT_EQ(got.size(), want.size());
      EXPECT_TRUE(std::equal(got.begin(), got.begin() + long(row), want.begin()));
      EXPECT_EQ(got == want, c.outcome == Complete);
      // Rows past the end of the data are the library's mid grey.
      if (c.outcome == Padded) {
        EXPECT_EQ(Bytes(got.end() - long(row), got.end()), Bytes(row, 128));
      }
    }
  }
}

// Every PNG colour type and depth is covered by the PNG suite (corpus_test.cpp);
// here, the loaders' own failure lines for missing files and non-pictures.
TEST(LibraryLoaders, FailuresReportOnStandardOutput) {
  struct {
    ImageLoader& loader;
    char const* ext;
    std::string path, expect;
  } cases[] = {
      {imageLoadJPEG, "jpg", "/nonexistent/x.jpg", "ImageLoadJPEG::load(/nonexistent/x.jpg) error: couldn't open file /nonexistent/x.jpg\n"},
      {imageLoadPNG, "png", "/nonexistent/x.png", "ImageLoadPNG::load(/nonexistent/x.png) error: couldn't open file /nonexistent/x.png\n"},
      {imageLoadTIFF, "tif", "/nonexistent/x.tif", "ImageLoadTIFF::load(/nonexistent/x.tif) error:  couldn't open file /nonexistent/x.tif\n"},
      {imageLoadJPEG, "jpg", writeScratch("text.jpg", std::string("not a picture")),
       "jpeg error: " + std::to_string(JERR_NO_SOI) + "\nImageLoadJPEG::load(" + scratchDir() + "/text.jpg) error: jpeg error was hit\n"},
      {imageLoadPNG, "png", writeScratch("text.png", std::string("not a png")),
       "ImageLoadPNG::load(" + scratchDir() + "/text.png) error: png_jmpbuf was hit\n"},
  };
  for (auto const& c : cases) {
    CaptureStdout();
    CaptureStderr();
    EXPECT_EQ(c.loader.load(c.path.c_str(), c.ext), nullptr);
    GetCapturedStderr();
    EXPECT_EQ(GetCapturedStdout(), c.expect) << c.path;
  }
}

TEST(TiffLoader, BottomUpFilesComeOutTopFirst) {
  // A 2 x 3 RGB file stored bottom row first: rows (top to bottom) 10, 20, 30.
  std::string path = scratchDir() + "/bottomup.tif";
  TIFF* t = TIFFOpen(path.c_str(), "w");
  ASSERT_TRUE(t);
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 2);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, 3);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_BOTLEFT);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 3);
  for (int r = 0; r < 3; ++r) {
    unsigned char v = static_cast<unsigned char>(30 - 10 * r);  // stored bottom first
    unsigned char row[6] = {v, 1, 2, v, 1, 2};
    TIFFWriteScanline(t, row, uint32_t(r), 0);
  }
  TIFFClose(t);
  ImagePtr img(imageLoadTIFF.load(path.c_str(), "TIFF"));
  ASSERT_TRUE(img);
  EXPECT_EQ(img->bitsPerPixel, 24);
  EXPECT_EQ(pixels(*img), (Bytes{10, 1, 2, 10, 1, 2, 20, 1, 2, 20, 1, 2, 30, 1, 2, 30, 1, 2}));

}
