// Tests of the Image record (layout, copies, flip, resample, pixel address),
// opening regular files only, FileBuffer and the ImageSystem loader chain.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <utility>
#include <string>

#include "base/exception.h"
#include "base/filebuffer.h"
#include "base/image.h"
#include "base/imageloaders.h"
#include "base/imagesystem.h"
#include "base/regularfile.h"
#include "testutil.h"

using namespace testing::internal;

namespace {

// A w x h image of the given depth whose byte i holds i (mod 256).
Image* numbered(int w, int h, int bpp) {
  Image* img = new Image(_vec<2, int>(w, h), bpp);
  for (size_t i = 0; i < img->dataBytes(); ++i) img->data[i] = static_cast<unsigned char>(i);
  return img;
}

}  // namespace

// Rows hold ceil(width * bits / 8) bytes without gaps, zero-filled; sizes that
// cannot be allocated leave no buffer rather than a short one.
TEST(Image, ConstructionAndRowLayout) {
  EXPECT_EQ(Image().data, nullptr);
  struct {
    int w, h, bpp;
    size_t row;
  } cases[] = {{5, 3, 24, 15}, {3, 2, 1, 1}, {9, 2, 1, 2}, {3, 4, 4, 2}, {7, 1, 32, 28}, {2, 2, 8, 2}};
  for (auto const& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << "@" << c.bpp);
    Image img(_vec<2, int>(c.w, c.h), c.bpp);
    EXPECT_EQ(img.rowBytes(), c.row);
    EXPECT_EQ(img.dataBytes(), c.row * size_t(c.h));
    ASSERT_NE(img.data, nullptr);
    EXPECT_EQ(pixels(img), Bytes(img.dataBytes(), 0));
    img.unload();
    EXPECT_EQ(img.data, nullptr);
    EXPECT_EQ(img.width, 0);
  }
  EXPECT_EQ(Image(_vec<2, int>(-4, 4), 24).data, nullptr);
  Image huge(_vec<2, int>(0x7fffffff, 0x7fffffff), 32);
  EXPECT_EQ(huge.data, nullptr);
}

TEST(Image, CloneIsAnIndependentCopy) {
  ImagePtr src(numbered(3, 2, 24)), copy(src->clone());
  EXPECT_EQ(copy->width, 3);
  EXPECT_EQ(copy->height, 2);
  EXPECT_EQ(copy->bitsPerPixel, 24);
  EXPECT_EQ(pixels(*copy), pixels(*src));
  copy->data[0] = 99;
  EXPECT_EQ(src->data[0], 0);

  Image noData;
  noData.width = 4;
  ImagePtr c2(noData.clone());
  EXPECT_EQ(c2->data, nullptr);
  EXPECT_EQ(c2->width, 4);
}

TEST(Image, FlipReversesWholeRowsIntoANewBuffer) {
  ImagePtr src(numbered(2, 3, 24)), flipped(src->flip());  // rows 0..5, 6..11, 12..17
  EXPECT_EQ(pixels(*flipped), (Bytes{12, 13, 14, 15, 16, 17, 6, 7, 8, 9, 10, 11, 0, 1, 2, 3, 4, 5}));
  ImagePtr bits(numbered(5, 2, 1)), bitsFlipped(bits->flip());  // one byte per row
  EXPECT_EQ(pixels(*bitsFlipped), (Bytes{1, 0}));
  ImagePtr row(numbered(4, 1, 32)), rowFlipped(row->flip());
  EXPECT_EQ(pixels(*rowFlipped), pixels(*row));
  EXPECT_NE(rowFlipped->data, row->data);
}

TEST(Image, Pixel24WrapsOrClamps) {
  ImagePtr img(numbered(4, 3, 24));
  struct {
    int x, y;
    bool wrap;
    long offset;
  } cases[] = {{0, 0, false, 0},          {3, 2, false, 33},   {-1, 0, true, 9} /* last column */,
               {-1, 0, false, 0},         {0, -1, true, 24} /* last row */, {9, 7, true, 15},
               {-9, -7, true, 33},        {100, 100, false, 33}};
  for (auto const& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << (c.wrap ? " wrapped" : " clamped"));
    EXPECT_EQ(img->pixel24(_vec<2, int>(c.x, c.y), c.wrap) - img->data, c.offset);
  }
  ImagePtr rgba(numbered(2, 2, 32));
  EXPECT_EQ(rgba->pixel24(_vec<2, int>(1, 1), false) - rgba->data, 12);
}

