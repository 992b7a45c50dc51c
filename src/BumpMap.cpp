// Normal-map generation: a tangent-space normal map with heights in alpha, made
// on the CPU from a height texture.
//
// Per texel: h = ((0.3 R + 0.6 G) + 0.1 B) / 255 (single precision); the normal is
// (h(left) - h(right), h(up) - h(down), 2 / scale) normalised the way
// _vec<3, float>::normalize does it (squares summed in float, root and division
// in double, rounded back to float), then packed as trunc(((n + 1) * 0.5) * 255);
// alpha is the truncated luminance. The fast path keeps every one of those
// operations and their order (no fused multiply-add, no reciprocal tricks), so
// its bytes are exactly the reference loop's.
#include "BumpMap.h"

#include "base/texture.h"
#include "math/vec.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define BUMPMAP_HAVE_AVX2_PATH 1
#endif

namespace {

// Single-precision luminance weights, summed as (0.3 R + 0.6 G) + 0.1 B.
float const lumR = 0.3f, lumG = 0.6f, lumB = 0.1f;

inline float luminance(unsigned char const* p) {
  return (lumR * static_cast<float>(p[0]) + lumG * static_cast<float>(p[1])) +
         lumB * static_cast<float>(p[2]);
}

// When z² is not a finite float (scale 0, a scale so small that 2 / scale
// overflows on squaring, or not a number) the normals cannot be formed: the map
// is flat, the limit of a vanishing scale.
bool flatScale(float zTerm) { return !std::isfinite(zTerm * zTerm); }

// The packed normal (0, 0, 1): (127, 127, 255), alpha left to the caller.
uint32_t const flatTexel = 127u | (127u << 8) | (255u << 16);

// One texel's RGB from its two differences, scalar, with the same operations as
// the reference loop (float sum of squares, double root and quotients). A zero
// vector (possible only when z² underflows) has no direction and packs as flat.
inline uint32_t packNormal(float dx, float dy, float zTerm) {
  float const sum = ((0.0f + dx * dx) + dy * dy) + zTerm * zTerm;
  if (!(sum > 0.0f)) return flatTexel;
  double const len = std::sqrt(static_cast<double>(sum));
  float const nx = static_cast<float>(dx / len);
  float const ny = static_cast<float>(dy / len);
  float const nz = static_cast<float>(zTerm / len);
  uint32_t const r = static_cast<uint32_t>(static_cast<int>(((nx + 1.0f) * 0.5f) * 255.0f));
  uint32_t const g = static_cast<uint32_t>(static_cast<int>(((ny + 1.0f) * 0.5f) * 255.0f));
  uint32_t const b = static_cast<uint32_t>(static_cast<int>(((nz + 1.0f) * 0.5f) * 255.0f));
  return r | (g << 8) | (b << 16);
}

void storeTexel(unsigned char* out, uint32_t texel) {
  out[0] = static_cast<unsigned char>(texel);
  out[1] = static_cast<unsigned char>(texel >> 8);
  out[2] = static_cast<unsigned char>(texel >> 16);
  out[3] = static_cast<unsigned char>(texel >> 24);
}

// Heights of one row: h[x] = luminance / 255 and alpha[x] = truncated luminance
// already shifted into the top byte of a texel, for columns from..width-1.
void rowHeightsScalar(unsigned char const* src, int from, int width, float* h, uint32_t* alpha) {
  for (int x = from; x < width; ++x) {
    float const lum = luminance(src + 3 * static_cast<size_t>(x));
    h[x] = lum / 255.0f;
    alpha[x] = static_cast<uint32_t>(static_cast<int>(lum)) << 24;
  }
}

// Packed texels of one row for columns from..width-1. cur, up and down point at
// padded rows: p[0] is column width-1, p[1 + x] column x, p[width + 1] column 0.
void rowNormalsScalar(float const* up, float const* cur, float const* down, uint32_t const* alpha,
                      int from, int width, float zTerm, unsigned char* out) {
  for (int x = from; x < width; ++x) {
    float const dx = cur[x] - cur[x + 2];
    float const dy = up[x + 1] - down[x + 1];
    storeTexel(out + 4 * static_cast<size_t>(x), packNormal(dx, dy, zTerm) | alpha[x]);
  }
}

#ifdef BUMPMAP_HAVE_AVX2_PATH

// Eight texels at a time. Returns the first column left for the scalar code.
__attribute__((target("avx2"))) int rowHeightsAvx2(unsigned char const* src, int width, float* h,
                                                   uint32_t* alpha) {
  // Each 128-bit lane holds 16 source bytes starting at a 4-pixel boundary;
  // these masks pull R, G and B of its four pixels into 32-bit slots.
  __m256i const pickR = _mm256_setr_epi8(0, -1, -1, -1, 3, -1, -1, -1, 6, -1, -1, -1, 9, -1, -1, -1,
                                         0, -1, -1, -1, 3, -1, -1, -1, 6, -1, -1, -1, 9, -1, -1, -1);
  __m256i const pickG = _mm256_setr_epi8(1, -1, -1, -1, 4, -1, -1, -1, 7, -1, -1, -1, 10, -1, -1, -1,
                                         1, -1, -1, -1, 4, -1, -1, -1, 7, -1, -1, -1, 10, -1, -1, -1);
  __m256i const pickB = _mm256_setr_epi8(2, -1, -1, -1, 5, -1, -1, -1, 8, -1, -1, -1, 11, -1, -1, -1,
                                         2, -1, -1, -1, 5, -1, -1, -1, 8, -1, -1, -1, 11, -1, -1, -1);
  __m256 const wR = _mm256_set1_ps(lumR), wG = _mm256_set1_ps(lumG), wB = _mm256_set1_ps(lumB);
  __m256 const c255 = _mm256_set1_ps(255.0f);
  int x = 0;
  // The second 16-byte load starts 12 bytes in and so reaches 28 bytes past the
  // first pixel: stop while that stays inside the row.
  for (; x + 10 <= width; x += 8) {
    unsigned char const* p = src + 3 * static_cast<size_t>(x);
    __m128i const lo = _mm_loadu_si128(reinterpret_cast<__m128i const*>(p));
    __m128i const hi = _mm_loadu_si128(reinterpret_cast<__m128i const*>(p + 12));
    __m256i const bytes = _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
    __m256 const r = _mm256_cvtepi32_ps(_mm256_shuffle_epi8(bytes, pickR));
    __m256 const g = _mm256_cvtepi32_ps(_mm256_shuffle_epi8(bytes, pickG));
    __m256 const b = _mm256_cvtepi32_ps(_mm256_shuffle_epi8(bytes, pickB));
    __m256 const lum = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(wR, r), _mm256_mul_ps(wG, g)),
                                     _mm256_mul_ps(wB, b));
    _mm256_storeu_ps(h + x, _mm256_div_ps(lum, c255));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(alpha + x),
                        _mm256_slli_epi32(_mm256_cvttps_epi32(lum), 24));
  }
  return x;
}

