// Normal-map arithmetic over pixel buffers: alpha, slopes, one-texel maps, degenerate scales, the fast path against the
// direct loop (ramps and uniform maps are checked through the GL in bumpmap_gl_test).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "NormalMap.h"
#include "NormalMapRows.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Grey texels (R = G = B) from a list of levels.
Bytes grey(std::vector<int> const& levels) {
  Bytes rgb;
  for (int v : levels)
    for (int c = 0; c < 3; ++c) rgb.push_back(static_cast<unsigned char>(v));
  return rgb;
}

// rgb's normal map by the fast path or the direct loop; unwritten bytes show.
Bytes fast(Bytes const& rgb, int w, int h, float scale, bool direct = false) {
  Bytes out(static_cast<size_t>(w) * static_cast<size_t>(h) * 4, direct ? 0xCD : 0xAB);
  (direct ? NormalMap::computeNormalMapReference : NormalMap::computeNormalMap)(rgb.data(), w, h, scale, out.data());
  return out;
}

Bytes reference(Bytes const& rgb, int w, int h, float scale) { return fast(rgb, w, h, scale, true); }

Bytes texel(Bytes const& rgba, int i) { return Bytes(rgba.begin() + 4 * i, rgba.begin() + 4 * i + 4); }

}  // namespace

TEST(NormalMapArithmetic, AlphaSlopesAndScalesByHand) {
  // Alpha: (0.3 * 10 + 0.6 * 20) + 0.1 * 30 = 18; (0.3 * 200 + 0.6 * 100) + 0.1 * 51 = 125.1.
  Bytes const rgb = {10, 20, 30, 200, 100, 51};
  Bytes const out = fast(rgb, 2, 1, 100.0f);
  EXPECT_TRUE(out[3] == 18 && out[7] == 125) << int(out[3]) << " " << int(out[7]);
  // A steeper scale tilts further; a negative one flips blue.
  Bytes const ramp = grey({0, 10, 20, 30, 40});
  Bytes const gentle = fast(ramp, 5, 1, 2.0f), steep = fast(ramp, 5, 1, 200.0f);
  EXPECT_LT(steep[4 * 2], gentle[4 * 2]);          // red further below 127
  EXPECT_LT(steep[4 * 2 + 2], gentle[4 * 2 + 2]);  // blue further below 255
  Bytes const flipped = fast(grey({50, 50, 50}), 3, 1, -1.0f);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(texel(flipped, x), (Bytes{127, 127, 0, 50}));
  // A single column has left = right = itself: red stays 127; a row, green.
  Bytes const column = fast(grey({0, 200, 40}), 1, 3, 100.0f), row = fast(grey({0, 200, 40}), 3, 1, 100.0f);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(column[4 * i] == 127 && row[4 * i + 1] == 127) << i;
}

TEST(NormalMapArithmetic, ScalesWithoutUsableNormalsGiveAFlatMapNotGarbage) {
  // Scale 0, scales whose (2 / scale)^2 overflows, NaN: flat, alpha intact.
  Bytes const rgb = grey({0, 90, 180, 255, 30, 60});
  for (float scale : {0.0f, -0.0f, 1e-30f, std::numeric_limits<float>::quiet_NaN()}) {
    Bytes const out = fast(rgb, 3, 2, scale);
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(texel(out, i), (Bytes{127, 127, 255, rgb[3 * static_cast<size_t>(i)]})) << scale;
  }
}

TEST(NormalMapArithmetic, FastPathMatchesTheDirectLoopByteForByte) {
  std::mt19937 rng(20240607);
  // Noise and plateaus at odd sizes run the vector body, scalar tails, flat
  // lanes and the exact fallback; 700 x 400 is split over cores.
  struct { int w, h; } const sizes[] = {{1, 1}, {2, 3}, {7, 5}, {8, 2}, {9, 9}, {10, 1}, {17, 4}, {31, 3}, {64, 64}, {700, 400}};
  float const scales[] = {100.0f, 1.0f, 0.37f, -5.0f, 1e-16f, 1e20f, 1e30f, 3e37f};
  for (auto const& s : sizes) {
    size_t const n = static_cast<size_t>(s.w) * static_cast<size_t>(s.h);
    Bytes noise(n * 3), smooth(n * 3);
    for (auto& c : noise) c = static_cast<unsigned char>(rng());
    for (size_t i = 0; i < n; ++i) {
      int const x = static_cast<int>(i % static_cast<size_t>(s.w)), y = static_cast<int>(i / static_cast<size_t>(s.w));
      int const level = ((x / 3 + y / 4) % 5) * 40 + ((x * 7 + y * 3) % 11 == 0 ? 3 : 0);
      int const colour[3] = {level, level / 2, 255 - level};
      for (size_t c = 0; c < 3; ++c) smooth[3 * i + c] = static_cast<unsigned char>(colour[c]);
    }
    for (float scale : scales)
      for (auto [name, rgb] : {std::pair{"noise", &noise}, {"plateaus", &smooth}})
        EXPECT_EQ(fast(*rgb, s.w, s.h, scale), reference(*rgb, s.w, s.h, scale))
            << s.w << " x " << s.h << " " << name << ", scale " << scale;
  }
}

