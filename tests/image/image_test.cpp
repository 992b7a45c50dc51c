// Tests of the Image record (layout, copies, flip, resample, pixel address),
// FileBuffer and the ImageSystem loader chain.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "base/exception.h"
#include "base/filebuffer.h"
#include "base/image.h"
#include "base/imageloaders.h"
#include "base/imagesystem.h"
#include "testutil.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

// A w x h image of the given depth whose byte i holds i (mod 256).
Image* numbered(int w, int h, int bpp) {
  Image* img = new Image(_vec<2, int>(w, h), bpp);
  for (size_t i = 0; i < img->dataBytes(); ++i) img->data[i] = static_cast<unsigned char>(i);
  return img;
}

// A minimal bottom-up 24-bit BMP of w x h whose pixels are (x, y, 7), in red,
// green, blue order, with y counted from the top.
Bytes tinyBmp(int w, int h) {
  int filler = (w * 3) & 3 ? 4 - ((w * 3) & 3) : 0;
  Bytes b(54, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = static_cast<unsigned char>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(w));
  put32(22, uint32_t(h));
  b[26] = 1;
  b[28] = 24;
  for (int r = h - 1; r >= 0; --r) {
    for (int x = 0; x < w; ++x) {
      b.push_back(7);
      b.push_back(static_cast<unsigned char>(r));
      b.push_back(static_cast<unsigned char>(x));
    }
    b.insert(b.end(), size_t(filler), 0);
  }
  return b;
}

}  // namespace

TEST(Image, ConstructionAndRowLayout) {
  Image empty;
  EXPECT_EQ(empty.width, 0);
  EXPECT_EQ(empty.height, 0);
  EXPECT_EQ(empty.bitsPerPixel, 0);
  EXPECT_EQ(empty.data, nullptr);

  // Rows hold ceil(width * bits / 8) bytes and follow each other without gap.
  struct Case {
    int w, h, bpp;
    size_t row;
  } cases[] = {{5, 3, 24, 15}, {3, 2, 1, 1}, {9, 2, 1, 2}, {3, 4, 4, 2}, {7, 1, 32, 28}, {2, 2, 8, 2}};
  for (Case const& c : cases) {
    Image img(_vec<2, int>(c.w, c.h), c.bpp);
    EXPECT_EQ(img.rowBytes(), c.row) << c.w << "x" << c.h << "@" << c.bpp;
    EXPECT_EQ(img.dataBytes(), c.row * size_t(c.h));
    ASSERT_NE(img.data, nullptr);
    for (size_t i = 0; i < img.dataBytes(); ++i) ASSERT_EQ(img.data[i], 0) << "not zero-filled";
    img.unload();
    EXPECT_EQ(img.data, nullptr);
    EXPECT_EQ(img.width, 0);
  }

  // A size that cannot be allocated leaves no buffer rather than a short one.
  Image negative(_vec<2, int>(-4, 4), 24);
  EXPECT_EQ(negative.data, nullptr);
  Image huge(_vec<2, int>(0x7fffffff, 0x7fffffff), 32);
  EXPECT_EQ(huge.data, nullptr);
  huge.reset();
}

TEST(Image, CloneIsAnIndependentCopy) {
  ImagePtr src(numbered(3, 2, 24));
  ImagePtr copy(src->clone());
  EXPECT_EQ(copy->width, 3);
  EXPECT_EQ(copy->height, 2);
  EXPECT_EQ(copy->bitsPerPixel, 24);
  EXPECT_NE(copy->data, src->data);
  EXPECT_EQ(pixels(*copy), pixels(*src));
  copy->data[0] = 99;
  EXPECT_EQ(src->data[0], 0);

  Image noData;
  noData.width = 4;
  noData.height = 4;
  noData.bitsPerPixel = 24;
  ImagePtr c2(noData.clone());
  EXPECT_EQ(c2->data, nullptr);
  EXPECT_EQ(c2->width, 4);
}