// Eight float components divided by the double lengths (low four, high four),
// each quotient rounded to float: the division normalize() performs.
__attribute__((target("avx2"))) inline __m256 divideByLength(__m256 v, __m256d lenLo, __m256d lenHi) {
  __m128 const lo = _mm256_cvtpd_ps(_mm256_div_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(v)), lenLo));
  __m128 const hi = _mm256_cvtpd_ps(_mm256_div_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(v, 1)), lenHi));
  return _mm256_insertf128_ps(_mm256_castps128_ps256(lo), hi, 1);
}

__attribute__((target("avx2"))) inline __m256i packComponent(__m256 n) {
  __m256 const one = _mm256_set1_ps(1.0f), half = _mm256_set1_ps(0.5f), c255 = _mm256_set1_ps(255.0f);
  return _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_mul_ps(_mm256_add_ps(n, one), half), c255));
}

// Packed RGB of eight texels, computed exactly as normalize() does: the float
// sum of squares, the root and the three quotients in double, each quotient
// rounded to float.
__attribute__((target("avx2"))) inline __m256i normalsExact(__m256 dx, __m256 dy, __m256 sum,
                                                            float zTerm) {
  __m256 const zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f);
  __m256d const zd = _mm256_set1_pd(static_cast<double>(zTerm));
  __m256d const lenLo = _mm256_sqrt_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(sum)));
  __m256d const lenHi = _mm256_sqrt_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(sum, 1)));
  __m256 nx = divideByLength(dx, lenLo, lenHi);
  __m256 ny = divideByLength(dy, lenLo, lenHi);
  __m256 nz = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(_mm256_div_pd(zd, lenLo))),
                                   _mm256_cvtpd_ps(_mm256_div_pd(zd, lenHi)), 1);
  // A zero vector has no direction: those lanes become the flat normal.
  __m256 const degenerate = _mm256_cmp_ps(sum, zero, _CMP_EQ_OQ);
  nx = _mm256_blendv_ps(nx, zero, degenerate);
  ny = _mm256_blendv_ps(ny, zero, degenerate);
  nz = _mm256_blendv_ps(nz, one, degenerate);
  return _mm256_or_si256(_mm256_or_si256(packComponent(nx), _mm256_slli_epi32(packComponent(ny), 8)),
                         _mm256_slli_epi32(packComponent(nz), 16));
}