// Nearest sample with truncation: u = 0, 0.5, 1 of a 4-wide source gives
// columns 0, 1 (1.5 truncated), 3; 32-bit sources lose their alpha.
TEST(Image, ResampleTakesNearestSampleWithTruncation) {
  Image src(_vec<2, int>(4, 4), 24);  // pixel (x, y) = (x, y, x + 4y)
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      unsigned char* p = src.pixel24(_vec<2, int>(x, y), false);
      p[0] = static_cast<unsigned char>(x);
      p[1] = static_cast<unsigned char>(y);
      p[2] = static_cast<unsigned char>(x + 4 * y);
    }
  Image rgba(_vec<2, int>(2, 1), 32);
  std::memcpy(rgba.data, "\1\2\3\4\5\6\7\10", 8);
  struct {
    Image const* src;
    int w, h;
    Bytes expect;
  } cases[] = {{&src, 2, 2, {0, 0, 0, 3, 0, 3, 0, 3, 12, 3, 3, 15}},
               {&src, 3, 1, {0, 0, 0, 1, 0, 1, 3, 0, 3}},
               {&src, 1, 3, {0, 0, 0, 0, 1, 4, 0, 3, 12}},
               {&rgba, 3, 2, {1, 2, 3, 1, 2, 3, 5, 6, 7, 1, 2, 3, 1, 2, 3, 5, 6, 7}}};
  for (auto const& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " from " << c.src->bitsPerPixel << " bits");
    ImagePtr out(c.src->resample(_vec<2, int>(c.w, c.h)));
    EXPECT_EQ(out->bitsPerPixel, 24);
    EXPECT_EQ(pixels(*out), c.expect);
  }
  src.unload();
  rgba.unload();
}

TEST(ImageDeathTest, BrokenPreconditionsStopWithTheirAssertion) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  Image noData;
  noData.width = noData.height = 2;
  noData.bitsPerPixel = 24;
  EXPECT_DEATH(noData.flip(), "libs/base/src/image/.*: failed assertion `data'");
  EXPECT_DEATH(noData.pixel24(_vec<2, int>(0, 0), false), "libs/base/include/base/image.*: failed assertion `data'");
  Image grey(_vec<2, int>(2, 2), 8), twelve(_vec<2, int>(2, 2), 12);
  EXPECT_DEATH(grey.pixel24(_vec<2, int>(0, 0), false), "failed assertion `bitsPerPixel >= 24'");
  EXPECT_DEATH(twelve.resample(_vec<2, int>(1, 1)), "failed assertion `!\\(bitsPerPixel&7\\)'");
  grey.unload();
  twelve.unload();
}

// Only regular files open (appending is covered by the console log's tests);
// anything else is refused with a line that names it, and nothing waits for a
// FIFO's other end.
TEST(RegularFile, OnlyRegularFilesOpen) {
  std::string const plain = writeScratch("plain.txt", std::string("abc")), fifo = scratchDir() + "/pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct {
    std::string path, error;
  } const cases[] = {
      {plain, ""},
      {fifo, fifo + ": is a FIFO, not a regular file"},
      {"/dev/null", "/dev/null: is a character device, not a regular file"},
      {"/nonexistent/x", "/nonexistent/x: No such file or directory"},
      {"", "no file name given"},
  };
  for (auto const& c : cases) {
    std::string error;
    FILE* f = openRegularFile(c.path.c_str(), error);
    EXPECT_EQ(error, c.error) << c.path;
    EXPECT_EQ(f != nullptr, c.error.empty()) << c.path;
    if (f) {
      char got[4] = {0};
      EXPECT_EQ(std::fread(got, 1, 3, f), 3u);
      EXPECT_STREQ(got, "abc");
      std::fclose(f);
    }
  }
}

