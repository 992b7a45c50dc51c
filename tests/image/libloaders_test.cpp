// Tests of the library-backed loaders (JPEG from memory, files that end early,
// failure reports, TIFF orientation on a file written here through the library)
// and of the PNG and JPEG writer with the atomic file under it.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <jpeglib.h>
#include <jerror.h>
#include <tiffio.h>

#include "base/atomicfile.h"
#include "base/imageloaders.h"
#include "base/imagesystem.h"
#include "base/imagewriter.h"
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
      {imageLoadJPEG, "jpg", "/nonexistent/x.jpg", "ImageLoadJPEG::load(/nonexistent/x.jpg) error: /nonexistent/x.jpg: No such file or directory\n"},
      {imageLoadPNG, "png", "/nonexistent/x.png", "ImageLoadPNG::load(/nonexistent/x.png) error: /nonexistent/x.png: No such file or directory\n"},
      {imageLoadTIFF, "tif", "/nonexistent/x.tif", "ImageLoadTIFF::load(/nonexistent/x.tif) error: /nonexistent/x.tif: No such file or directory\n"},
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

namespace {

// A w x h picture whose pixel (x, y), y from the top, is (40x + 10, 60y + 20,
// 90), in rows `stride` bytes apart, stored bottom-up when stride < 0.
Bytes picture(int w, int h, int stride) {
  int step = std::abs(stride);
  Bytes b(size_t(step) * size_t(h), 0xEE);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char* p = b.data() + size_t(stride < 0 ? h - 1 - y : y) * size_t(step) + size_t(x) * 3;
      p[0] = static_cast<unsigned char>(40 * x + 10);
      p[1] = static_cast<unsigned char>(60 * y + 20);
      p[2] = 90;
    }
  return b;
}

// Hidden names left in the scratch folder (a temporary file that survived).
std::string leftovers() {
  std::string names;
  for (auto const& e : std::filesystem::directory_iterator(scratchDir()))
    if (e.path().filename().string()[0] == '.') names += e.path().filename().string() + " ";
  return names;
}

}  // namespace

// The extension chooses the format; rows come out top first whatever the
// stride; PNG reads back exactly, JPEG closely; other names are refused.
TEST(ImageWriter, FormatByExtensionAndRowOrder) {
  ImageSystem::init();
  Bytes const expected = picture(4, 3, 12);
  for (auto [name, stride] : {std::pair{"a.png", 12}, {"b.PNG", -16}, {"c.jpg", 16}, {"d.JPEG", -12}}) {
    std::string const path = scratchDir() + "/" + name;
    std::string error;
    Bytes const rows = picture(4, 3, stride);
    ASSERT_TRUE(writeImageFile(path, 4, 3, rows.data(), stride, error)) << error;
    ImagePtr img(ImageSystem::load(path.c_str()));
    ASSERT_TRUE(img) << name;
    EXPECT_EQ(img->width, 4);
    Bytes got = rgbOf(*img);
    ASSERT_EQ(got.size(), expected.size());
    int worst = 0;
    for (size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(int(got[i]) - int(expected[i])));
    EXPECT_LE(worst, std::tolower(name[2]) == 'p' ? 0 : 40) << name;  // rows are 60 apart
  }
  for (std::string name : {"e.bmp", "noextension", "dir.d/f"}) {
    std::string error;
    std::string const path = scratchDir() + "/" + name;
    Bytes const rows = picture(1, 1, 3);
    EXPECT_FALSE(writeImageFile(path, 1, 1, rows.data(), 3, error));
    EXPECT_EQ(error, path + (name == "e.bmp" ? ": cannot write pictures of type \".bmp\"" : ": the name has no picture type") +
                         " (use .png, .jpg or .jpeg)");
    EXPECT_FALSE(std::filesystem::exists(path));
  }
}

// A write that fails over an existing file (here the process's file-size limit)
// leaves that file as it was and no temporary file behind; targets that are not
// regular files are refused before anything is written.
TEST(ImageWriter, FailuresLeaveTheTargetAsItWas) {
  std::string const keep = writeScratch("keep.png", std::string("old picture"));
  ChildRun run = inChild([&] {
    rlimit limit{4096, 4096};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    Bytes noise(256 * 256 * 3);
    uint32_t x = 2463534242u;  // xorshift: noise that does not compress
    for (unsigned char& n : noise) {
      x ^= x << 13, x ^= x >> 17, x ^= x << 5;
      n = static_cast<unsigned char>(x);
    }
    std::string error;
    bool ok = writeImageFile(keep, 256, 256, noise.data(), 256 * 3, error);
    std::printf("%s\n", error.c_str());
    return ok ? 1 : 0;
  });
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output, keep + ": File too large\n");
  EXPECT_EQ(readWhole(keep), (Bytes{'o', 'l', 'd', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}));
  EXPECT_EQ(leftovers(), "");

  std::string const fifo = scratchDir() + "/target-fifo.png", toFifo = scratchDir() + "/link.png",
                    toDevice = scratchDir() + "/device.png", dangling = scratchDir() + "/dangling.jpg";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(symlink(fifo.c_str(), toFifo.c_str()), 0);
  ASSERT_EQ(symlink("/dev/null", toDevice.c_str()), 0);
  ASSERT_EQ(symlink("nowhere.jpg", dangling.c_str()), 0);
  struct {
    std::string path, error;
  } const cases[] = {
      {fifo, fifo + ": is a FIFO, not a regular file"},
      {toFifo, toFifo + ": is a FIFO, not a regular file"},
      {toDevice, toDevice + ": is a character device, not a regular file"},
      {scratchDir() + "/sub.png", scratchDir() + "/sub.png: is a directory, not a regular file"},
      {dangling, dangling + ": is a symbolic link to a missing file"},
      {scratchDir() + "/no/such/folder.png", scratchDir() + "/no/such/folder.png: No such file or directory"},
  };
  ASSERT_EQ(mkdir((scratchDir() + "/sub.png").c_str(), 0700), 0);
  Bytes const one = picture(1, 1, 3);
  for (auto const& c : cases) {
    std::string error;
    EXPECT_FALSE(writeImageFile(c.path, 1, 1, one.data(), 3, error));
    EXPECT_EQ(error, c.error);
  }
  struct stat st;
  ASSERT_EQ(stat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(leftovers(), "");
}

// Committing replaces the file the name leads to (a link stays a link) and
// keeps its permissions; without a commit nothing changes.
TEST(AtomicFile, CommitReplacesDiscardKeeps) {
  std::string const real = writeScratch("table.csv", std::string("old")), link = scratchDir() + "/latest.csv";
  ASSERT_EQ(chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(symlink("table.csv", link.c_str()), 0);
  std::string error;
  {
    AtomicFile file;
    ASSERT_TRUE(file.open(link, error)) << error;
    std::fputs("abandoned", file.stream());
  }
  EXPECT_EQ(readWhole(real), (Bytes{'o', 'l', 'd'}));
  AtomicFile file;
  ASSERT_TRUE(file.open(link, error)) << error;
  std::fputs("new", file.stream());
  ASSERT_TRUE(file.commit(error)) << error;
  EXPECT_EQ(file.stream(), nullptr);
  EXPECT_EQ(readWhole(link), (Bytes{'n', 'e', 'w'}));
  struct stat st;
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(leftovers(), "");
}
