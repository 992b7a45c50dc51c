// Tests of the JPEG loader's memory source and files that end early, and of
// the PNG and JPEG writer with the atomic file under it.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>

#include <jpeglib.h>
#include <jerror.h>

#include "base/imageloaders.h"
#include "base/imagesystem.h"
#include "base/imagewriter.h"
#include "testutil.h"

namespace {

ImagePtr fromMemory(Bytes const& block, size_t n) {
  return ImagePtr(imageLoadJPEG.loadFromMemory(reinterpret_cast<char const*>(block.data()), n));
}

}  // namespace

// A block in memory (several refills of the 4096-byte input buffer) decodes
// like the file; an empty block is the library's "empty input" error. A file
// that ends early loads after one warning line naming it (cut inside its scans:
// the corpus's truncated_jpeg.jpg); one cut inside its headers fails. From
// memory the source supplies the missing end marker itself.
TEST(JpegLoader, MemoryBlocksAndFilesThatEndEarly) {
  Bytes const whole = readWhole(corpus("libjpeg-turbo/testorig.jpg"));  // baseline
  EXPECT_EQ(captured([&] { EXPECT_FALSE(fromMemory(whole, 0)); }).out,
            "jpeg error: " + std::to_string(JERR_INPUT_EMPTY) + "\nImageLoadJPEG::loadFromMemory() error: jpeg error was hit\n");
  struct { size_t size; char const *result, *line; } const cases[] = {
      {whole.size() - 2, "227x149x24:b88ce32e", " warning: Premature end of JPEG file\n"},  // the whole file's pixels
      {300, "refused", " error: jpeg error was hit\n"}};
  for (auto const& c : cases) {
    Bytes const cut(whole.begin(), whole.begin() + long(c.size));
    std::string const path = writeScratch("cut.jpg", cut);
    for (bool fromFile : {true, false}) {
      ImagePtr img;
      Output o = captured([&] { img = fromFile ? ImagePtr(imageLoadJPEG.load(path.c_str(), "jpg")) : fromMemory(cut, cut.size()); });
      EXPECT_EQ(describe(img.get()), c.result) << c.size << (fromFile ? " bytes from a file" : " bytes from memory");
      std::string const call = fromFile ? "ImageLoadJPEG::load(" + path + ")" : "ImageLoadJPEG::loadFromMemory()";
      EXPECT_EQ(o.out.substr(o.out.rfind('\n', o.out.size() - 2) + 1), call + c.line) << o.out;
    }
  }
}

