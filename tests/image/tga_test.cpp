// Tests of the TGA decoder on hand-built files: depths, row order, alpha,
// colour maps, refusals, truncation.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/exception.h"
#include "base/imageloadtga.h"
#include "testutil.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

struct TgaFields {
  int idLength = 0;
  int mapType = 0;
  int imageType = 2;
  int mapFirst = 0;
  int mapLength = 0;
  int mapBits = 0;
  int width = 3;
  int height = 2;
  int depth = 24;
  int descriptor = 0;
};

Bytes header(TgaFields const& s) {
  // 18 header bytes, then the image ID.
  Bytes b(18 + size_t(s.idLength), 'I');
  std::fill(b.begin(), b.begin() + 18, 0);
  b[0] = static_cast<unsigned char>(s.idLength);
  b[1] = static_cast<unsigned char>(s.mapType);
  b[2] = static_cast<unsigned char>(s.imageType);
  b[3] = static_cast<unsigned char>(s.mapFirst);
  b[4] = static_cast<unsigned char>(s.mapFirst >> 8);
  b[5] = static_cast<unsigned char>(s.mapLength);
  b[6] = static_cast<unsigned char>(s.mapLength >> 8);
  b[7] = static_cast<unsigned char>(s.mapBits);
  b[12] = static_cast<unsigned char>(s.width);
  b[13] = static_cast<unsigned char>(s.width >> 8);
  b[14] = static_cast<unsigned char>(s.height);
  b[15] = static_cast<unsigned char>(s.height >> 8);
  b[16] = static_cast<unsigned char>(s.depth);
  b[17] = static_cast<unsigned char>(s.descriptor);
  return b;
}

// Stored pixel bytes of file row r, column x (before any reordering).
unsigned char stored(int r, int x, int k) { return static_cast<unsigned char>(16 * r + 4 * x + k + 1); }

// A file whose pixels (all depth / 8 bytes of them) follow stored().
Bytes makeTga(TgaFields const& s, Bytes map = {}) {
  Bytes b = header(s);
  b.insert(b.end(), map.begin(), map.end());
  for (int r = 0; r < s.height; ++r)
    for (int x = 0; x < s.width; ++x)
      for (int k = 0; k < s.depth / 8; ++k) b.push_back(stored(r, x, k));
  return b;
}

ImagePtr decode(Bytes const& b) { return ImagePtr(ImageLoadTGA::decode(b.data(), b.size())); }

std::string refusal(Bytes const& b) {
  try {
    ImagePtr img = decode(b);
    return img ? "" : "null";
  } catch (Exception const& e) {
    return e.message();
  }
}

}  // namespace

TEST(Tga, TrueColourRowOrderAndChannels) {
  for (int depth : {24, 32}) {
    for (int descriptor : {0, 0x20}) {
      TgaFields s;
      s.depth = depth;
      s.descriptor = descriptor | (depth == 32 ? 8 : 0);
      ImagePtr img = decode(makeTga(s));
      ASSERT_TRUE(img);
      ASSERT_EQ(img->bitsPerPixel, depth);
      ASSERT_EQ(img->width, 3);
      ASSERT_EQ(img->height, 2);
      int n = depth / 8;
      for (int y = 0; y < 2; ++y) {
        int r = descriptor ? y : 1 - y;  // bottom-first files are reversed
        for (int x = 0; x < 3; ++x) {
          unsigned char const* p = img->data + (y * 3 + x) * n;
          EXPECT_EQ(p[0], stored(r, x, 2));  // blue-green-red becomes red-green-blue
          EXPECT_EQ(p[1], stored(r, x, 1));
          EXPECT_EQ(p[2], stored(r, x, 0));
          if (n == 4) {
            EXPECT_EQ(p[3], stored(r, x, 3));  // alpha stays fourth
          }
        }
      }
    }
  }
}

