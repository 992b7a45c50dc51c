// Tests of the TGA decoder on hand-built files: depths, row order, alpha,
// colour maps, refusals, truncation.
#include <gtest/gtest.h>

#include <string>

#include "base/exception.h"
#include "base/imageloadtga.h"
#include "testutil.h"

using namespace testing::internal;

namespace {

struct TgaFields {
  int idLength = 0, mapType = 0, imageType = 2, mapFirst = 0, mapLength = 0, mapBits = 0;
  int width = 3, height = 2, depth = 24, descriptor = 0;
};

TgaFields colourMapped(int first, int length, int bits) {
  TgaFields s;
  s.mapType = s.imageType = 1;
  s.depth = 8;
  s.mapFirst = first;
  s.mapLength = length;
  s.mapBits = bits;
  return s;
}

// The 18 header bytes, then the image ID, then `rest`.
Bytes header(TgaFields const& s, Bytes const& rest = {}) {
  Bytes b(18, 0);
  b[0] = static_cast<unsigned char>(s.idLength);
  b[1] = static_cast<unsigned char>(s.mapType);
  b[2] = static_cast<unsigned char>(s.imageType);
  put16(b, 3, uint32_t(s.mapFirst));
  put16(b, 5, uint32_t(s.mapLength));
  b[7] = static_cast<unsigned char>(s.mapBits);
  put16(b, 12, uint32_t(s.width));
  put16(b, 14, uint32_t(s.height));
  b[16] = static_cast<unsigned char>(s.depth);
  b[17] = static_cast<unsigned char>(s.descriptor);
  b.insert(b.end(), size_t(s.idLength), 'I');
  b.insert(b.end(), rest.begin(), rest.end());
  return b;
}

// Byte k of the pixel at file row r, column x, as stored.
unsigned char stored(int r, int x, int k) { return static_cast<unsigned char>(16 * r + 4 * x + k + 1); }

// A file with `map` after the header, then pixels (depth / 8 bytes each) from stored().
Bytes makeTga(TgaFields const& s, Bytes const& map = {}) {
  Bytes b = header(s, map);
  for (int r = 0; r < s.height; ++r)
    for (int x = 0; x < s.width; ++x)
      for (int k = 0; k < s.depth / 8; ++k) b.push_back(stored(r, x, k));
  return b;
}

ImagePtr decode(Bytes const& b) { return ImagePtr(ImageLoadTGA::decode(b.data(), b.size())); }

std::string refusal(Bytes const& b) {
  try {
    return decode(b) ? "" : "null";
  } catch (Exception const& e) {
    return e.message();
  }
}

}  // namespace

// Blue-green-red becomes red-green-blue, alpha stays fourth, and bottom-first
// files (descriptor bit 5 clear) are turned over.
TEST(Tga, TrueColourRowOrderAndChannels) {
  for (int depth : {24, 32})
    for (int topFirst : {0, 0x20}) {
      SCOPED_TRACE(testing::Message() << depth << " bits, descriptor " << topFirst);
      TgaFields s;
      s.depth = depth;
      s.descriptor = topFirst | (depth == 32 ? 8 : 0);
      ImagePtr img = decode(makeTga(s));
      ASSERT_TRUE(img);
      ASSERT_EQ(img->bitsPerPixel, depth);
      ASSERT_EQ(img->width, 3);
      ASSERT_EQ(img->height, 2);
      Bytes expect;
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
          int r = topFirst ? y : 1 - y;
          expect.insert(expect.end(), {stored(r, x, 2), stored(r, x, 1), stored(r, x, 0)});
          if (depth == 32) expect.push_back(stored(r, x, 3));
        }
      EXPECT_EQ(pixels(*img), expect);
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
  EXPECT_EQ(pixels(*img), (Bytes{17, 21, 25, 1, 5, 9}));
  s.descriptor = 0x30;  // top first, right to left: mirrored into place
  img = decode(makeTga(s));
  ASSERT_TRUE(img);
  EXPECT_EQ(pixels(*img), (Bytes{9, 5, 1, 25, 21, 17}));
}