// The extension chooses the format; rows come out top first whatever the
// stride; PNG reads back exactly, JPEG closely. Writing through a link
// replaces the file it leads to and keeps its permissions. Other names and
// pictures without pixels are refused.
TEST(ImageWriter, FormatByExtensionRowOrderAndRefusals) {
  ImageSystem::init();
  // A 4 x 3 picture whose pixel (x, y) is (40x + 10, 60y + 20, 90), in rows
  // 16 bytes apart, top first, and the same rows in the other order.
  Bytes topFirst(48, 0xEE), bottomFirst(48, 0xEE), expected;
  for (int i = 0; i < 36; ++i) {
    int x = i / 3 % 4, y = i / 12, k = i % 3;
    expected.push_back(static_cast<unsigned char>(k == 0 ? 40 * x + 10 : k == 1 ? 60 * y + 20 : 90));
    topFirst[size_t(16 * y + 3 * x + k)] = bottomFirst[size_t(16 * (2 - y) + 3 * x + k)] = expected.back();
  }
  std::string const dir = scratchDir() + "/", real = writeScratch("real.png", std::string("old"));
  ASSERT_EQ(chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(symlink("real.png", (dir + "link.png").c_str()), 0);
  for (auto [name, stride] : {std::pair{"link.png", 16}, {"b.PNG", -16}, {"c.jpg", 16}, {"d.JPEG", -16}, {"e.bmp", -16}}) {
    std::string error;
    ASSERT_TRUE(writeImageFile(dir + name, 4, 3, (stride < 0 ? bottomFirst : topFirst).data(), stride, error)) << error;
    ImagePtr img(ImageSystem::load((dir + name).c_str()));
    ASSERT_TRUE(img && img->width == 4 && img->bitsPerPixel == 24) << name;
    int worst = 0;
    for (size_t i = 0; i < expected.size(); ++i) worst = std::max(worst, std::abs(int(img->data[i]) - int(expected[i])));
    bool const lossy = std::strchr("jJ", std::string(name).substr(std::string(name).find('.') + 1)[0]) != nullptr;
    EXPECT_LE(worst, lossy ? 40 : 0) << name;  // rows are 60 apart
  }
  // The BMP's headers byte for byte, since other readers check fields that ours
  // skips: size 54 + 3 rows of 12 bytes, reserved 0, 72 dpi (2835 per metre).
  Bytes const bmp = readWhole(dir + "e.bmp");
  Bytes const head = {'B', 'M', 90, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, 1, 0, 24, 0,
                      0, 0, 0, 0, 36, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(bmp.size(), 90u);
  EXPECT_EQ(Bytes(bmp.begin(), bmp.begin() + 54), head);
  EXPECT_TRUE(std::filesystem::is_symlink(dir + "link.png"));
  EXPECT_TRUE(std::filesystem::status(real).permissions() == std::filesystem::perms(0640));

  struct { std::string name; int width, stride; std::string error; } const cases[] = {
      {"e.tga", 1, 3, ": cannot write pictures of type \".tga\" (use .png, .jpg, .jpeg or .bmp)"},
      {"noextension", 1, 3, ": the name has no picture type (use .png, .jpg, .jpeg or .bmp)"},
      {"dir.d/f", 1, 3, ": the name has no picture type (use .png, .jpg, .jpeg or .bmp)"},
      {"f.png", 0, 3, ": no picture to write (0x1)"},
      {"g.png", 2, -5, ": no picture to write (2x1)"},
      {"h.jpg", 70000, 210000, ": too large for JPEG (70000x1)"},
      {"i.bmp", 20000, 60000, ": too large for BMP (20000x1)"},
  };
  for (auto const& c : cases) {
    std::string error;
    EXPECT_FALSE(writeImageFile(dir + c.name, c.width, 1, topFirst.data(), c.stride, error));
    EXPECT_EQ(error, dir + c.name + c.error);
    EXPECT_FALSE(std::filesystem::exists(dir + c.name));
  }
}

// A write that fails over an existing file (here the process's file-size limit)
// leaves that file as it was and no temporary file behind; targets that are not
// regular files are refused before anything is written.
TEST(ImageWriter, FailuresLeaveTheTargetAsItWas) {
  std::string const png = writeScratch("keep.png", std::string("old")), jpeg = writeScratch("keep.jpg", std::string("old"));
  Bytes noise(256 * 256 * 3);  // noise that does not compress
  std::generate(noise.begin(), noise.end(), [r = std::mt19937()]() mutable { return static_cast<unsigned char>(r()); });
  rlimit saved, small;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  small = {4096, saved.rlim_max};
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error, jpegError;
  bool const written = writeImageFile(png, 256, 256, noise.data(), 768, error) |
                       writeImageFile(jpeg, 256, 256, noise.data(), 768, jpegError);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(error + "; " + jpegError, png + ": File too large; " + jpeg + ": File too large");
  for (std::string const& kept : {png, jpeg}) EXPECT_EQ(readWhole(kept), (Bytes{'o', 'l', 'd'})) << kept;

  std::string const toDevice = scratchDir() + "/device.png", dangling = scratchDir() + "/dangling.jpg";
  ASSERT_EQ(symlink("/dev/null", toDevice.c_str()), 0);
  ASSERT_EQ(symlink("nowhere.jpg", dangling.c_str()), 0);
  unsigned char const pixel[3] = {1, 2, 3};
  for (std::string const& error : {toDevice + ": is a character device, not a regular file",
                                   dangling + ": is a symbolic link to nowhere.jpg, which does not exist"}) {
    std::string got;
    EXPECT_FALSE(writeImageFile(error.substr(0, error.find(": ")), 1, 1, pixel, 3, got));
    EXPECT_EQ(got, error);
  }
  for (auto const& e : std::filesystem::directory_iterator(scratchDir()))
    EXPECT_NE(e.path().filename().string()[0], '.') << "a temporary file was left: " << e.path();
}
