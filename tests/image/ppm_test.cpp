// Tests of the PPM decoder: P3 sample tokens, short files, maximum values,
// header forms and sizes; binary P6 and P5 rasters and their bounds.
#include "base/imageloadppm.h"
#include "testutil.h"

namespace {

ImagePtr decode(std::string const& text) { return ImagePtr(ImageLoadPPM::decode(text.data(), text.size())); }

}  // namespace

// Samples in file order over any lines. With maximum value 255: 256 keeps its low byte, a negative value
// wraps, huge numbers keep the low byte of their value; a tab joins two numbers into one token of which
// the first counts; words and lone line ends are not samples, "0" and "007" are; CR is harmless; extra
// samples are ignored. Missing ones are zero, and one line says how many. Any other maximum value m scales
// a sample s to round(s * 255 / m), above m counting as m and negative as 0. The header may have a comment
// line (marked or not) or none, and its numbers may be split over lines and follow blanks.
// Binary rasters: P6 gives RGB, P5 grey (and P2 is the text form of grey); one byte a sample up to maximum
// value 255 (plain files of both: the corpus's libtiff companions), else two, most significant first;
// scaled like the text form. One blank or line end ends the header, and the raster may hold any byte (here
// a line end and a '#') right after it. Extra bytes are ignored.
TEST(Ppm, TextAndBinaryFormsTokenRulesSampleCountsAndScaling) {
  using namespace std::string_literals;
  struct { std::string text; int width; Bytes expect; char const* warning; } cases[] = {
      {"P3\n# made by hand\n2 2\n255\n1 2 3 4 5 6\n7\n8 9\n10 11 12\n", 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, nullptr},
      {"P3\ncreated by a tool\n2 1\n255\n1 2 3 4 5 6", 2, {1, 2, 3, 4, 5, 6}, nullptr},
      {"P3\n 2\t1\n255\n1 2 3 4 5 6", 2, {1, 2, 3, 4, 5, 6}, nullptr},  // blanks first: no comment
      {"P3 1\n2\n# late\n255\n1 2 3 4 5 6", 1, {1, 2, 3, 4, 5, 6}, nullptr},
      {"P3\n#\n3 1\n255\n256 -1 \n 5\t6 word 0 \r\n007 9\r\n", 3, {0, 255, 5, 0, 7, 9, 0, 0, 0}, "3 of 9"},
      {"P3\n#\n1 1\n255\n99999999999999999999 4294967297 300\n", 1, {255, 1, 44}, nullptr},
      {"P3\n#\n2 1\n255\n", 2, Bytes(6, 0), "6 of 6"},
      {"P3\n#\n1 1\n255\n1 2 3 4 5 6 garbage", 1, {1, 2, 3}, nullptr},
      {"P3\n#\n2 1\n65535\n32768 65535 0 1 70000 -5\n", 2, {128, 255, 0, 0, 255, 0}, nullptr},
      {"P3\n#\n2 1\n15\n7 8 15 1 14 3\n", 2, {119, 136, 255, 17, 238, 51}, nullptr},
      {"P3\n#\n1 1\n1000\n500 99999999999999999999", 1, {128, 255, 0}, "1 of 3"},
      {"P6 # comment\n1 1 255\t\n#\x00"s, 1, {10, 35, 0}, nullptr},
      {"P6\n1 1\n15\n\x07\x08\x10"s, 1, {119, 136, 255}, nullptr},
      {"P6\n1 2\n65535\n\x80\x00\xff\xff\x00\x01\x00\x00\x01\x01\xff\xff" "extra"s, 1, {128, 255, 0, 0, 1, 255}, nullptr},
      {"P6\n1 1\n1000\n\x01\xf4\xff\xff\x00\x00"s, 1, {128, 255, 0}, nullptr},
      {"P5\n2 1\n4095\n\x08\x00\x0f\xff"s, 2, {128, 255}, nullptr},  // 8 bits a pixel: two bytes
      {"P2\n3 1\n15\n7 15 1\n", 3, {119, 255, 17}, nullptr},
  };
  for (auto const& c : cases) {
    ImagePtr img;
    std::string const out = captured([&] { img = decode(c.text); }).out;
    ASSERT_TRUE(img) << c.text;
    EXPECT_EQ(img->width, c.width) << c.text;
    EXPECT_EQ(img->greySource, c.text[1] == '2' || c.text[1] == '5') << c.text;
    EXPECT_EQ(pixels(*img), c.expect) << c.text;
    std::string const warned = "ImageLoadPPM::decode() warning: " + std::string(c.warning ? c.warning : "") + " samples missing";
    EXPECT_EQ(out, c.warning ? warned + ", set to zero\n" : "") << c.text;
  }
}