TEST(Image, FlipReversesRows) {
  ImagePtr src(numbered(2, 3, 24));  // rows of 6 bytes: 0..5, 6..11, 12..17
  ImagePtr flipped(src->flip());
  ASSERT_EQ(flipped->height, 3);
  Bytes expect = {12, 13, 14, 15, 16, 17, 6, 7, 8, 9, 10, 11, 0, 1, 2, 3, 4, 5};
  EXPECT_EQ(pixels(*flipped), expect);

  // Odd depths flip by whole rows too (5 x 1 bits: one byte per row).
  ImagePtr bits(numbered(5, 2, 1));
  ImagePtr bitsFlipped(bits->flip());
  EXPECT_EQ(pixels(*bitsFlipped), (Bytes{1, 0}));

  // One row: an equal copy in a new buffer.
  ImagePtr row(numbered(4, 1, 32));
  ImagePtr rowFlipped(row->flip());
  EXPECT_EQ(pixels(*rowFlipped), pixels(*row));
  EXPECT_NE(rowFlipped->data, row->data);
}

TEST(Image, Pixel24WrapsOrClamps) {
  ImagePtr img(numbered(4, 3, 24));
  auto at = [&](int x, int y, bool wrap) { return img->pixel24(_vec<2, int>(x, y), wrap) - img->data; };
  EXPECT_EQ(at(0, 0, false), 0);
  EXPECT_EQ(at(3, 2, false), 3 * (2 * 4 + 3));
  EXPECT_EQ(at(-1, 0, true), 3 * 3);         // last column
  EXPECT_EQ(at(-1, 0, false), 0);            // clamped to the first
  EXPECT_EQ(at(0, -1, true), 3 * (2 * 4));   // last row
  EXPECT_EQ(at(9, 7, true), 3 * (1 * 4 + 1));
  EXPECT_EQ(at(-9, -7, true), 3 * (2 * 4 + 3));
  EXPECT_EQ(at(100, 100, false), 3 * (2 * 4 + 3));

  ImagePtr rgba(numbered(2, 2, 32));
  EXPECT_EQ(rgba->pixel24(_vec<2, int>(1, 1), false) - rgba->data, 12);
}

TEST(Image, ResampleTakesNearestSampleWithTruncation) {
  // 4 x 4 RGB, pixel (x, y) = (x, y, x + 4y).
  Image src(_vec<2, int>(4, 4), 24);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      unsigned char* p = src.pixel24(_vec<2, int>(x, y), false);
      p[0] = static_cast<unsigned char>(x);
      p[1] = static_cast<unsigned char>(y);
      p[2] = static_cast<unsigned char>(x + 4 * y);
    }
  ImagePtr half(src.resample(_vec<2, int>(2, 2)));
  ASSERT_EQ(half->bitsPerPixel, 24);
  EXPECT_EQ(pixels(*half), (Bytes{0, 0, 0, 3, 0, 3, 0, 3, 12, 3, 3, 15}));

  // 3 wide from 4: u = 0, 0.5, 1 gives columns 0, 1 (1.5 truncated), 3.
  ImagePtr three(src.resample(_vec<2, int>(3, 1)));
  EXPECT_EQ(pixels(*three), (Bytes{0, 0, 0, 1, 0, 1, 3, 0, 3}));

  // A one-column target takes the first column.
  ImagePtr column(src.resample(_vec<2, int>(1, 3)));
  EXPECT_EQ(pixels(*column), (Bytes{0, 0, 0, 0, 1, 4, 0, 3, 12}));
  src.unload();

  // 32-bit sources lose their alpha.
  Image rgba(_vec<2, int>(2, 1), 32);
  unsigned char px[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  std::memcpy(rgba.data, px, 8);
  ImagePtr up(rgba.resample(_vec<2, int>(3, 2)));
  EXPECT_EQ(pixels(*up), (Bytes{1, 2, 3, 1, 2, 3, 5, 6, 7, 1, 2, 3, 1, 2, 3, 5, 6, 7}));
  rgba.unload();
}

