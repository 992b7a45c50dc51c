// Rows of normal-map generation with AVX2: heights and normals eight columns at
// a time, byte for byte the reference arithmetic.
// Every product and sum is rounded on its own, as in the reference: no
// contraction into fused multiply-add.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("fp-contract=off")
#endif

#include "NormalMapRows.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

namespace NormalMapRows {

namespace {

// Eight float components divided by the double lengths (low four, high four),
// each quotient rounded to float: the division normalize() performs.
__attribute__((target("avx2"))) inline __m256 divideByLength(__m256 v, __m256d lenLo, __m256d lenHi) {
  __m128 const lo = _mm256_cvtpd_ps(_mm256_div_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(v)), lenLo));
  __m128 const hi = _mm256_cvtpd_ps(_mm256_div_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(v, 1)), lenHi));
  return _mm256_insertf128_ps(_mm256_castps128_ps256(lo), hi, 1);
}

// trunc(((n + 1) * 0.5) * 255) for eight components.
__attribute__((target("avx2"))) inline __m256i packComponent(__m256 n) {
  __m256 const one = _mm256_set1_ps(1.0f), half = _mm256_set1_ps(0.5f), c255 = _mm256_set1_ps(255.0f);
  return _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_mul_ps(_mm256_add_ps(n, one), half), c255));
}

// Packed RGB of eight texels, computed exactly as the reference does.
__attribute__((target("avx2"))) inline __m256i normalsExact(__m256 dx, __m256 dy, __m256 sum, float zTerm) {
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

// One packed component from a float estimate of it. `deviation` keeps, per
// lane, the largest |frac - 0.5| seen, where frac = v - trunc(v) (exact): a lane
// is too close to a byte step to be trusted when that exceeds 0.5 - 2^-12.
__attribute__((target("avx2"))) inline __m256i packEstimate(__m256 q, __m256& deviation) {
  __m256 const one = _mm256_set1_ps(1.0f), half = _mm256_set1_ps(0.5f), c255 = _mm256_set1_ps(255.0f);
  __m256 const signBit = _mm256_set1_ps(-0.0f);
  __m256 const v = _mm256_mul_ps(_mm256_mul_ps(_mm256_add_ps(q, one), half), c255);
  __m256i const t = _mm256_cvttps_epi32(v);
  __m256 const frac = _mm256_sub_ps(v, _mm256_cvtepi32_ps(t));
  deviation = _mm256_max_ps(deviation, _mm256_andnot_ps(signBit, _mm256_sub_ps(frac, half)));
  return t;
}

}  // namespace

bool haveAvx2() {
  static bool const avx2 = __builtin_cpu_supports("avx2");
  return avx2;
}

__attribute__((target("avx2"))) int heightsAvx2(unsigned char const* src, int from, int width, float* h,
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
  int x = from;
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
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(alpha + x), _mm256_slli_epi32(_mm256_cvttps_epi32(lum), 24));
  }
  return x;
}

__attribute__((target("avx2"))) int normalsAvx2Exact(float const* up, float const* cur, float const* down,
                                                     uint32_t const* alpha, int from, int width, float zTerm,
                                                     unsigned char* out) {
  __m256 const zz = _mm256_set1_ps(zTerm * zTerm);
  int x = from;
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

// Each component is estimated in float as d * r, where r approximates
// 1 / sqrt(sum): the hardware estimate (relative error at most 1.5 * 2^-12 by
// the instruction's definition) refined by one Newton step,
// r * (1.5 - 0.5 * sum * r * r), which squares the error to about 3.4 * 2^-24.
// With the roundings of the step and of d * r the estimate is within
// 9.5 * 2^-24 (relative) of the exact quotient, and the reference's float
// within 2^-24 of it. Both then go through the same packing arithmetic,
// v = ((n + 1) * 0.5) * 255, where the difference grows to at most
// 127.5 * 10.5 * 2^-24 plus two roundings of about 3 * 2^-23 each: below
// 2^-12.9. So when the estimate's v keeps 2^-12 away from a whole number, it
// truncates to the reference's byte. The few groups of eight with a doubtful
// lane (about 1 in 80 on noise) are recomputed exactly. Texels whose
// differences are both zero (flat areas, where nz sits on the byte step at
// 255) take the flat texel, computed once by the reference arithmetic.
__attribute__((target("avx2"))) int normalsAvx2(float const* up, float const* cur, float const* down,
                                                uint32_t const* alpha, int from, int width, float zTerm,
                                                unsigned char* out) {
  __m256 const zz = _mm256_set1_ps(zTerm * zTerm);
  __m256 const zf = _mm256_set1_ps(zTerm);
  __m256 const zero = _mm256_setzero_ps();
  __m256 const threeHalves = _mm256_set1_ps(1.5f), halfV = _mm256_set1_ps(0.5f);
  __m256 const trusted = _mm256_set1_ps(0.5f - 1.0f / 4096.0f);
  __m256i const flatRgb = _mm256_set1_epi32(static_cast<int>(packNormal(0.0f, 0.0f, zTerm)));
  int x = from;
  for (; x + 8 <= width; x += 8) {
    __m256 const dx = _mm256_sub_ps(_mm256_loadu_ps(cur + x), _mm256_loadu_ps(cur + x + 2));
    __m256 const dy = _mm256_sub_ps(_mm256_loadu_ps(up + x + 1), _mm256_loadu_ps(down + x + 1));
    __m256 const sum = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(dx, dx), _mm256_mul_ps(dy, dy)), zz);
    __m256 const r0 = _mm256_rsqrt_ps(sum);
    __m256 const inv = _mm256_mul_ps(
        r0, _mm256_sub_ps(threeHalves, _mm256_mul_ps(_mm256_mul_ps(halfV, sum), _mm256_mul_ps(r0, r0))));
    __m256 deviation = zero;
    __m256i rgb = _mm256_or_si256(
        _mm256_or_si256(packEstimate(_mm256_mul_ps(dx, inv), deviation),
                        _mm256_slli_epi32(packEstimate(_mm256_mul_ps(dy, inv), deviation), 8)),
        _mm256_slli_epi32(packEstimate(_mm256_mul_ps(zf, inv), deviation), 16));
    __m256 const doubtful = _mm256_cmp_ps(deviation, trusted, _CMP_GT_OQ);
    __m256 const flat = _mm256_and_ps(_mm256_cmp_ps(dx, zero, _CMP_EQ_OQ), _mm256_cmp_ps(dy, zero, _CMP_EQ_OQ));
    rgb = _mm256_castps_si256(_mm256_blendv_ps(_mm256_castsi256_ps(rgb), _mm256_castsi256_ps(flatRgb), flat));
    if (_mm256_movemask_ps(_mm256_andnot_ps(flat, doubtful)) != 0) rgb = normalsExact(dx, dy, sum, zTerm);
    __m256i const texel = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<__m256i const*>(alpha + x)), rgb);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * static_cast<size_t>(x)), texel);
  }
  return x;
}

}  // namespace NormalMapRows

#else  // not x86: only the scalar rows exist

namespace NormalMapRows {
bool haveAvx2() { return false; }
int heightsAvx2(unsigned char const*, int from, int, float*, uint32_t*) { return from; }
int normalsAvx2(float const*, float const*, float const*, uint32_t const*, int from, int, float, unsigned char*) {
  return from;
}
int normalsAvx2Exact(float const*, float const*, float const*, uint32_t const*, int from, int, float,
                     unsigned char*) {
  return from;
}
}  // namespace NormalMapRows

#endif
