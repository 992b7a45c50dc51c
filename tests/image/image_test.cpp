// Tests of the Image record (layout, copies, flip, resample, pixel address),
// FileBuffer, and the ImageSystem loader chain.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "base/filebuffer.h"
#include "base/imageloaders.h"
#include "base/imagesystem.h"
#include "testutil.h"

namespace {

// A w x h image of the given depth whose byte i holds i (mod 256).
ImagePtr numbered(int w, int h, int bpp) {
  ImagePtr img(new Image(_vec<2, int>(w, h), bpp));
  for (size_t i = 0; i < img->dataBytes(); ++i) img->data[i] = static_cast<unsigned char>(i);
  return img;
}

}  // namespace

// Rows hold ceil(width * bits / 8) bytes without gaps, zero-filled; sizes that
// cannot be allocated leave no buffer rather than a short one.
TEST(Image, ConstructionAndRowLayout) {
  struct { int w, h, bpp; size_t row; } cases[] = {
      {5, 3, 24, 15}, {3, 2, 1, 1}, {9, 2, 1, 2}, {3, 4, 4, 2}, {7, 1, 32, 28}, {2, 2, 8, 2}};
  for (auto const& c : cases) {
    Image img(_vec<2, int>(c.w, c.h), c.bpp);
    EXPECT_EQ(img.rowBytes(), c.row) << c.w << "x" << c.h << "@" << c.bpp;
    ASSERT_NE(img.data, nullptr);
    EXPECT_EQ(pixels(img), Bytes(c.row * size_t(c.h), 0));
    img.greySource = true;
    img.unload();  // a record used again starts as a colour one
    EXPECT_TRUE(img.data == nullptr && img.dataBytes() == 0u && !img.greySource);
  }
  EXPECT_EQ(Image(_vec<2, int>(-4, 4), 24).data, nullptr);
  EXPECT_EQ(Image(_vec<2, int>(0x7fffffff, 0x7fffffff), 32).data, nullptr);
}

TEST(Image, CloneAndFlipMakeIndependentCopies) {
  ImagePtr src = numbered(2, 3, 24), copy(src->clone()), flipped(src->flip());  // rows 0..5, 6..11, 12..17
  EXPECT_EQ(describe(copy.get()), describe(src.get()));
  copy->data[0] = 99;
  EXPECT_TRUE(src->data[0] == 0 && flipped->bitsPerPixel == 24);
  EXPECT_EQ(pixels(*flipped), (Bytes{12, 13, 14, 15, 16, 17, 6, 7, 8, 9, 10, 11, 0, 1, 2, 3, 4, 5}));
  ImagePtr bits = numbered(5, 2, 1), bitsFlipped(bits->flip());  // one byte per row
  EXPECT_EQ(pixels(*bitsFlipped), (Bytes{1, 0}));
  Image noData;
  noData.width = 4;
  ImagePtr empty(noData.clone());
  EXPECT_TRUE(empty->data == nullptr && empty->width == 4);
}

TEST(Image, Pixel24WrapsOrClamps) {
  ImagePtr img = numbered(4, 3, 24), rgba = numbered(2, 2, 32);
  struct { int x, y; bool wrap; long offset; } cases[] = {
      {0, 0, false, 0},  {3, 2, false, 33}, {-1, 0, true, 9},   {-1, 0, false, 0},
      {0, -1, true, 24}, {9, 7, true, 15},  {-9, -7, true, 33}, {100, 100, false, 33}};
  for (auto const& c : cases)
    EXPECT_EQ(img->pixel24(_vec<2, int>(c.x, c.y), c.wrap) - img->data, c.offset) << c.x << "," << c.y << " " << c.wrap;
  EXPECT_EQ(rgba->pixel24(_vec<2, int>(1, 1), false) - rgba->data, 12);
}

