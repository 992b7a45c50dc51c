// Normal-map arithmetic: a tangent-space normal map with heights in alpha,
// computed on the CPU from height pixels (gfx/BumpMap uploads it).
//
// Per texel: h = ((0.3 R + 0.6 G) + 0.1 B) / 255 in single precision; the
// normal is (h(left) - h(right), h(up) - h(down), 2 / scale) normalised the way
// _vec<3, float>::normalize does it (squares summed in float, root and division
// in double, rounded back to float), then packed as trunc(((n + 1) * 0.5) * 255);
// alpha is the truncated luminance. computeNormalMapReference is that, texel by
// texel. computeNormalMap gives the same bytes faster: each height is computed
// once per row, rows run through vector kernels (NormalMapRows.h) that estimate
// and check every byte against the reference arithmetic, and large maps are
// split into bands of rows over the processor's cores.
// Every product and sum is rounded on its own, as the definition says: no
// contraction into fused multiply-add, whatever the target offers.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("fp-contract=off")
#endif

#include "NormalMap.h"

#include "NormalMapRows.h"
#include "math/vec.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <thread>
#include <vector>

using namespace NormalMapRows;

namespace {

void storeTexel(unsigned char* out, uint32_t texel) {
  out[0] = static_cast<unsigned char>(texel);
  out[1] = static_cast<unsigned char>(texel >> 8);
  out[2] = static_cast<unsigned char>(texel >> 16);
  out[3] = static_cast<unsigned char>(texel >> 24);
}

// Heights and alpha words of columns from..width-1 of one row.
void heightsScalar(unsigned char const* src, int from, int width, float* h, uint32_t* alpha) {
  for (int x = from; x < width; ++x) {
    float const lum = luminance(src + 3 * static_cast<size_t>(x));
    h[x] = lum / 255.0f;
    alpha[x] = static_cast<uint32_t>(static_cast<int>(lum)) << 24;
  }
}

// Packed texels of columns from..width-1 of one row, from padded height rows.
void normalsScalar(float const* up, float const* cur, float const* down, uint32_t const* alpha, int from,
                   int width, float zTerm, unsigned char* out) {
  for (int x = from; x < width; ++x) {
    float const dx = cur[x] - cur[x + 2];
    float const dy = up[x + 1] - down[x + 1];
    storeTexel(out + 4 * static_cast<size_t>(x), packNormal(dx, dy, zTerm) | alpha[x]);
  }
}

// Rows y0..y1-1 of the output. Heights are computed once per row into a ring of
// three padded rows (the one above, the current one and the one below).
void computeBand(unsigned char const* rgb, int width, int height, float zTerm, int y0, int y1,
                 unsigned char* rgba) {
  size_t const w = static_cast<size_t>(width);
  bool const flat = flatScale(zTerm);
  bool const estimates = estimatesSafe(zTerm);
  bool const avx512 = haveAvx512(), avx2 = haveAvx2();
  std::vector<float> heights(3 * (w + 2));
  std::vector<uint32_t> alphas(3 * w);
  float* h[3] = {heights.data(), heights.data() + (w + 2), heights.data() + 2 * (w + 2)};
  uint32_t* a[3] = {alphas.data(), alphas.data() + w, alphas.data() + 2 * w};

  auto loadRow = [&](int row, int slot) {
    unsigned char const* src = rgb + static_cast<size_t>(row) * w * 3;
    float* padded = h[slot];
    int x = 0;
    if (avx512) x = heightsAvx512(src, x, width, padded + 1, a[slot]);
    if (avx2) x = heightsAvx2(src, x, width, padded + 1, a[slot]);
    heightsScalar(src, x, width, padded + 1, a[slot]);
    padded[0] = padded[width];      // left of column 0 is column width-1
    padded[width + 1] = padded[1];  // right of column width-1 is column 0
  };

  // Slots hold the rows above, at and below y; each step recycles the oldest.
  int up = 0, cur = 1, down = 2;
  loadRow(y0 == 0 ? height - 1 : y0 - 1, up);
  loadRow(y0, cur);
  for (int y = y0; y < y1; ++y) {
    loadRow(y + 1 == height ? 0 : y + 1, down);
    unsigned char* out = rgba + static_cast<size_t>(y) * w * 4;
    if (flat) {
      for (int x = 0; x < width; ++x) storeTexel(out + 4 * static_cast<size_t>(x), flatTexel | a[cur][x]);
    } else {
      int x = 0;
      if (estimates) {
        if (avx512) x = normalsAvx512(h[up], h[cur], h[down], a[cur], x, width, zTerm, out);
        if (avx2) x = normalsAvx2(h[up], h[cur], h[down], a[cur], x, width, zTerm, out);
      } else if (avx2) {
        x = normalsAvx2Exact(h[up], h[cur], h[down], a[cur], x, width, zTerm, out);
      }
      normalsScalar(h[up], h[cur], h[down], a[cur], x, width, zTerm, out);
    }
    int const oldUp = up;
    up = cur;
    cur = down;
    down = oldUp;
  }
}

}  // namespace