// Exact throughout: used when 2 / scale is so large or small that the bracketed
// path below could meet overflow, underflow or subnormal numbers.
__attribute__((target("avx2"))) int rowNormalsAvx2Exact(float const* up, float const* cur,
                                                        float const* down, uint32_t const* alpha,
                                                        int width, float zTerm, unsigned char* out) {
  __m256 const zz = _mm256_set1_ps(zTerm * zTerm);
  int x = 0;
  for (; x + 8 <= width; x += 8) {
    __m256 const dx = _mm256_sub_ps(_mm256_loadu_ps(cur + x), _mm256_loadu_ps(cur + x + 2));
    __m256 const dy = _mm256_sub_ps(_mm256_loadu_ps(up + x + 1), _mm256_loadu_ps(down + x + 1));
    __m256 const sum = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(dx, dx), _mm256_mul_ps(dy, dy)), zz);
    __m256i const texel = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<__m256i const*>(alpha + x)),
                                          normalsExact(dx, dy, sum, zTerm));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * static_cast<size_t>(x)), texel);
  }
  return x;
}

// One packed component from a float estimate of it, and whether the estimate
// is too close to a byte step to be trusted (a lane mask).
__attribute__((target("avx2"))) inline __m256i packEstimate(__m256 q, __m256& doubtful) {
  __m256 const one = _mm256_set1_ps(1.0f), half = _mm256_set1_ps(0.5f), c255 = _mm256_set1_ps(255.0f);
  __m256 const margin = _mm256_set1_ps(1.0f / 1024.0f), upper = _mm256_set1_ps(1.0f - 1.0f / 1024.0f);
  __m256 const v = _mm256_mul_ps(_mm256_mul_ps(_mm256_add_ps(q, one), half), c255);
  __m256i const t = _mm256_cvttps_epi32(v);
  __m256 const frac = _mm256_sub_ps(v, _mm256_cvtepi32_ps(t));
  doubtful = _mm256_or_ps(doubtful, _mm256_or_ps(_mm256_cmp_ps(frac, margin, _CMP_LT_OQ),
                                                 _mm256_cmp_ps(frac, upper, _CMP_GT_OQ)));
  return t;
}