// Nearest sample with truncation: u = 0, 0.5, 1 of a 4-wide source gives
// columns 0, 1 (1.5 truncated), 3; 32-bit sources lose their alpha.
TEST(Image, ResampleTakesNearestSampleWithTruncation) {
  ImagePtr rgb = numbered(4, 4, 24), rgba = numbered(2, 1, 32);  // pixel (x, y) starts at byte 12y + 3x
  struct { Image const* src; int w, h; Bytes expect; } cases[] = {
      {rgb.get(), 2, 2, {0, 1, 2, 9, 10, 11, 36, 37, 38, 45, 46, 47}},
      {rgb.get(), 3, 1, {0, 1, 2, 3, 4, 5, 9, 10, 11}},
      {rgb.get(), 1, 3, {0, 1, 2, 12, 13, 14, 36, 37, 38}},
      {rgba.get(), 3, 2, {0, 1, 2, 0, 1, 2, 4, 5, 6, 0, 1, 2, 0, 1, 2, 4, 5, 6}}};
  for (auto const& c : cases)  // 24 bits a pixel: another depth gives another byte count
    EXPECT_EQ(pixels(*ImagePtr(c.src->resample(_vec<2, int>(c.w, c.h)))), c.expect)
        << c.w << "x" << c.h << " from " << c.src->bitsPerPixel << " bits";
}

// Whole files, zero-terminated after the last byte (embedded zeros kept);
// empty files load; a missing file fails with a line naming it and leaves
// nothing loaded; no descriptor stays open. Folders and FIFOs are refused by
// the same opening as every loader's (Loaders and ImageSystem tests below).
TEST(FileBuffer, LoadsReplaceAndFailWithAReason) {
  int const fds = openDescriptors();
  FileBuffer fb(writeScratch("text.txt", std::string("hello\0world", 11)).c_str());
  EXPECT_EQ(std::string(fb.data, size_t(fb.size) + 1), std::string("hello\0world", 12));
  EXPECT_TRUE(fb.load(writeScratch("empty", Bytes{}).c_str()));
  EXPECT_EQ(Bytes(fb.data, fb.data + fb.size + 1), Bytes{0});
  std::string const missing = scratchDir() + "/does-not-exist";
  EXPECT_EQ(captured([&] { EXPECT_FALSE(fb.load(missing.c_str())); }).err, missing + ": No such file or directory\n");
  EXPECT_TRUE(fb.data == nullptr && fb.size == 0 && openDescriptors() == fds);
}

// The extension is the text after the last dot (all of a name without one);
// an unknown one, or no name, gets one line on standard error. A second init
// must not link the chain into a loop.
TEST(ImageSystem, ExtensionsAndUnknownNames) {
  char const* cases[][2] = {{"a.b.png", "png"}, {"dir.d/file", "d/file"}, {"noext", "noext"}, {"trailing.", ""}};
  for (auto const& c : cases) EXPECT_STREQ(ImageSystem::extensionOf(c[0]), c[1]) << c[0];
  ImageSystem::init();
  ImageSystem::init();
  int loaders = 0;
  for (ImageLoader* l = imageSystem.head; l && loaders < 100; l = l->getNext()) ++loaders;
  EXPECT_EQ(loaders, 6);

  // A missing file, one no loader reads and a folder each say which it is.
  std::string const unknown = writeScratch("archive.tar.gz", std::string("not a picture"));
  Output o = captured([&] {
    EXPECT_EQ(ImageSystem::load("no such archive.tar.gz"), nullptr);
    EXPECT_EQ(ImageSystem::load(unknown.c_str()), nullptr);
    EXPECT_EQ(ImageSystem::load(scratchDir().c_str()), nullptr);
    EXPECT_EQ(ImageSystem::load(nullptr), nullptr);
  });
  std::string const head = " error: failed to find appropriate loader: ";
  EXPECT_EQ(o.err, "ImageSystem:load() filename no such archive.tar.gz" + head +
                       "cannot open the file: No such file or directory\n"
                       "ImageSystem:load() filename " + unknown + head + "the file exists but no loader could read it\n"
                       "ImageSystem:load() filename " + scratchDir() + head + "the name is a directory, not a regular file\n"
                       "ImageSystem:load() filename (null) error: no file name given\n");
}