namespace NormalMap {

void computeNormalMapFromHeights(float const* heights, int width, int height, float scale,
                                 unsigned char* rgba) {
  if (width <= 0 || height <= 0) return;
  float const zTerm = 2.0f / scale;
  bool const flat = flatScale(zTerm);
  size_t const w = static_cast<size_t>(width);
  auto at = [&](int x, int y) { return heights[static_cast<size_t>(y) * w + static_cast<size_t>(x)]; };
  for (int y = 0; y < height; ++y) {
    int const prevRow = y == 0 ? height - 1 : y - 1;
    int const nextRow = y + 1 == height ? 0 : y + 1;
    for (int x = 0; x < width; ++x) {
      int const left = x == 0 ? width - 1 : x - 1;
      int const right = x + 1 == width ? 0 : x + 1;
      uint32_t const rgb =
          flat ? flatTexel : packNormal(at(left, y) - at(right, y), at(x, prevRow) - at(x, nextRow), zTerm);
      float const h = at(x, y);
      uint32_t const a = static_cast<uint32_t>(h >= 1.0f ? 255 : h > 0.0f ? static_cast<int>(h * 255.0f) : 0);
      storeTexel(rgba + 4 * (static_cast<size_t>(y) * w + static_cast<size_t>(x)), rgb | (a << 24));
    }
  }
}

void computeNormalMapReference(unsigned char const* rgb, int width, int height, float scale,
                               unsigned char* rgba) {
  if (width <= 0 || height <= 0) return;
  float const zTerm = 2.0f / scale;
  bool const flat = flatScale(zTerm);
  size_t const w = static_cast<size_t>(width);
  auto heightAt = [&](int x, int y) {
    return luminance(rgb + (static_cast<size_t>(y) * w + static_cast<size_t>(x)) * 3) / 255.0f;
  };
  unsigned char* out = rgba;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int const left = x == 0 ? width - 1 : x - 1;
      int const right = x + 1 == width ? 0 : x + 1;
      int const prevRow = y == 0 ? height - 1 : y - 1;
      int const nextRow = y + 1 == height ? 0 : y + 1;
      _vec<3, float> n(0.0f, 0.0f, 1.0f);
      if (!flat) {
        _vec<3, float> d(heightAt(left, y) - heightAt(right, y),
                         heightAt(x, prevRow) - heightAt(x, nextRow), zTerm);
        if (d.len() > 0.0) n = d.normalize();
      }
      n = (n + _vec<3, float>(1.0f, 1.0f, 1.0f)) * 0.5f;
      out[0] = static_cast<unsigned char>(static_cast<int>(n.x * 255.0f));
      out[1] = static_cast<unsigned char>(static_cast<int>(n.y * 255.0f));
      out[2] = static_cast<unsigned char>(static_cast<int>(n.z * 255.0f));
      out[3] = static_cast<unsigned char>(
          static_cast<int>(luminance(rgb + (static_cast<size_t>(y) * w + static_cast<size_t>(x)) * 3)));
      out += 4;
    }
  }
}

void computeNormalMap(unsigned char const* rgb, int width, int height, float scale,
                      unsigned char* rgba) {
  if (width <= 0 || height <= 0) return;
  float const zTerm = 2.0f / scale;

  // Large maps are cut into bands of rows that the processor's cores take in
  // turn, so a core slowed by other work simply takes fewer of them. Each band
  // reads the rows around it itself; bands share nothing but the source.
  size_t const texels = static_cast<size_t>(width) * static_cast<size_t>(height);
  unsigned const cores = std::max(1u, std::thread::hardware_concurrency());
  int const threads = texels >= (size_t(1) << 18) ? static_cast<int>(std::min(cores, 8u)) : 1;
  int const rowsPerBand = threads > 1 ? std::max(16, height / (8 * threads)) : height;
  int const bands = (height + rowsPerBand - 1) / rowsPerBand;
  std::atomic<int> nextBand(0);
  auto work = [&]() {
    for (int b = nextBand++; b < bands; b = nextBand++) {
      int const y0 = b * rowsPerBand;
      computeBand(rgb, width, height, zTerm, y0, std::min(height, y0 + rowsPerBand), rgba);
    }
  };
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads && t < bands; ++t) {
    try {
      helpers.emplace_back(work);
    } catch (std::exception const&) {
      break;  // no more threads to be had: the others share the bands
    }
  }
  work();
  for (std::thread& t : helpers) t.join();
}

}  // namespace NormalMap