// The common case, without any division. Each component is estimated in
// float as d * r, where r approximates 1 / sqrt(sum): the hardware estimate
// (relative error at most 1.5 * 2^-12 by the instruction's definition) refined
// by one Newton step, r * (1.5 - 0.5 * sum * r * r), which squares the error to
// about 3.4 * 2^-24, plus a few float roundings: well below 2^-20 in all. In
// the packing arithmetic ((n + 1) * 0.5 * 255) that moves the value by less than
// 127.5 * 2^-20 + 3 * 2^-16, about 2^-12.6. So when the packed estimate's
// fraction keeps 2^-10 away from a whole number, it truncates to the
// reference's byte (the reference's own float is within 2^-24 of the exact
// quotient). The few groups of eight with a doubtful lane are recomputed
// exactly. Texels whose differences are both zero (flat areas, where nz sits on
// the byte step at 255) take the flat texel, computed once by the reference
// arithmetic.
__attribute__((target("avx2"))) int rowNormalsAvx2(float const* up, float const* cur,
                                                   float const* down, uint32_t const* alpha,
                                                   int width, float zTerm, unsigned char* out) {
  __m256 const zz = _mm256_set1_ps(zTerm * zTerm);
  __m256 const zf = _mm256_set1_ps(zTerm);
  __m256 const zero = _mm256_setzero_ps();
  __m256 const threeHalves = _mm256_set1_ps(1.5f), halfV = _mm256_set1_ps(0.5f);
  __m256i const flatRgb = _mm256_set1_epi32(static_cast<int>(packNormal(0.0f, 0.0f, zTerm)));
  int x = 0;
  for (; x + 8 <= width; x += 8) {
    __m256 const dx = _mm256_sub_ps(_mm256_loadu_ps(cur + x), _mm256_loadu_ps(cur + x + 2));
    __m256 const dy = _mm256_sub_ps(_mm256_loadu_ps(up + x + 1), _mm256_loadu_ps(down + x + 1));
    __m256 const sum = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(dx, dx), _mm256_mul_ps(dy, dy)), zz);
    __m256 const r0 = _mm256_rsqrt_ps(sum);
    __m256 const inv = _mm256_mul_ps(
        r0, _mm256_sub_ps(threeHalves, _mm256_mul_ps(_mm256_mul_ps(halfV, sum), _mm256_mul_ps(r0, r0))));
    __m256 doubtful = zero;
    __m256i rgb = _mm256_or_si256(
        _mm256_or_si256(packEstimate(_mm256_mul_ps(dx, inv), doubtful),
                        _mm256_slli_epi32(packEstimate(_mm256_mul_ps(dy, inv), doubtful), 8)),
        _mm256_slli_epi32(packEstimate(_mm256_mul_ps(zf, inv), doubtful), 16));
    __m256 const flat = _mm256_and_ps(_mm256_cmp_ps(dx, zero, _CMP_EQ_OQ), _mm256_cmp_ps(dy, zero, _CMP_EQ_OQ));
    rgb = _mm256_castps_si256(
        _mm256_blendv_ps(_mm256_castsi256_ps(rgb), _mm256_castsi256_ps(flatRgb), flat));
    if (_mm256_movemask_ps(_mm256_andnot_ps(flat, doubtful)) != 0) rgb = normalsExact(dx, dy, sum, zTerm);
    __m256i const texel =
        _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<__m256i const*>(alpha + x)), rgb);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * static_cast<size_t>(x)), texel);
  }
  return x;
}

// The bracketed path needs z² and every quotient to stay in the normal float
// range: true for |2 / scale| between 1e-15 and 1e15 (scales of about 2e-15 to
// 2e15), far beyond any useful bump scale.
bool bracketedRangeOk(float zTerm) {
  float const a = std::fabs(zTerm);
  return a >= 1e-15f && a <= 1e15f;
}

bool haveAvx2() {
  static bool const avx2 = __builtin_cpu_supports("avx2");
  return avx2;
}

#endif  // BUMPMAP_HAVE_AVX2_PATH

