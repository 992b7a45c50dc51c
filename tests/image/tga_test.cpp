// Tests of the TGA decoder on hand-built files: depths, row and column order,
// colour maps, refusals, truncation and files larger than the read window.

#include "base/imageloadtga.h"
#include "testutil.h"

namespace {

struct TgaFields { int idLength, mapType, imageType, mapFirst, mapLength, mapBits, width, height, depth, descriptor; };
TgaFields const kRgb{0, 0, 2, 0, 0, 0, 3, 2, 24, 0};

// Byte k of the pixel at file row r, column x, as stored.
unsigned char stored(int r, int x, int k) { return static_cast<unsigned char>(16 * r + 4 * x + k + 1); }

// The 18 header bytes, the image ID, `map`, then (when withPixels) pixels of
// depth / 8 bytes each from stored().
Bytes makeTga(TgaFields const& s, Bytes const& map = {}, bool withPixels = true) {
  Bytes b(18, 0);
  int const bytes[] = {s.idLength, s.mapType, s.imageType, 0, 0, 0, 0, s.mapBits};
  for (int i = 0; i < 8; ++i) b[size_t(i)] = static_cast<unsigned char>(bytes[i]);
  for (auto [at, v] : {std::pair{3, s.mapFirst}, {5, s.mapLength}, {12, s.width}, {14, s.height}, {16, s.depth}})
    put16(b, size_t(at), uint32_t(v));
  b[17] = static_cast<unsigned char>(s.descriptor);
  b.insert(b.end(), size_t(s.idLength), 'I');
  b.insert(b.end(), map.begin(), map.end());
  for (int r = 0; withPixels && r < s.height; ++r)
    for (int x = 0; x < s.width; ++x)
      for (int k = 0; k < s.depth / 8; ++k) b.push_back(stored(r, x, k));
  return b;
}

ImagePtr decode(Bytes const& b) { return ImagePtr(ImageLoadTGA::decode(b.data(), b.size())); }
std::string why(Bytes const& b) { return refusal(ImageLoadTGA::decode, b); }

}  // namespace

// Blue-green-red becomes red-green-blue, alpha stays fourth; bottom-first
// files (descriptor bit 5 clear) are turned over and right-to-left ones
// (bit 4) mirrored; an image ID and a colour map they do not use are stepped over.
TEST(Tga, TrueColourAndGreyRowAndColumnOrder) {
  for (int depth : {8, 24, 32})
    for (int order : {0, 0x10, 0x20, 0x30}) {
      ImagePtr img = decode(makeTga({depth, 1, depth == 8 ? 3 : 2, 0, 4, 24, 3, 2, depth, order}, Bytes(12, 0xCC)));
      ASSERT_TRUE(img);
      EXPECT_EQ((std::vector<int>{img->width, img->height, img->bitsPerPixel}), (std::vector<int>{3, 2, depth}));
      Bytes expect;
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
          for (int k : {2, 1, 0, 3})
            if (depth == 8 ? k == 0 : k < depth / 8) expect.push_back(stored(order & 0x20 ? y : 1 - y, order & 0x10 ? 2 - x : x, k));
      EXPECT_EQ(pixels(*img), expect) << depth << " bits, descriptor " << order;
    }
}

// Entries are blue-green-red(-alpha) or 5-bit primaries expanded to 8;
// indexes count from the first entry; an index outside the stored entries is
// refused, not read. 24-bit entries are in the corpus (cmap_offset.tga, and
// pillow's 200x32_p_*_raw.tga from the first entry).
TEST(Tga, ColourMaps) {
  struct { int first, length, bits; Bytes rest /* map entries, then the 2 x 1 indexes */, expect; } cases[] = {
      {5, 2, 32, {1, 2, 3, 4, 5, 6, 7, 8, 6, 5}, {7, 6, 5, 8, 3, 2, 1, 4}},
      {0, 2, 16, {0x01, 0x7e, 0x1f, 0x00, 1, 0}, {0, 0, 255, 255, 132, 8}},  // 31, 16, 1
      {0, 1, 15, {0xff, 0x03, 0, 0}, {0, 255, 255, 0, 255, 255}},            // 0, 31, 31
  };
  for (auto const& c : cases) {
    ImagePtr img = decode(makeTga({0, 1, 1, c.first, c.length, c.bits, 2, 1, 8, 0}, c.rest, false));
    ASSERT_TRUE(img);
    EXPECT_EQ(pixels(*img), c.expect) << c.bits << "-bit entries";  // 2 pixels: 6 bytes in RGB, 8 in RGBA
  }
  for (unsigned char index : {4, 7})  // entries 5 and 6 are stored
    EXPECT_EQ(why(makeTga({0, 1, 1, 5, 2, 32, 2, 1, 8, 0}, {1, 2, 3, 4, 5, 6, 7, 8, index, 5}, false)),
              "colour map index " + std::to_string(index) + " is outside the colour map");
}

