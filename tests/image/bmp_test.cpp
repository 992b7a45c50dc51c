// Tests of the BMP decoder on hand-built files: row order, filler, data
// offset, every refusal message, truncation and hostile sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "base/exception.h"
#include "base/imageloadbmp.h"
#include "testutil.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

struct BmpFields {
  int32_t width = 2;
  int32_t height = 2;  // negative: rows stored top first
  uint16_t planes = 1;
  uint16_t bpp = 24;
  uint32_t compression = 0;
  uint32_t infoSize = 40;
  uint32_t gap = 0;            // bytes between the headers and the pixels
  bool lastFiller = true;      // whether the last row keeps its filler
};

void put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<unsigned char>(v);
  b[at + 1] = static_cast<unsigned char>(v >> 8);
}
void put32(Bytes& b, size_t at, uint32_t v) {
  put16(b, at, v);
  put16(b, at + 2, v >> 16);
}

// The colour of pixel (x, y), y counted from the top of the picture.
unsigned char red(int x, int y) { return static_cast<unsigned char>(10 * x + y); }
unsigned char green(int x, int y) { return static_cast<unsigned char>(100 + x + 7 * y); }
unsigned char blue(int x, int y) { return static_cast<unsigned char>(200 + x * y); }

Bytes makeBmp(BmpFields const& s) {
  // The fields are always written at their 40-byte-header places.
  size_t headers = std::max<size_t>(54, 14 + s.infoSize);
  Bytes b(headers + s.gap, 0xEE);
  std::fill(b.begin(), b.begin() + long(headers), 0);
  b[0] = 'B';
  b[1] = 'M';
  put32(b, 10, uint32_t(headers + s.gap));
  put32(b, 14, s.infoSize);
  put32(b, 18, uint32_t(s.width));
  put32(b, 22, uint32_t(s.height));
  put16(b, 26, s.planes);
  put16(b, 28, s.bpp);
  put32(b, 30, s.compression);
  int rows = s.height < 0 ? -s.height : s.height;
  int filler = (s.width * 3) & 3 ? 4 - ((s.width * 3) & 3) : 0;
  for (int r = 0; r < rows; ++r) {
    int y = s.height < 0 ? r : rows - 1 - r;  // file row r is picture row y
    for (int x = 0; x < s.width; ++x) {
      b.push_back(blue(x, y));
      b.push_back(green(x, y));
      b.push_back(red(x, y));
    }
    if (r + 1 < rows || s.lastFiller) b.insert(b.end(), size_t(filler), 0xAB);
  }
  put32(b, 2, uint32_t(b.size()));
  return b;
}

void expectPicture(Image const& img, int w, int h) {
  ASSERT_EQ(img.width, w);
  ASSERT_EQ(img.height, h);
  ASSERT_EQ(img.bitsPerPixel, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char const* p = img.data + (size_t(y) * size_t(w) + size_t(x)) * 3;
      ASSERT_EQ(p[0], red(x, y)) << x << "," << y;
      ASSERT_EQ(p[1], green(x, y)) << x << "," << y;
      ASSERT_EQ(p[2], blue(x, y)) << x << "," << y;
    }
}

ImagePtr decode(Bytes const& b) { return ImagePtr(ImageLoadBMP::decode(b.data(), b.size())); }

// The reason a decode is refused with ("" when it decodes).
std::string refusal(Bytes const& b) {
  try {
    ImagePtr img = decode(b);
    return img ? "" : "null";
  } catch (Exception const& e) {
    return e.message();
  }
}

}  // namespace

TEST(Bmp, RowsComeOutTopFirstWithChannelsSwapped) {
  // The 2 x 2 case: file rows (bottom) P1 P2, (top) P3 P4.
  Bytes b = makeBmp(BmpFields{});
  ImagePtr img = decode(b);
  ASSERT_TRUE(img);
  expectPicture(*img, 2, 2);
  // Image row 0 holds the file's last row.
  EXPECT_EQ(img->data[0], b[54 + 8 + 2]);

  BmpFields topDown;
  topDown.height = -3;
  topDown.width = 5;
  ImagePtr td = decode(makeBmp(topDown));
  ASSERT_TRUE(td);
  expectPicture(*td, 5, 3);
}

TEST(Bmp, RowFillerForEveryWidthRemainder) {
  // Widths 1..8 cover filler of 1, 2, 3 and 0 bytes twice.
  for (int w = 1; w <= 8; ++w) {
    BmpFields s;
    s.width = w;
    s.height = 3;
    Bytes b = makeBmp(s);
    int filler = (w * 3) & 3 ? 4 - ((w * 3) & 3) : 0;
    EXPECT_EQ(b.size(), 54u + size_t(3 * (w * 3 + filler)));
    ImagePtr img = decode(b);
    ASSERT_TRUE(img) << w;
    expectPicture(*img, w, 3);

    // A last row without its filler is still whole.
    s.lastFiller = false;
    ImagePtr shortLast = decode(makeBmp(s));
    ASSERT_TRUE(shortLast) << w;
    expectPicture(*shortLast, w, 3);
  }
}

TEST(Bmp, HonoursThePixelDataOffsetAndLongerHeaders) {
  BmpFields s;
  s.width = 3;
  s.gap = 1024;  // a palette nobody uses
  ImagePtr img = decode(makeBmp(s));
  ASSERT_TRUE(img);
  expectPicture(*img, 3, 2);

  s.gap = 0;
  for (uint32_t info : {52u, 56u, 108u, 124u}) {
    s.infoSize = info;
    ImagePtr v = decode(makeBmp(s));
    ASSERT_TRUE(v) << info;
    expectPicture(*v, 3, 2);
  }
}