// Rows y0..y1-1 of the output. Heights are computed once per row into a ring of
// three padded rows (the one above, the current one and the one below).
void computeBand(unsigned char const* rgb, int width, int height, float zTerm, int y0, int y1,
                 unsigned char* rgba) {
  size_t const w = static_cast<size_t>(width);
  bool const flat = flatScale(zTerm);
#ifdef BUMPMAP_HAVE_AVX2_PATH
  bool const avx2 = haveAvx2();
  bool const bracketed = bracketedRangeOk(zTerm);
#endif
  std::vector<float> heights(3 * (w + 2));
  std::vector<uint32_t> alphas(3 * w);
  float* h[3] = {heights.data(), heights.data() + (w + 2), heights.data() + 2 * (w + 2)};
  uint32_t* a[3] = {alphas.data(), alphas.data() + w, alphas.data() + 2 * w};

  auto loadRow = [&](int row, int slot) {
    unsigned char const* src = rgb + static_cast<size_t>(row) * w * 3;
    float* padded = h[slot];
    int from = 0;
#ifdef BUMPMAP_HAVE_AVX2_PATH
    if (avx2) from = rowHeightsAvx2(src, width, padded + 1, a[slot]);
#endif
    rowHeightsScalar(src, from, width, padded + 1, a[slot]);
    padded[0] = padded[width];         // left of column 0 is column width-1
    padded[width + 1] = padded[1];     // right of column width-1 is column 0
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
      int from = 0;
#ifdef BUMPMAP_HAVE_AVX2_PATH
      if (avx2 && bracketed) from = rowNormalsAvx2(h[up], h[cur], h[down], a[cur], width, zTerm, out);
      else if (avx2) from = rowNormalsAvx2Exact(h[up], h[cur], h[down], a[cur], width, zTerm, out);
#endif
      rowNormalsScalar(h[up], h[cur], h[down], a[cur], from, width, zTerm, out);
    }
    int const oldUp = up;
    up = cur;
    cur = down;
    down = oldUp;
  }
}

}  // namespace

namespace BumpMap {

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

  // Large maps are cut into bands of rows, one per core; each band reads the
  // rows around it itself, so the bands share nothing but the source.
  size_t const texels = static_cast<size_t>(width) * static_cast<size_t>(height);
  unsigned const cores = std::max(1u, std::thread::hardware_concurrency());
  int bands = texels >= (size_t(1) << 18) ? static_cast<int>(std::min(cores, 8u)) : 1;
  bands = std::min(bands, height);

  std::vector<std::thread> workers;
  int started = 1;  // band 0 runs on this thread
  for (int b = 1; b < bands; ++b, ++started) {
    int const y0 = static_cast<int>(static_cast<long long>(height) * b / bands);
    int const y1 = static_cast<int>(static_cast<long long>(height) * (b + 1) / bands);
    try {
      workers.emplace_back(computeBand, rgb, width, height, zTerm, y0, y1, rgba);
    } catch (std::exception const&) {
      break;  // no thread to be had: the rest runs here
    }
  }
  int const firstEnd = static_cast<int>(static_cast<long long>(height) / bands);
  computeBand(rgb, width, height, zTerm, 0, firstEnd, rgba);
  if (started < bands) {
    int const y0 = static_cast<int>(static_cast<long long>(height) * started / bands);
    computeBand(rgb, width, height, zTerm, y0, height, rgba);
  }
  for (std::thread& t : workers) t.join();
}

void gen(Texture const& heightTex, Texture& normalTex, float scale) {
  int const width = heightTex.getWidth();
  int const height = heightTex.getHeight();
  if (width <= 0 || height <= 0) {
    std::fprintf(stderr, "BumpMap::gen: the height texture holds no image\n");
    return;
  }
  std::unique_ptr<unsigned char[]> src(heightTex.getData(0, GL_RGB, GL_UNSIGNED_BYTE));
  if (!src) {
    std::fprintf(stderr, "BumpMap::gen: could not read the height texture back\n");
    return;
  }
  // Both sizes come from the GL and are far below the size_t limit once
  // multiplied, but a failed allocation must not take the program down.
  size_t const bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
  std::unique_ptr<unsigned char[]> out(new (std::nothrow) unsigned char[bytes]);
  if (!out) {
    std::fprintf(stderr, "BumpMap::gen: no memory for a %d x %d normal map\n", width, height);
    return;
  }
  computeNormalMap(src.get(), width, height, scale, out.get());
  normalTex.build2DMipmaps(width, height, GL_RGBA, GL_UNSIGNED_BYTE, out.get(), 0, 0);
}

}  // namespace BumpMap