// Whole files, zero-terminated after the last byte (embedded zeros kept);
// empty files load, missing files and folders fail with a line naming them.
TEST(FileBuffer, LoadsReplaceAndFailWithAReason) {
  FileBuffer fb(writeScratch("text.txt", std::string("hello\nworld")).c_str());
  ASSERT_NE(fb.data, nullptr);
  EXPECT_EQ(fb.size, 11);
  EXPECT_STREQ(fb.data, "hello\nworld");
  EXPECT_TRUE(fb.load(writeScratch("bin", Bytes{1, 0, 2}).c_str()));
  EXPECT_EQ(fb.size, 3);
  EXPECT_EQ(fb.data[2], 2);
  EXPECT_EQ(fb.data[3], 0);
  EXPECT_TRUE(fb.load(writeScratch("empty", Bytes{}).c_str()));
  ASSERT_NE(fb.data, nullptr);
  EXPECT_EQ(fb.size, 0);
  EXPECT_EQ(fb.data[0], 0);

  CaptureStderr();
  EXPECT_FALSE(fb.load((scratchDir() + "/does-not-exist").c_str()));
  EXPECT_EQ(fb.data, nullptr);
  EXPECT_FALSE(fb.load(scratchDir().c_str()));
  EXPECT_EQ(fb.data, nullptr);
  EXPECT_EQ(GetCapturedStderr(), scratchDir() + "/does-not-exist: No such file or directory\n" + scratchDir() +
                                     ": is a directory, not a regular file\n");
  fb.unload();
  EXPECT_EQ(fb.size, 0);
}

TEST(ImageSystem, ExtensionIsTheTextAfterTheLastDot) {
  char const* cases[][2] = {{"a.b.png", "png"}, {"x.tar.gz", "gz"}, {"dir.d/file", "d/file"},
                            {"noext", "noext"}, {"trailing.", ""}};
  for (auto const& c : cases) EXPECT_STREQ(ImageSystem::extensionOf(c[0]), c[1]) << c[0];
}

TEST(ImageSystem, ChainOrderAndSingleInitialisation) {
  ImageSystem::init();
  ImageSystem::init();  // must not link the chain into a loop
  ImageLoader* l = imageSystem.head;
  for (char const* name :
       {"ImageLoadJPEG", "ImageLoadTIFF", "ImageLoadPNG", "ImageLoadTGA", "ImageLoadPPM", "ImageLoadBMP"}) {
    ASSERT_NE(l, nullptr);
    EXPECT_STREQ(l->name(), name);
    l = l->getNext();
  }
  EXPECT_EQ(l, nullptr);
}

// The extension picks the loader without regard to case; a name without a
// dot is all extension; an unknown one gets one line on standard error.
TEST(ImageSystem, PicksTheLoaderByExtensionWithoutCase) {
  ImageSystem::init();
  ImagePtr img(ImageSystem::load(writeScratch("upper.BMP", makeBmp({})).c_str()));
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width, 2);

  CaptureStderr();
  EXPECT_EQ(ImageSystem::load("archive.tar.gz"), nullptr);
  EXPECT_EQ(GetCapturedStderr(),
            "ImageSystem:load() filename archive.tar.gz error: failed to find appropriate loader\n");

  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  BmpFields three;
  three.width = 3;
  writeScratch("bmp", makeBmp(three));
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
  std::string err = GetCapturedStderr(), out = GetCapturedStdout();
  EXPECT_NE(out.find("jpeg error: "), std::string::npos) << out;
  EXPECT_NE(out.find("ImageLoadJPEG::load(" + png + ") error: jpeg error was hit\n"), std::string::npos) << out;
  EXPECT_EQ(err.rfind("Not a JPEG file: starts with 0x89 0x50\n", 0), 0u) << err;  // libjpeg's own message
  EXPECT_NE(err.find("ImageSystem:load() filename " + png + " error: failed to find appropriate loader\n"),
            std::string::npos) << err;
}