TEST(Tga, Refusals) {
  struct { TgaFields s; char const* why; } cases[] = {  // RLE: the corpus's ctc24.tga
      {{0, 0, 2, 0, 0, 0, 3, 2, 16, 0}, "This TGA is not of either 8, 24, or 32 bits per pixel"},
      {{0, 0, 2, 0, 0, 0, 3, 2, 8, 0}, "8-bit TGA that is neither grey nor colour-mapped"},
      {{0, 0, 1, 0, 0, 0, 3, 2, 8, 0}, "colormap hasnt been found"},
      {{0, 1, 1, 0, 1, 24, 3, 2, 24, 0}, "colour-mapped TGA with 24-bit indexes"},
      {{0, 1, 1, 0, 1, 12, 3, 2, 8, 0}, "got bad colour map entry size:12"},
      {{0, 0, 3, 0, 0, 0, 3, 2, 24, 0}, "grey TGA of 24 bits per pixel"},
      {{0, 0, 0, 0, 0, 0, 3, 2, 24, 0}, "got bad image type:0"},
      {{0, 2, 2, 0, 0, 0, 3, 2, 24, 0}, "got bad colour map type:2"},
      {{0, 0, 2, 0, 0, 0, 0, 2, 24, 0}, "got bad image size: 0x2"},
      {{0, 0, 2, 0, 0, 0, 3, 0, 24, 0}, "got bad image size: 3x0"},
  };
  for (auto const& c : cases) EXPECT_EQ(why(makeTga(c.s, Bytes(8, 0))), c.why);
}

// Each part of the file cut short has its own message; the 16-bit size fields
// cannot ask for more than the file must then hold.
TEST(Tga, EveryTruncationFailsCleanly) {
  Bytes whole = makeTga({3, 1, 1, 0, 2, 24, 3, 2, 8, 0}, {1, 2, 3, 4, 5, 6, 0, 1, 0, 1, 0, 1}, false);
  ASSERT_EQ(why(whole), "");
  for (size_t len = 0; len < whole.size(); ++len)
    EXPECT_EQ(why(Bytes(whole.begin(), whole.begin() + long(len))),
              len < 18 ? "couldnt read header" : len < 21 ? "error trying to seek past image ID info"
                                             : len < 27 ? "couldnt read the TGA's palette" : "error in reading this TGA")
        << len;
  Bytes colour = makeTga(kRgb);
  colour.pop_back();
  EXPECT_EQ(why(colour), "couldnt read texture row");
  EXPECT_EQ(why(makeTga({0, 0, 2, 0, 0, 0, 65535, 65535, 32, 0}, {}, false)), "couldnt read texture row");
}

// 300 rows of 2400 bytes after an ID and a colour map to step over.
TEST(Tga, FilesLargerThanTheReadWindow) {
  Bytes b = makeTga({9, 1, 2, 0, 1000, 24, 600, 300, 32, 0}, Bytes(3000, 0x5A));
  ImagePtr fromMemory = decode(b), fromFile(imageLoadTGA.load(writeScratch("big.tga", b).c_str(), "tga"));
  ASSERT_TRUE(fromMemory && fromFile);
  EXPECT_TRUE(pixels(*fromFile) == pixels(*fromMemory));
  EXPECT_EQ(fromFile->data[0], stored(299, 0, 2));
}
