// Tests of the BMP decoder on hand-built files: a short last row, data offset,
// every refusal message, truncation and hostile sizes.

#include "base/imageloadbmp.h"
#include "testutil.h"

namespace {

// Byte k (red, green, blue) of pixel (x, y), y from the top.
unsigned char colour(int x, int y, int k) {
  return static_cast<unsigned char>(k == 0 ? 10 * x + y : k == 1 ? 100 + x + 7 * y : 200 + x * y);
}

// A 24-bit file of w x |h| colour() pixels (h < 0: rows stored top first)
// with a 40-byte info header, the last row's filler only when lastFiller.
Bytes makeBmp(int32_t w, int32_t h, bool lastFiller = true) {
  Bytes b(54, 0xEE);
  b[0] = 'B';
  b[1] = 'M';
  for (auto [at, v] : {std::pair{10u, 54u}, {14u, 40u}, {18u, uint32_t(w)}, {22u, uint32_t(h)}, {26u, 1u | 24u << 16}, {30u, 0u}})
    put32(b, at, v);
  int rows = h < 0 ? -h : h, filler = (4 - (w * 3) % 4) % 4;
  for (int r = 0; r < rows; ++r) {
    for (int x = 0; x < w; ++x)
      for (int k = 2; k >= 0; --k) b.push_back(colour(x, h < 0 ? r : rows - 1 - r, k));
    if (r + 1 < rows || lastFiller) b.insert(b.end(), size_t(filler), 0xAB);
  }
  return b;
}

// Whether the bytes decode to makeBmp()'s w x h picture.
bool decodes(Bytes const& b, int w, int h) {
  ImagePtr img(ImageLoadBMP::decode(b.data(), b.size()));
  Bytes expect;
  for (int i = 0; i < w * h * 3; ++i) expect.push_back(colour(i / 3 % w, i / 3 / w, i % 3));
  return img && img->width == w && img->height == h && img->bitsPerPixel == 24 && pixels(*img) == expect;
}

std::string why(Bytes const& b) { return refusal(ImageLoadBMP::decode, b); }

}  // namespace

// The last row may lack its filler, for every width remainder. Row order,
// complete filler, palettes before the pixels and longer info headers are in
// the corpus (bmpsuite, bmptestsuite and image-rs rows of corpus.tsv).
TEST(Bmp, LastRowMayLackItsFiller) {
  for (int w = 1; w <= 4; ++w) EXPECT_TRUE(decodes(makeBmp(w, 3, false), w, 3)) << w;
}

// Fields of a 2 x 2 file (70 bytes) changed one by one (another depth: the
// corpus's 8bpp-1x1.bmp); sizes whose buffer would pass the decoders' limits
// are refused before anything is allocated.
TEST(Bmp, Refusals) {
  EXPECT_EQ(why(readWhole(corpus("pngsuite/png/basn2c08.png"))), "got a bad sig:20617");
  // The edits are of 32-bit fields; field 26 holds planes and depth.
  struct { std::vector<std::pair<size_t, uint32_t>> edits; char const* why; } cases[] = {
      {{{26, 2 | 24 << 16}}, "got bad # planes:2"},
      {{{30, 4}}, "got bad compression: 4"},
      {{{14, 12}}, "got bad info header size:12"},
      {{{14, 57}}, "got bad info header size:57"},  // longer than the file
      {{{18, 0}}, "got bad width:0"},
      {{{22, 0}}, "got bad height:0"},
      {{{22, 0x80000000u}}, "got bad height:-2147483648"},
      {{{10, 53}}, "got bad pixel data offset:53"},  // inside the headers
      {{{10, 71}}, "got bad pixel data offset:71"},  // past the end
      {{{18, 32769}}, "image is too large: 32769x2"},
      {{{18, 16384}, {22, uint32_t(-16385)}}, "image is too large: 16384x16385"},  // 768 MiB
      {{{18, 1000}}, "file is too short for its pixel data: needs 6000 bytes after offset 54, has 16"},
  };
  for (auto const& c : cases) {
    Bytes b = makeBmp(2, 2);
    for (auto [at, v] : c.edits) put32(b, at, v);
    EXPECT_EQ(why(b), c.why);
  }
}

TEST(Bmp, EveryTruncationFailsCleanly) {
  Bytes whole = makeBmp(4, -3);  // no filler: every byte counts
  EXPECT_EQ(why(whole), "");
  for (size_t len = 0; len < whole.size(); ++len) {
    std::string got = why(Bytes(whole.begin(), whole.begin() + long(len)));
    if (len < 54) EXPECT_EQ(got, "file is too short for a bitmap header: " + std::to_string(len) + " bytes");
    else EXPECT_EQ(got.rfind("file is too short for its pixel data", 0), 0u) << len << ": " << got;
  }
}