// Each hand-written loader answers only to its extension (in any case) and
// reports a refused or missing file in its own way: BMP on standard error,
// TGA on standard output, PPM only a file it cannot open (on standard error).
// "@" stands for the file's path.
TEST(HandWrittenLoaders, ReportFailuresOnTheirOwnStream) {
  struct {
    ImageLoader& loader;
    char const *ext, *good, *bad, *badLine, *missingLine;
    bool toStdout;
  } cases[] = {
      {imageLoadBMP, "bmp", "bmptestsuite/valid/24bpp-1x1.bmp", "bmptestsuite/valid/8bpp-1x1.bmp",
       "ImageLoadBMP failed to load file @: got bad bitsPerPixel:8\n",
       "ImageLoadBMP failed to load file @: @: No such file or directory\n", false},
      {imageLoadTGA, "tga", "image-rs/tga/testsuite/utc24.tga", "image-rs/tga/testsuite/ctc24.tga",
       "ImageLoadTGA @ failed: this TGA file just happens to be RLE, which I dont support yet\n",
       "ImageLoadTGA @ failed: @: No such file or directory\n", true},
      {imageLoadPPM, "ppm", "pillow/ppm/hopper_8bit_plain.ppm", "libtiff/rgb-3c-8b.ppm", "",
       "ImageLoadPPM: @: No such file or directory\n", false},
  };
  auto at = [](std::string line, std::string const& path) {
    for (size_t i; (i = line.find('@')) != std::string::npos;) line.replace(i, 1, path);
    return line;
  };
  for (auto const& c : cases) {
    SCOPED_TRACE(c.ext);
    std::string upper = c.ext;
    for (char& ch : upper) ch = char(std::toupper(ch));
    ImagePtr img(c.loader.load(corpus(c.good).c_str(), upper.c_str()));
    EXPECT_TRUE(img);
    EXPECT_EQ(c.loader.load(corpus(c.good).c_str(), "jpg"), nullptr);
    for (auto [path, line] : {std::pair{corpus(c.bad), c.badLine}, {scratchDir() + "/missing." + c.ext, c.missingLine}}) {
      CaptureStdout();
      CaptureStderr();
      EXPECT_EQ(c.loader.load(path.c_str(), c.ext), nullptr);
      std::string err = GetCapturedStderr(), out = GetCapturedStdout();
      EXPECT_EQ(c.toStdout ? out : err, at(line, path));
      EXPECT_EQ(c.toStdout ? err : out, "");
    }
  }
}

// A FIFO in place of a picture or a text file is refused at once with a line
// naming it, whatever the extension, instead of waiting for a writer forever
// (the child's alarm turns a hang into a failure).
TEST(ImageSystem, AFifoIsRefusedWithoutWaiting) {
  ImageSystem::init();
  for (char const* ext : {"png", "jpg", "jpeg", "tif", "tiff", "bmp", "tga", "ppm", "txt"}) {
    std::string const path = scratchDir() + "/fifo." + ext;
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    ChildRun run = inChild(
        [&] {
          if (std::strcmp(ext, "txt") == 0) return FileBuffer().load(path.c_str()) ? 1 : 0;
          Image* img = ImageSystem::load(path.c_str());
          return img ? 1 : 0;
        },
        5);
    EXPECT_EQ(run.status, 0) << ext << ": " << run.output;
    EXPECT_NE(run.output.find(path + ": is a FIFO, not a regular file"), std::string::npos) << run.output;
  }
}

namespace {

// A loader for ".fake" names that returns a pixel-less record (to be disposed
// of, and the search continued) or a real 1 x 1 image; or throws for ".boom".
struct StandIn : ImageLoader {
  bool withPixels;
  int asked = 0;
  explicit StandIn(bool p) : withPixels(p) {}
  Image* load(char const*, char const* ext) override {
    if (!std::strcmp(ext, "boom")) throw Exception() << "decoder exploded " << 42;
    if (std::strcmp(ext, "fake")) return nullptr;
    ++asked;
    if (withPixels) return new Image(_vec<2, int>(1, 1), 24);
    Image* img = new Image;
    img->width = 5;
    return img;
  }
  char const* name() const override { return "StandIn"; }
};

}  // namespace

TEST(ImageSystem, WalksTheChainAndCatchesExceptions) {
  ImageSystem::init();
  ImageLoader* savedHead = imageSystem.head;
  StandIn pixel(true), noData(false);
  pixel.init();
  noData.init();  // asked first
  ImagePtr img(ImageSystem::load("x.fake"));
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width, 1);
  EXPECT_EQ(noData.asked, 1);
  EXPECT_EQ(pixel.asked, 1);

  // An exception ends the search and is reported on standard error.
  CaptureStderr();
  EXPECT_EQ(ImageSystem::load("y.boom"), nullptr);
  EXPECT_EQ(GetCapturedStderr(), "ImageSystem:load() filename y.boom error: decoder exploded 42\n");
  imageSystem.head = savedHead;
}