TEST(Tga, GreyRightToLeftAndImageId) {
  TgaFields s;
  s.imageType = 3;
  s.depth = 8;
  s.idLength = 5;
  ImagePtr img = decode(makeTga(s));
  ASSERT_TRUE(img);
  EXPECT_EQ(img->bitsPerPixel, 8);
  EXPECT_EQ(pixels(*img), (Bytes{stored(1, 0, 0), stored(1, 1, 0), stored(1, 2, 0), stored(0, 0, 0),
                                 stored(0, 1, 0), stored(0, 2, 0)}));

  // Pixels stored right to left are mirrored into place.
  s.descriptor = 0x30;
  ImagePtr mirrored = decode(makeTga(s));
  ASSERT_TRUE(mirrored);
  EXPECT_EQ(pixels(*mirrored), (Bytes{stored(0, 2, 0), stored(0, 1, 0), stored(0, 0, 0), stored(1, 2, 0),
                                      stored(1, 1, 0), stored(1, 0, 0)}));
}

TEST(Tga, ColourMapsAreApplied) {
  TgaFields s;
  s.mapType = 1;
  s.imageType = 1;
  s.depth = 8;
  s.width = 2;
  s.height = 1;
  s.descriptor = 0x20;
  s.mapFirst = 0;
  s.mapLength = 3;
  s.mapBits = 24;
  Bytes map = {10, 20, 30, 40, 50, 60, 70, 80, 90};  // blue, green, red
  Bytes b = header(s);
  b.insert(b.end(), map.begin(), map.end());
  b.push_back(2);
  b.push_back(0);
  ImagePtr img = decode(b);
  ASSERT_TRUE(img);
  EXPECT_EQ(img->bitsPerPixel, 24);
  EXPECT_EQ(pixels(*img), (Bytes{90, 80, 70, 30, 20, 10}));

  // 32-bit entries keep their alpha; indexes count from the first entry.
  s.mapBits = 32;
  s.mapFirst = 5;
  s.mapLength = 2;
  b = header(s);
  Bytes map32 = {1, 2, 3, 4, 5, 6, 7, 8};
  b.insert(b.end(), map32.begin(), map32.end());
  b.push_back(6);
  b.push_back(5);
  img = decode(b);
  ASSERT_TRUE(img);
  EXPECT_EQ(img->bitsPerPixel, 32);
  EXPECT_EQ(pixels(*img), (Bytes{7, 6, 5, 8, 3, 2, 1, 4}));

  // An index outside the stored entries is refused, not read.
  b.back() = 4;
  EXPECT_EQ(refusal(b), "colour map index 4 is outside the colour map");

  // 16-bit entries: 5 bits per primary, expanded to 8.
  s.mapBits = 16;
  s.mapFirst = 0;
  s.mapLength = 1;
  b = header(s);
  uint16_t entry = (31 << 10) | (16 << 5) | 1;
  b.push_back(static_cast<unsigned char>(entry));
  b.push_back(static_cast<unsigned char>(entry >> 8));
  b.push_back(0);
  b.push_back(0);
  img = decode(b);
  ASSERT_TRUE(img);
  EXPECT_EQ(pixels(*img), (Bytes{255, 132, 8, 255, 132, 8}));
}

TEST(Tga, AnUnusedColourMapIsSkipped) {
  TgaFields s;
  s.mapType = 1;
  s.mapLength = 4;
  s.mapBits = 24;
  Bytes b = makeTga(s, Bytes(12, 0xCC));
  TgaFields plain;
  ImagePtr withMap = decode(b), without = decode(makeTga(plain));
  ASSERT_TRUE(withMap);
  ASSERT_TRUE(without);
  EXPECT_EQ(pixels(*withMap), pixels(*without));
}

