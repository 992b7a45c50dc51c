// Tests of the BMP decoder on hand-built files: row order, filler, data
// offset, every refusal message, truncation and hostile sizes.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "base/exception.h"
#include "base/imageloadbmp.h"
#include "testutil.h"

using namespace testing::internal;

namespace {

BmpFields sized(int w, int h) {
  BmpFields s;
  s.width = w;
  s.height = h;
  return s;
}

void expectPicture(Image const* img, int w, int h) {
  ASSERT_TRUE(img);
  ASSERT_EQ(img->width, w);
  ASSERT_EQ(img->height, h);
  ASSERT_EQ(img->bitsPerPixel, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char rgb[3];
      bmpColour(x, y, rgb);
      ASSERT_EQ(0, std::memcmp(img->data + (size_t(y) * size_t(w) + size_t(x)) * 3, rgb, 3)) << x << "," << y;
    }
}

ImagePtr decode(Bytes const& b) { return ImagePtr(ImageLoadBMP::decode(b.data(), b.size())); }

// Why a decode is refused ("" when it decodes).
std::string refusal(Bytes const& b) {
  try {
    return decode(b) ? "" : "null";
  } catch (Exception const& e) {
    return e.message();
  }
}

}  // namespace

// Bottom-up and top-down rows, filler for every width remainder (with and
// without the last row's), a gap before the pixels and longer info headers.
TEST(Bmp, RowOrderFillerOffsetAndHeaderVersions) {
  Bytes b = makeBmp({});
  ImagePtr img = decode(b);
  expectPicture(img.get(), 2, 2);
  EXPECT_EQ(img->data[0], b[54 + 8 + 2]);  // image row 0 is the file's last row
  expectPicture(decode(makeBmp(sized(5, -3))).get(), 5, 3);

  for (int w = 1; w <= 8; ++w) {
    SCOPED_TRACE(testing::Message() << "width " << w);
    BmpFields s = sized(w, 3);
    expectPicture(decode(makeBmp(s)).get(), w, 3);
    s.lastFiller = false;
    expectPicture(decode(makeBmp(s)).get(), w, 3);
  }
  BmpFields s = sized(3, 2);
  s.gap = 1024;  // a palette nobody uses
  expectPicture(decode(makeBmp(s)).get(), 3, 2);
  s.gap = 0;
  for (uint32_t info : {52u, 56u, 108u, 124u}) {
    SCOPED_TRACE(testing::Message() << "info header " << info);
    s.infoSize = info;
    expectPicture(decode(makeBmp(s)).get(), 3, 2);
  }
}

// Each field is checked in header order (planes before depth).
TEST(Bmp, RefusalsInHeaderOrder) {
  EXPECT_EQ(refusal(readWhole(corpus("pngsuite/png/basn2c08.png"))), "got a bad sig:20617");
  struct {
    void (*edit)(BmpFields&);
    char const* why;
  } cases[] = {
      {[](BmpFields& s) { s.planes = 2, s.bpp = 8; }, "got bad # planes:2"},
      {[](BmpFields& s) { s.bpp = 8; }, "got bad bitsPerPixel:8"},
      {[](BmpFields& s) { s.compression = 4; }, "got bad compression: 4"},
      {[](BmpFields& s) { s.infoSize = 12; }, "got bad info header size:12"},
      {[](BmpFields& s) { s.width = 0; }, "got bad width:0"},
      {[](BmpFields& s) { s.width = -3; }, "got bad width:-3"},
      {[](BmpFields& s) { s.height = 0; }, "got bad height:0"},
  };
  for (auto const& c : cases) {
    BmpFields s;
    c.edit(s);
    EXPECT_EQ(refusal(makeBmp(s)), c.why);
  }
  Bytes b = makeBmp({});
  put32(b, 10, 20);  // pixels inside the headers
  EXPECT_EQ(refusal(b), "got bad pixel data offset:20");
  put32(b, 10, 0xFFFFFFF0u);
  EXPECT_EQ(refusal(b), "got bad pixel data offset:4294967280");
}

TEST(Bmp, EveryTruncationFailsCleanly) {
  Bytes whole = makeBmp(sized(4, -3));  // no filler: every byte counts
  EXPECT_EQ(refusal(whole), "");
  for (size_t len = 0; len < whole.size(); ++len) {
    std::string why = refusal(Bytes(whole.begin(), whole.begin() + long(len)));
    if (len < 54) EXPECT_EQ(why, "file is too short for a bitmap header: " + std::to_string(len) + " bytes");
    else EXPECT_EQ(why.rfind("file is too short for its pixel data", 0), 0u) << len << ": " << why;
  }
}

TEST(Bmp, HostileSizesAreRefusedBeforeAllocating) {
  Bytes b = makeBmp({});
  struct {
    int32_t w, h;
    char const* why;
  } cases[] = {
      {3000000, 2000000, "image is too large: 3000000x2000000"},
      {0x7fffffff, 0x7fffffff, "image is too large: 2147483647x2147483647"},
      {0x55555556, 1, "image is too large: 1431655766x1"},  // width * 3 wraps 32 bits
      {2, INT_MIN, "got bad height:-2147483648"},
      {30000, -30000, "image is too large: 30000x30000"},
      {1000, 1000, "file is too short for its pixel data: needs 3000000 bytes after offset 54, has 16"},
  };
  for (auto const& c : cases) {
    put32(b, 18, uint32_t(c.w));
    put32(b, 22, uint32_t(c.h));
    EXPECT_EQ(refusal(b), c.why);
  }
}

// Rows of 1000 bytes straddle the edges of the windows a file is read in; a
// file cut short on disk fails like bytes in memory.
TEST(Bmp, FilesLargerThanTheReadWindow) {
  BmpFields s = sized(333, 700);
  s.gap = 77;
  Bytes b = makeBmp(s);
  ImagePtr fromFile(imageLoadBMP.load(writeScratch("big.bmp", b).c_str(), "bmp"));
  expectPicture(fromFile.get(), 333, 700);

  b.resize(b.size() - 500);
  std::string cut = writeScratch("cut.bmp", b);
  CaptureStderr();
  EXPECT_EQ(imageLoadBMP.load(cut.c_str(), "bmp"), nullptr);
  EXPECT_NE(GetCapturedStderr().find("file is too short for its pixel data"), std::string::npos);
  CaptureStderr();
  EXPECT_EQ(imageLoadBMP.load(scratchDir().c_str(), "bmp"), nullptr);  // not a regular file
  EXPECT_NE(GetCapturedStderr().find(": is a directory, not a regular file"), std::string::npos);
}