// Every loader answers to its extension in any case, leaves other names
// alone, and refuses a missing file or a FIFO (at once, instead of waiting for
// a writer) with one line naming it on its own stream. "@" is the path.
TEST(Loaders, AnswerToTheirExtensionAndReportUnreadableFiles) {
  struct { ImageLoader& loader; char const *ext, *good, *line; bool toStdout; } cases[] = {
      {imageLoadBMP, "Bmp", "bmptestsuite/valid/24bpp-1x1.bmp", "ImageLoadBMP failed to load file @: @: ", false},
      {imageLoadTGA, "TGA", "image-rs/tga/testsuite/utc24.tga", "ImageLoadTGA @ failed: @: ", true},
      {imageLoadPPM, "pPm", "pillow/ppm/hopper_8bit_plain.ppm", "ImageLoadPPM: @: ", false},
      {imageLoadJPEG, "JPEG", "pillow/jpeg/hopper.jpg", "ImageLoadJPEG::load(@) error: @: ", true},
      {imageLoadPNG, "Png", "libpng/pngtest.png", "ImageLoadPNG::load(@) error: @: ", true},
      {imageLoadTIFF, "TIFF", "pillow/tiff/hopper.tif", "ImageLoadTIFF::load(@) error: @: ", true},
  };
  for (auto const& c : cases) {
    ImagePtr img(c.loader.load(corpus(c.good).c_str(), c.ext));
    EXPECT_TRUE(img) << c.ext;
    EXPECT_EQ(c.loader.load(corpus(c.good).c_str(), "gif"), nullptr) << c.ext;
    std::string const fifo = scratchDir() + "/fifo." + c.ext;
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (auto [path, why] : {std::pair{scratchDir() + "/missing", "No such file or directory"},
                             {fifo, "is a FIFO, not a regular file"}}) {
      Output o = captured([&] { EXPECT_EQ(c.loader.load(path.c_str(), c.ext), nullptr); });
      std::string line = c.line;
      for (size_t i; (i = line.find('@')) != std::string::npos;) line.replace(i, 1, path);
      EXPECT_EQ(c.toStdout ? o.out : o.err, line + why + "\n");
      EXPECT_EQ(c.toStdout ? o.err : o.out, "");
    }
  }
}

namespace {

// A loader put at the head of the chain: it throws for ".boom" names and
// returns a pixel-less record (to be disposed of, and the search continued)
// for all others.
struct StandIn : ImageLoader {
  Image* load(char const*, char const* ext) override {
    if (!std::strcmp(ext, "boom")) throw Exception() << "decoder exploded " << 42;
    return new Image;
  }
  char const* name() const override { return "StandIn"; }
};

}  // namespace

TEST(ImageSystem, SkipsPixelLessRecordsAndReportsExceptions) {
  ImageSystem::init();
  ImageLoader* savedHead = imageSystem.head;
  StandIn standIn;
  standIn.init();
  ImagePtr img(ImageSystem::load(corpus("pillow/ppm/hopper_8bit_plain.ppm").c_str()));
  EXPECT_EQ(describe(img.get()), "128x128x24:dc3ef74f");
  Output o = captured([] { EXPECT_EQ(ImageSystem::load("y.boom"), nullptr); });
  EXPECT_EQ(o.err, "ImageSystem:load() filename y.boom error: decoder exploded 42\n");
  imageSystem.head = savedHead;
}

// Every loader says whether the file itself is grey, whatever depth it gave the picture
// (a grey PNG comes out as RGB; PPM: its decoder's tests); copies and flips keep it.
TEST(Loaders, SayWhetherTheFileIsGrey) {
  ImageSystem::init();
  struct { char const* file; bool grey; } const cases[] = {
      {"bmptestsuite/valid/24bpp-1x1.bmp", false},     {"pillow/tga/common/200x32_l_tl_raw.tga", true},
      {"image-rs/tga/testsuite/utc24.tga", false},     {"pillow/jpeg/hopper_gray.jpg", true},
      {"pillow/jpeg/hopper.jpg", false},               {"pngsuite/png/basn4a08.png", true},
      {"pngsuite/png/basn2c08.png", false},            {"libtiff/minisblack-2c-8b-alpha.tiff", true},
      {"libtiff/rgb-3c-8b.tiff", false},
  };
  for (auto const& c : cases) {
    ImagePtr img;
    captured([&] { img.reset(ImageSystem::load(corpus(c.file).c_str())); });
    ASSERT_TRUE(img) << c.file;
    EXPECT_EQ(img->greySource, c.grey) << c.file;
    EXPECT_EQ(ImagePtr(img->clone())->greySource && ImagePtr(img->flip())->greySource, c.grey) << c.file;
  }
}