TEST(Tga, Refusals) {
  TgaFields s;
  s.imageType = 10;
  EXPECT_EQ(refusal(makeTga(s)), "this TGA file just happens to be RLE, which I dont support yet");
  s.imageType = 2;
  s.depth = 16;
  EXPECT_EQ(refusal(makeTga(s)), "This TGA is not of either 8, 24, or 32 bits per pixel");
  s.depth = 8;
  EXPECT_EQ(refusal(makeTga(s)), "8-bit TGA that is neither grey nor colour-mapped");
  s.imageType = 1;
  EXPECT_EQ(refusal(makeTga(s)), "colormap hasnt been found");
  s.imageType = 3;
  s.depth = 24;
  EXPECT_EQ(refusal(makeTga(s)), "grey TGA of 24 bits per pixel");
  s.imageType = 0;
  EXPECT_EQ(refusal(makeTga(s)), "got bad image type:0");
  s.imageType = 2;
  s.mapType = 2;
  EXPECT_EQ(refusal(makeTga(s)), "got bad colour map type:2");
  s.mapType = 1;
  s.imageType = 1;
  s.depth = 8;
  s.mapLength = 1;
  s.mapBits = 12;
  EXPECT_EQ(refusal(makeTga(s, {0, 0})), "got bad colour map entry size:12");

  TgaFields zero;
  zero.width = 0;
  EXPECT_EQ(refusal(makeTga(zero)), "got bad image size: 0x2");
}

TEST(Tga, EveryTruncationFailsCleanly) {
  TgaFields s;
  s.idLength = 3;
  s.mapType = 1;
  s.imageType = 1;
  s.depth = 8;
  s.mapLength = 2;
  s.mapBits = 24;
  Bytes whole = header(s);
  Bytes map = {1, 2, 3, 4, 5, 6};
  whole.insert(whole.end(), map.begin(), map.end());
  for (int i = 0; i < 6; ++i) whole.push_back(static_cast<unsigned char>(i & 1));
  ASSERT_EQ(refusal(whole), "");
  for (size_t len = 0; len < whole.size(); ++len) {
    std::string why = refusal(Bytes(whole.begin(), whole.begin() + long(len)));
    if (len < 18) EXPECT_EQ(why, "couldnt read header") << len;
    else if (len < 21) EXPECT_EQ(why, "error trying to seek past image ID info") << len;
    else if (len < 27) EXPECT_EQ(why, "couldnt read the TGA's palette") << len;
    else EXPECT_EQ(why, "error in reading this TGA") << len;
  }

  TgaFields t;
  Bytes colour = makeTga(t);
  colour.pop_back();
  EXPECT_EQ(refusal(colour), "couldnt read texture row");

  // Sizes are bounded by the 16-bit fields, and the file must hold them.
  t.width = 65535;
  t.height = 65535;
  t.depth = 32;
  EXPECT_EQ(refusal(header(t)), "couldnt read texture row");
}

TEST(Tga, FilesLargerThanTheReadWindow) {
  // 32-bit rows of 2400 bytes, 300 of them, after a colour map to step over.
  TgaFields s;
  s.width = 600;
  s.height = 300;
  s.depth = 32;
  s.idLength = 9;
  s.mapType = 1;
  s.mapLength = 1000;
  s.mapBits = 24;
  Bytes b = makeTga(s, Bytes(3000, 0x5A));
  ImagePtr fromMemory = decode(b);
  ImagePtr fromFile(imageLoadTGA.load(writeScratch("big.tga", b).c_str(), "tga"));
  ASSERT_TRUE(fromMemory && fromFile);
  EXPECT_TRUE(pixels(*fromFile) == pixels(*fromMemory));
  EXPECT_EQ(fromFile->data[0], stored(299, 0, 2));
}

TEST(Tga, LoaderReportsOnStandardOutput) {
  EXPECT_EQ(imageLoadTGA.load("x.tga", "bmp"), nullptr);
  TgaFields s;
  std::string good = writeScratch("good.tga", makeTga(s));
  ImagePtr img(imageLoadTGA.load(good.c_str(), "TGA"));
  ASSERT_TRUE(img);

  s.imageType = 10;
  std::string rle = writeScratch("rle.tga", makeTga(s));
  CaptureStdout();
  EXPECT_EQ(imageLoadTGA.load(rle.c_str(), "tga"), nullptr);
  EXPECT_EQ(GetCapturedStdout(),
            "ImageLoadTGA " + rle + " failed: this TGA file just happens to be RLE, which I dont support yet\n");

  CaptureStdout();
  EXPECT_EQ(imageLoadTGA.load("/nonexistent/x.tga", "tga"), nullptr);
  EXPECT_EQ(GetCapturedStdout(), "ImageLoadTGA /nonexistent/x.tga failed: unable to open file\n");
}