// Entries are blue-green-red(-alpha) or 5-bit primaries expanded to 8;
// indexes count from the first entry; an index past the stored entries is
// refused, not read; a map on a true-colour file is stepped over.
TEST(Tga, ColourMaps) {
  struct {
    TgaFields s;
    Bytes rest;  // map entries, then the 2 x 1 indexes
    int bpp;
    Bytes expect;
  } cases[] = {
      {colourMapped(0, 3, 24), {10, 20, 30, 40, 50, 60, 70, 80, 90, 2, 0}, 24, {90, 80, 70, 30, 20, 10}},
      {colourMapped(5, 2, 32), {1, 2, 3, 4, 5, 6, 7, 8, 6, 5}, 32, {7, 6, 5, 8, 3, 2, 1, 4}},
      {colourMapped(0, 1, 16), {0x01, 0x7e, 0, 0}, 24, {255, 132, 8, 255, 132, 8}},  // 31, 16, 1
  };
  for (auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.s.mapBits << "-bit entries");
    c.s.width = 2;
    c.s.height = 1;
    c.s.descriptor = 0x20;
    ImagePtr img = decode(header(c.s, c.rest));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->bitsPerPixel, c.bpp);
    EXPECT_EQ(pixels(*img), c.expect);
  }
  cases[1].rest.back() = 4;
  EXPECT_EQ(refusal(header(cases[1].s, cases[1].rest)), "colour map index 4 is outside the colour map");

  TgaFields unused = colourMapped(0, 4, 24), plain;
  unused.imageType = 2;
  unused.depth = 24;
  ImagePtr withMap = decode(makeTga(unused, Bytes(12, 0xCC))), without = decode(makeTga(plain));
  ASSERT_TRUE(withMap && without);
  EXPECT_EQ(pixels(*withMap), pixels(*without));
}

TEST(Tga, Refusals) {
  struct {
    int imageType, depth, mapType;
    char const* why;
  } cases[] = {
      {10, 24, 0, "this TGA file just happens to be RLE, which I dont support yet"},
      {2, 16, 0, "This TGA is not of either 8, 24, or 32 bits per pixel"},
      {2, 8, 0, "8-bit TGA that is neither grey nor colour-mapped"},
      {1, 8, 0, "colormap hasnt been found"},
      {3, 24, 0, "grey TGA of 24 bits per pixel"},
      {0, 24, 0, "got bad image type:0"},
      {2, 24, 2, "got bad colour map type:2"},
  };
  for (auto const& c : cases) {
    TgaFields s;
    s.imageType = c.imageType;
    s.depth = c.depth;
    s.mapType = c.mapType;
    EXPECT_EQ(refusal(makeTga(s)), c.why);
  }
  EXPECT_EQ(refusal(makeTga(colourMapped(0, 1, 12), {0, 0})), "got bad colour map entry size:12");
  TgaFields zero;
  zero.width = 0;
  EXPECT_EQ(refusal(makeTga(zero)), "got bad image size: 0x2");
}

// Each part of the file cut short has its own message; the 16-bit size fields
// cannot ask for more than the file must then hold.
TEST(Tga, EveryTruncationFailsCleanly) {
  TgaFields s = colourMapped(0, 2, 24);
  s.idLength = 3;
  Bytes whole = header(s, {1, 2, 3, 4, 5, 6, 0, 1, 0, 1, 0, 1});
  ASSERT_EQ(refusal(whole), "");
  for (size_t len = 0; len < whole.size(); ++len) {
    std::string why = refusal(Bytes(whole.begin(), whole.begin() + long(len)));
    EXPECT_EQ(why, len < 18   ? "couldnt read header"
                   : len < 21 ? "error trying to seek past image ID info"
                   : len < 27 ? "couldnt read the TGA's palette"
                              : "error in reading this TGA")
        << len;
  }
  TgaFields t;
  Bytes colour = makeTga(t);
  colour.pop_back();
  EXPECT_EQ(refusal(colour), "couldnt read texture row");
  t.width = t.height = 65535;
  t.depth = 32;
  EXPECT_EQ(refusal(header(t)), "couldnt read texture row");
}

// 300 rows of 2400 bytes after an ID and a colour map to step over.
TEST(Tga, FilesLargerThanTheReadWindow) {
  TgaFields s = colourMapped(0, 1000, 24);
  s.imageType = 2;
  s.width = 600;
  s.height = 300;
  s.depth = 32;
  s.idLength = 9;
  Bytes b = makeTga(s, Bytes(3000, 0x5A));
  ImagePtr fromMemory = decode(b), fromFile(imageLoadTGA.load(writeScratch("big.tga", b).c_str(), "tga"));
  ASSERT_TRUE(fromMemory && fromFile);
  EXPECT_TRUE(pixels(*fromFile) == pixels(*fromMemory));
  EXPECT_EQ(fromFile->data[0], stored(299, 0, 2));
}