TEST(ImageDeathTest, BrokenPreconditionsStopWithTheirAssertion) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  Image noData;
  noData.width = noData.height = 2;
  noData.bitsPerPixel = 24;
  EXPECT_DEATH(noData.flip(), "libs/base/src/image/.*: failed assertion `data'");
  EXPECT_DEATH(noData.pixel24(_vec<2, int>(0, 0), false),
               "libs/base/include/base/image.*: failed assertion `data'");
  Image grey(_vec<2, int>(2, 2), 8);
  EXPECT_DEATH(grey.pixel24(_vec<2, int>(0, 0), false), "failed assertion `bitsPerPixel >= 24'");
  Image twelve(_vec<2, int>(2, 2), 12);
  EXPECT_DEATH(twelve.resample(_vec<2, int>(1, 1)), "failed assertion `!\\(bitsPerPixel&7\\)'");
  grey.unload();
  twelve.unload();
}

TEST(FileBuffer, ReadsWholeFilesZeroTerminated) {
  std::string path = writeScratch("text.txt", std::string("hello\nworld"));
  FileBuffer fb(path.c_str());
  ASSERT_NE(fb.data, nullptr);
  EXPECT_EQ(fb.size, 11);
  EXPECT_STREQ(fb.data, "hello\nworld");

  // Loading again replaces the content.
  std::string other = writeScratch("other.txt", std::string("x"));
  EXPECT_TRUE(fb.load(other.c_str()));
  EXPECT_EQ(fb.size, 1);
  EXPECT_STREQ(fb.data, "x");

  // Embedded zero bytes are kept; the terminator follows the last byte.
  std::string bin = writeScratch("bin", Bytes{1, 0, 2});
  EXPECT_TRUE(fb.load(bin.c_str()));
  EXPECT_EQ(fb.size, 3);
  EXPECT_EQ(fb.data[2], 2);
  EXPECT_EQ(fb.data[3], 0);

  fb.unload();
  EXPECT_EQ(fb.data, nullptr);
  EXPECT_EQ(fb.size, 0);
}

TEST(FileBuffer, EmptyMissingAndUnreadableFiles) {
  std::string empty = writeScratch("empty", Bytes{});
  FileBuffer fb;
  EXPECT_TRUE(fb.load(empty.c_str()));
  ASSERT_NE(fb.data, nullptr);
  EXPECT_EQ(fb.size, 0);
  EXPECT_EQ(fb.data[0], 0);

  CaptureStdout();
  EXPECT_FALSE(fb.load((scratchDir() + "/does-not-exist").c_str()));
  EXPECT_EQ(fb.data, nullptr);
  // A directory opens but is not a file of a knowable size.
  EXPECT_FALSE(fb.load(scratchDir().c_str()));
  EXPECT_EQ(fb.data, nullptr);
  EXPECT_EQ(GetCapturedStdout(), "");  // no message in either case

  FileBuffer moved(std::move(fb));
  EXPECT_EQ(moved.data, nullptr);
}

TEST(ImageSystem, ExtensionIsTheTextAfterTheLastDot) {
  EXPECT_STREQ(ImageSystem::extensionOf("a.b.png"), "png");
  EXPECT_STREQ(ImageSystem::extensionOf("x.tar.gz"), "gz");
  EXPECT_STREQ(ImageSystem::extensionOf("dir.d/file"), "d/file");
  EXPECT_STREQ(ImageSystem::extensionOf("noext"), "noext");
  EXPECT_STREQ(ImageSystem::extensionOf("trailing."), "");
}

TEST(ImageSystem, ChainOrderAndSingleInitialisation) {
  ImageSystem::init();
  ImageSystem::init();  // harmless: no loop in the chain
  char const* expect[] = {"ImageLoadJPEG", "ImageLoadTIFF", "ImageLoadPNG",
                          "ImageLoadTGA",  "ImageLoadPPM",  "ImageLoadBMP"};
  ImageLoader* l = imageSystem.head;
  for (char const* name : expect) {
    ASSERT_NE(l, nullptr);
    EXPECT_STREQ(l->name(), name);
    l = l->getNext();
  }
  EXPECT_EQ(l, nullptr);
}