// Other forms and bad sizes are refused (bad header numbers, with their reasons:
// Grey16.BrokenMapsSayWhatIsWrong, through the same header reader). So is a
// binary raster shorter than its header says, or a header that does not end in
// one blank; a huge size in a short file is refused before anything is
// allocated (the sanitizer build would report the allocation).
TEST(Ppm, RefusesOtherFormsBadSizesAndShortRasters) {
  using namespace std::string_literals;
  for (std::string const& text :
       {""s, "P"s, "P1\n2 1\n0 1\n"s, "P3x\n1 1\n255\n0 0 0"s, "P3\n#\n0 4\n255\n"s, "P3\n#\n4 0\n255\n"s,
        "P3\n#\n4 4\n"s, "P3\n#\n4x 4\n255\n"s, "P3\n#\n99999999999 1\n255\n"s, "P3\n#\n32768 32768\n255\n"s,
        "P3\n#\n100000 100000\n255\n1 2 3\n"s, "P6\n2 1\n255\n\x01\x02\x03\x04\x05"s, "P6\n1 1\n256\n\x01\x02\x03\x04\x05"s,
        "P5\n2 2\n255\n\x01\x02\x03"s, "P6\n1 1\n255"s, "P6\n1 1\n255#\x01\x02\x03"s, "P6\n8192 8192\n65535\n\x01\x02"s,
        "P6\n99999 99999\n255\n\x01"s, "P5\n0 1\n255\n\x01"s})
    EXPECT_FALSE(decode(text)) << text;
  // The largest allowed side still decodes when the total is within bounds.
  ImagePtr wide;
  EXPECT_EQ(captured([&] { wide = decode("P3\n#\n32768 1\n255\n9\n"); }).out,
            "ImageLoadPPM::decode() warning: 98303 of 98304 samples missing, set to zero\n");
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->data[0], 9);
}

TEST(Ppm, FilesReadInPiecesDecodeLikeWholeTexts) {
  // More than a megabyte of samples in tokens of every length, so that the
  // pieces a file is read in end inside tokens of every kind.
  std::string body;
  Bytes expect;
  unsigned seed = 7;
  while (body.size() < (1u << 20) + 12345) {
    seed = seed * 1103515245u + 12345u;
    unsigned v = (seed >> 8) % 100000;
    body += std::to_string(v);
    body += (seed >> 4) % 9 == 0 ? "\n" : (seed >> 4) % 9 == 1 ? "  " : " ";
    expect.push_back(static_cast<unsigned char>(v));
  }
  int rows = int(expect.size() / 3000) + 1;  // a few more pixels than given
  expect.resize(size_t(rows) * 3000, 0);
  std::string raster;  // binary, read whole however long
  for (int i = 0; i < 512 * 512 * 3; ++i) raster += static_cast<char>(i * 7);
  // Also a header longer than a piece (comments), and tokens longer than half
  // a piece: 258 keeps 2; 10^300000 - 1 is 255 modulo 256.
  struct { std::string text; Bytes expect; } cases[] = {
      {"P3\n# big\n1000 " + std::to_string(rows) + "\n255\n" + body, expect},
      {"P6\n512 512\n255\n" + raster, Bytes(raster.begin(), raster.end())},
      {"P3\n#" + std::string(300000, 'c') + "\n1 1\n255\n1 2 3\n", {1, 2, 3}},
      {"P3\n#\n1 1\n255\n" + std::string(200000, '0') + "258 " + std::string(300000, '9') + " 4\n", {2, 255, 4}},
      {"P3\n#\n1 1\n1000\n500 1000 0\n", {128, 255, 0}},
  };
  for (auto const& c : cases) {
    std::string const path = writeScratch("big.ppm", c.text);
    ImagePtr fromFile, fromText;
    std::string const out = captured([&] {
      fromFile.reset(imageLoadPPM.load(path.c_str(), "ppm"));
      fromText = decode(c.text);
    }).out;
    ASSERT_TRUE(fromFile && fromText) << c.text.size();
    EXPECT_TRUE(pixels(*fromFile) == c.expect) << c.text.size();
    EXPECT_TRUE(pixels(*fromText) == c.expect) << c.text.size();
    // The first file is short of samples: the warning names it.
    bool const short_ = &c == &cases[0];
    EXPECT_EQ(out.find("ImageLoadPPM::load(" + path + ") warning: ") == 0, short_) << out;
  }
}