TEST(Bmp, RefusalsInHeaderOrder) {
  BmpFields s;
  Bytes png = readWhole(corpus("pngsuite/png/basn2c08.png"));
  EXPECT_EQ(refusal(png), "got a bad sig:20617");

  s.planes = 2;
  s.bpp = 8;
  EXPECT_EQ(refusal(makeBmp(s)), "got bad # planes:2");  // planes are tested first
  s.planes = 1;
  EXPECT_EQ(refusal(makeBmp(s)), "got bad bitsPerPixel:8");
  s.bpp = 24;
  s.compression = 4;
  EXPECT_EQ(refusal(makeBmp(s)), "got bad compression: 4");
  s.compression = 0;
  s.infoSize = 12;
  EXPECT_EQ(refusal(makeBmp(s)), "got bad info header size:12");
  s.infoSize = 40;

  BmpFields w = s;
  w.width = 0;
  EXPECT_EQ(refusal(makeBmp(w)), "got bad width:0");
  w.width = -3;
  EXPECT_EQ(refusal(makeBmp(w)), "got bad width:-3");
  BmpFields h = s;
  h.height = 0;
  EXPECT_EQ(refusal(makeBmp(h)), "got bad height:0");

  Bytes b = makeBmp(s);
  put32(b, 10, 20);  // pixels inside the headers
  EXPECT_EQ(refusal(b), "got bad pixel data offset:20");
  put32(b, 10, 0xFFFFFFF0u);
  EXPECT_EQ(refusal(b), "got bad pixel data offset:4294967280");
}

TEST(Bmp, EveryTruncationFailsCleanly) {
  BmpFields s;
  s.width = 4;  // no filler: every byte counts
  s.height = -3;
  Bytes whole = makeBmp(s);
  for (size_t len = 0; len < whole.size(); ++len) {
    Bytes cut(whole.begin(), whole.begin() + long(len));
    std::string why = refusal(cut);
    EXPECT_NE(why, "") << "a " << len << "-byte prefix decoded";
    if (len < 54) {
      EXPECT_EQ(why, "file is too short for a bitmap header: " + std::to_string(len) + " bytes");
    } else {
      EXPECT_EQ(why.rfind("file is too short for its pixel data", 0), 0u) << why;
    }
  }
  EXPECT_EQ(refusal(whole), "");
}

TEST(Bmp, HostileSizesAreRefusedBeforeAllocating) {
  BmpFields s;
  Bytes b = makeBmp(s);
  struct Case {
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
  for (Case const& c : cases) {
    put32(b, 18, uint32_t(c.w));
    put32(b, 22, uint32_t(c.h));
    EXPECT_EQ(refusal(b), c.why);
  }
}

TEST(Bmp, FilesLargerThanTheReadWindow) {
  // 333 x 700 rows of 1000 bytes: the file is read in several windows, and
  // rows straddle their edges.
  BmpFields s;
  s.width = 333;
  s.height = 700;
  s.gap = 77;
  Bytes b = makeBmp(s);
  std::string path = writeScratch("big.bmp", b);
  ImagePtr fromFile(imageLoadBMP.load(path.c_str(), "bmp"));
  ASSERT_TRUE(fromFile);
  expectPicture(*fromFile, 333, 700);

  // A file cut short on disk fails like the bytes in memory.
  b.resize(b.size() - 500);
  std::string cut = writeScratch("cut.bmp", b);
  CaptureStderr();
  EXPECT_EQ(imageLoadBMP.load(cut.c_str(), "bmp"), nullptr);
  EXPECT_NE(GetCapturedStderr().find("file is too short for its pixel data"), std::string::npos);

  // Something that is not a regular file is refused like a missing one.
  CaptureStderr();
  EXPECT_EQ(imageLoadBMP.load(scratchDir().c_str(), "bmp"), nullptr);
  EXPECT_NE(GetCapturedStderr().find(": failed to load file "), std::string::npos);
}

TEST(Bmp, LoaderReportsOnStandardError) {
  EXPECT_EQ(imageLoadBMP.load("x.bmp", "png"), nullptr);  // not its extension: no message

  std::string good = writeScratch("good.bmp", makeBmp(BmpFields{}));
  ImagePtr img(imageLoadBMP.load(good.c_str(), "BMP"));
  ASSERT_TRUE(img);
  expectPicture(*img, 2, 2);

  BmpFields s;
  s.bpp = 8;
  std::string bad = writeScratch("bad.bmp", makeBmp(s));
  CaptureStderr();
  EXPECT_EQ(imageLoadBMP.load(bad.c_str(), "bmp"), nullptr);
  EXPECT_EQ(GetCapturedStderr(), "ImageLoadBMP failed to load file " + bad + ": got bad bitsPerPixel:8\n");

  std::string missing = scratchDir() + "/missing.bmp";
  CaptureStderr();
  EXPECT_EQ(imageLoadBMP.load(missing.c_str(), "bmp"), nullptr);
  EXPECT_EQ(GetCapturedStderr(),
            "ImageLoadBMP failed to load file " + missing + ": failed to load file " + missing + "\n");
}
