// Rows of normal-map generation: the per-texel arithmetic that the direct loop
// defines, and the row kernels (scalar and vectorised) that reproduce it.
//
// A row kernel works on padded height rows: p[0] is column width-1, p[1 + x]
// column x and p[width + 1] column 0, so the left and right neighbours of every
// column are plain loads. Heights are luminance / 255; alpha words hold the
// truncated luminance already shifted into a texel's top byte. Each kernel
// handles columns from `from` onward in whole groups and returns the first
// column it left for a narrower kernel.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace NormalMapRows {

// Single-precision luminance weights, summed as (0.3 R + 0.6 G) + 0.1 B.
float const lumR = 0.3f, lumG = 0.6f, lumB = 0.1f;

inline float luminance(unsigned char const* p) {
  return (lumR * static_cast<float>(p[0]) + lumG * static_cast<float>(p[1])) + lumB * static_cast<float>(p[2]);
}

// When z² is not a finite float (scale 0, a scale so small that 2 / scale
// overflows on squaring, or not a number) the normals cannot be formed: the map
// is flat, the limit of a vanishing scale.
inline bool flatScale(float zTerm) { return !std::isfinite(zTerm * zTerm); }

// The packed normal (0, 0, 1): (127, 127, 255), alpha left to the caller.
uint32_t const flatTexel = 127u | (127u << 8) | (255u << 16);

// One texel's RGB from its two differences, with the reference's operations:
// the float sum of squares, the root and the three quotients in double, each
// quotient rounded to float, then ((n + 1) * 0.5) * 255 truncated. A zero vector
// (possible only when z² underflows) has no direction and packs as flat.
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

// The estimating kernels need z² and every quotient to stay in the normal float
// range: true for |2 / scale| between 1e-15 and 1e15 (scales of about 2e-15 to
// 2e15, far beyond any useful bump scale). Outside it the exact kernels run.
inline bool estimatesSafe(float zTerm) {
  float const a = std::fabs(zTerm);
  return a >= 1e-15f && a <= 1e15f;
}

// Which vector kernels this processor runs (false where they are not built).
bool haveAvx2();
bool haveAvx512();

// Eight (AVX2) or sixteen (AVX-512) columns at a time.
int heightsAvx2(unsigned char const* src, int from, int width, float* h, uint32_t* alpha);
int heightsAvx512(unsigned char const* src, int from, int width, float* h, uint32_t* alpha);

// Normals by estimate, checked texel by texel and recomputed exactly where the
// estimate comes too close to a byte step (only while estimatesSafe(zTerm)).
int normalsAvx2(float const* up, float const* cur, float const* down, uint32_t const* alpha, int from,
                int width, float zTerm, unsigned char* out);
int normalsAvx512(float const* up, float const* cur, float const* down, uint32_t const* alpha, int from,
                  int width, float zTerm, unsigned char* out);
// Normals computed exactly throughout.
int normalsAvx2Exact(float const* up, float const* cur, float const* down, uint32_t const* alpha, int from,
                     int width, float zTerm, unsigned char* out);

}  // namespace NormalMapRows