// Float heights (a 16-bit map's path) of grey levels give the 8-bit texels,
// wrapping at every border of an odd-sized map.
TEST(NormalMapArithmetic, FloatHeightsOfGreyLevelsGiveTheEightBitNormals) {
  int const w = 7, h = 5;
  std::vector<int> levels;
  std::vector<float> heights;
  for (int i = 0; i < w * h; ++i) levels.push_back((i * 37 + (i % w == w - 1 ? 120 : 0)) % 256);
  for (int v : levels) heights.push_back(static_cast<float>(v) / 255.0f);
  Bytes out(static_cast<size_t>(w * h) * 4, 0xAB);
  NormalMap::computeNormalMapFromHeights(heights.data(), w, h, 100.0f, out.data());
  Bytes const eight = fast(grey(levels), w, h, 100.0f);
  for (int i = 0; i < w * h; ++i) EXPECT_EQ(texel(out, i), texel(eight, i)) << i;
}

// Each row kernel alone against the scalar code: narrower ones are checked too.
TEST(NormalMapRowKernels, EveryKernelOnThisProcessorMatchesTheScalarArithmetic) {
  using namespace NormalMapRows;
  std::mt19937 rng(99);
  size_t const width = 203;  // whole groups of 16 and 8, and a tail
  Bytes rgb(width * 3);
  for (auto& c : rgb) c = static_cast<unsigned char>(rng());
  // Every tenth texel copies the one two to its left: the texel between has
  // dx = 0, and with equal rows above and below (dy = 0) is flat.
  for (size_t x = 10; x < width; x += 10) std::copy_n(&rgb[(x - 2) * 3], 3, &rgb[x * 3]);
  std::vector<float> wantH(width);
  std::vector<uint32_t> wantA(width);
  for (size_t x = 0; x < width; ++x) {
    float const lum = luminance(rgb.data() + 3 * x);
    wantH[x] = lum / 255.0f;
    wantA[x] = static_cast<uint32_t>(static_cast<int>(lum)) << 24;
  }
  using Heights = int (*)(unsigned char const*, int, int, float*, uint32_t*);
  std::vector<std::pair<char const*, Heights>> heightKernels;
  if (haveAvx2()) heightKernels.push_back({"AVX2", heightsAvx2});
  if (haveAvx512()) heightKernels.push_back({"AVX-512", heightsAvx512});
  for (auto const& k : heightKernels) {
    std::vector<float> h(width, -1.0f);
    std::vector<uint32_t> a(width, 1u);
    size_t const done = static_cast<size_t>(k.second(rgb.data(), 0, int(width), h.data(), a.data()));
    ASSERT_GT(done, width - 16) << k.first;
    for (size_t x = 0; x < done; ++x)
      ASSERT_TRUE(h[x] == wantH[x] && a[x] == wantA[x]) << k.first << " column " << x;
  }

  // Three padded rows: the row itself and two shifted copies above and below.
  auto padded = [&](size_t shift) {
    std::vector<float> p(width + 2);
    for (size_t x = 0; x < width; ++x) p[x + 1] = wantH[(x + shift) % width];
    p[0] = p[width];
    p[width + 1] = p[1];
    return p;
  };
  std::vector<float> const up = padded(5), cur = padded(0), down = padded(5), down2 = padded(17);  // up = down: dy = 0 too
  using Normals = int (*)(float const*, float const*, float const*, uint32_t const*, int, int, float, unsigned char*);
  std::vector<std::pair<char const*, Normals>> normalKernels;
  if (haveAvx2()) normalKernels.insert(normalKernels.end(), {{"AVX2", normalsAvx2}, {"AVX2 exact", normalsAvx2Exact}});
  if (haveAvx512()) normalKernels.push_back({"AVX-512", normalsAvx512});
  for (auto const& k : normalKernels)
    for (float scale : {100.0f, 3.0f, -0.5f})
      for (std::vector<float> const* below : {&down, &down2}) {
        float const z = 2.0f / scale;
        Bytes out(width * 4, 0xEE);
        size_t const done = static_cast<size_t>(k.second(up.data(), cur.data(), below->data(), wantA.data(), 0, int(width), z, out.data()));
        ASSERT_GT(done, width - 16) << k.first;
        for (size_t x = 0; x < done; ++x) {
          uint32_t const want = packNormal(cur[x] - cur[x + 2], up[x + 1] - (*below)[x + 1], z) | wantA[x];
          uint32_t got;  // the texel's bytes R, G, B, A read as the packed word (little-endian)
          std::memcpy(&got, &out[4 * x], 4);
          ASSERT_EQ(got, want) << k.first << " column " << x << " scale " << scale;
        }
      }
}