TEST(ImageSystem, PicksTheLoaderByExtensionWithoutCase) {
  ImageSystem::init();
  std::string path = writeScratch("upper.BMP", tinyBmp(2, 2));
  ImagePtr img(ImageSystem::load(path.c_str()));
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width, 2);
  EXPECT_EQ(img->bitsPerPixel, 24);

  // Unknown extension: one line on standard error, null.
  CaptureStderr();
  EXPECT_EQ(ImageSystem::load("archive.tar.gz"), nullptr);
  EXPECT_EQ(GetCapturedStderr(),
            "ImageSystem:load() filename archive.tar.gz error: failed to find appropriate loader\n");

  // Without a dot the whole name is the extension.
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  writeScratch("bmp", tinyBmp(3, 1));
  ASSERT_EQ(chdir(scratchDir().c_str()), 0);
  ImagePtr bare(ImageSystem::load("bmp"));
  ASSERT_EQ(chdir(cwd), 0);
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->width, 3);
}

TEST(ImageSystem, AKnownExtensionThatFailsReportsBothLines) {
  ImageSystem::init();
  // A PNG named .jpg goes to the JPEG loader only.
  std::string png = writeScratch("picture.jpg", readWhole(corpus("pngsuite/png/basn2c08.png")));
  CaptureStdout();
  CaptureStderr();
  EXPECT_EQ(ImageSystem::load(png.c_str()), nullptr);
  std::string err = GetCapturedStderr();
  std::string out = GetCapturedStdout();
  EXPECT_NE(out.find("jpeg error: "), std::string::npos) << out;
  EXPECT_NE(out.find("ImageLoadJPEG::load(" + png + ") error: jpeg error was hit\n"), std::string::npos) << out;
  EXPECT_NE(err.find("ImageSystem:load() filename " + png + " error: failed to find appropriate loader\n"),
            std::string::npos)
      << err;
}

namespace {

// Loaders that stand in front of the real chain for one test.
struct NoDataLoader : ImageLoader {
  int asked = 0;
  Image* load(char const*, char const* ext) override {
    if (std::strcmp(ext, "fake")) return nullptr;
    ++asked;
    Image* img = new Image;
    img->width = 5;  // a record without pixels: must be disposed of
    return img;
  }
  char const* name() const override { return "NoDataLoader"; }
};

struct PixelLoader : ImageLoader {
  int asked = 0;
  Image* load(char const*, char const* ext) override {
    if (std::strcmp(ext, "fake")) return nullptr;
    ++asked;
    return new Image(_vec<2, int>(1, 1), 24);
  }
  char const* name() const override { return "PixelLoader"; }
};

struct ThrowingLoader : ImageLoader {
  Image* load(char const*, char const* ext) override {
    if (!std::strcmp(ext, "boom")) throw Exception() << "decoder exploded " << 42;
    return nullptr;
  }
  char const* name() const override { return "ThrowingLoader"; }
};

}  // namespace

TEST(ImageSystem, WalksTheChainAndCatchesExceptions) {
  ImageSystem::init();
  ImageLoader* savedHead = imageSystem.head;
  PixelLoader pixel;
  NoDataLoader noData;
  ThrowingLoader thrower;
  pixel.init();
  noData.init();    // asked before pixel
  thrower.init();   // asked first
  ImagePtr img(ImageSystem::load("x.fake"));
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width, 1);
  EXPECT_EQ(noData.asked, 1);
  EXPECT_EQ(pixel.asked, 1);

  // An exception ends the search: nothing after the thrower is asked.
  CaptureStderr();
  EXPECT_EQ(ImageSystem::load("y.boom"), nullptr);
  EXPECT_EQ(GetCapturedStderr(), "ImageSystem:load() filename y.boom error: decoder exploded 42\n");
  imageSystem.head = savedHead;
}
