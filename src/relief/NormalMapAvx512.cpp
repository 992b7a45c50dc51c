// Rows of normal-map generation with AVX-512: heights and normals sixteen
// columns at a time, byte for byte the reference arithmetic.
// The kernels must round every product and sum on its own, as the reference
// does; AVX-512 brings fused multiply-add with it, which GCC would otherwise
// contract mul-add pairs into. Its AVX-512 headers also trip its own
// uninitialised-value warnings (the "undefined" pass-through operands).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("fp-contract=off")
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "NormalMapRows.h"

#if defined(__x86_64__)

#include <immintrin.h>

#define BUMPMAP_AVX512 __attribute__((target("avx512f,avx512bw,avx512dq")))

namespace NormalMapRows {

namespace {

// trunc(((n + 1) * 0.5) * 255) for sixteen components.
BUMPMAP_AVX512 inline __m512i packComponent(__m512 n) {
  __m512 const one = _mm512_set1_ps(1.0f), half = _mm512_set1_ps(0.5f), c255 = _mm512_set1_ps(255.0f);
  return _mm512_cvttps_epi32(_mm512_mul_ps(_mm512_mul_ps(_mm512_add_ps(n, one), half), c255));
}

// Sixteen float components divided by the double lengths (low eight, high
// eight), each quotient rounded to float: the division normalize() performs.
BUMPMAP_AVX512 inline __m512 divideByLength(__m512 v, __m512d lenLo, __m512d lenHi) {
  __m256 const lo = _mm512_cvtpd_ps(_mm512_div_pd(_mm512_cvtps_pd(_mm512_castps512_ps256(v)), lenLo));
  __m256 const hi = _mm512_cvtpd_ps(
      _mm512_div_pd(_mm512_cvtps_pd(_mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(v), 1))), lenHi));
  return _mm512_insertf32x8(_mm512_castps256_ps512(lo), hi, 1);
}

// Packed RGB of sixteen texels, computed exactly as the reference does.
BUMPMAP_AVX512 inline __m512i normalsExact(__m512 dx, __m512 dy, __m512 sum, float zTerm) {
  __m512d const lenLo = _mm512_sqrt_pd(_mm512_cvtps_pd(_mm512_castps512_ps256(sum)));
  __m512d const lenHi =
      _mm512_sqrt_pd(_mm512_cvtps_pd(_mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(sum), 1))));
  __m512 const z = _mm512_set1_ps(zTerm);
  __m512 nx = divideByLength(dx, lenLo, lenHi);
  __m512 ny = divideByLength(dy, lenLo, lenHi);
  __m512 nz = divideByLength(z, lenLo, lenHi);
  // A zero vector has no direction: those lanes become the flat normal.
  __mmask16 const degenerate = _mm512_cmp_ps_mask(sum, _mm512_setzero_ps(), _CMP_EQ_OQ);
  nx = _mm512_mask_blend_ps(degenerate, nx, _mm512_setzero_ps());
  ny = _mm512_mask_blend_ps(degenerate, ny, _mm512_setzero_ps());
  nz = _mm512_mask_blend_ps(degenerate, nz, _mm512_set1_ps(1.0f));
  return _mm512_or_si512(_mm512_or_si512(packComponent(nx), _mm512_slli_epi32(packComponent(ny), 8)),
                         _mm512_slli_epi32(packComponent(nz), 16));
}

// One packed component from a float estimate of it. `deviation` keeps, per
// lane, the largest |frac - 0.5| seen, where frac = v - trunc(v) comes exactly
// from the reduce instruction: a lane is too close to a byte step to be trusted
// when that exceeds 0.5 - 2^-12.
BUMPMAP_AVX512 inline __m512i packEstimate(__m512 q, __m512& deviation) {
  __m512 const one = _mm512_set1_ps(1.0f), half = _mm512_set1_ps(0.5f), c255 = _mm512_set1_ps(255.0f);
  __m512 const v = _mm512_mul_ps(_mm512_mul_ps(_mm512_add_ps(q, one), half), c255);
  __m512 const frac = _mm512_reduce_ps(v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
  deviation = _mm512_max_ps(deviation, _mm512_abs_ps(_mm512_sub_ps(frac, half)));
  return _mm512_cvttps_epi32(v);
}

}  // namespace

bool haveAvx512() {
  static bool const avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                             __builtin_cpu_supports("avx512dq");
  return avx512;
}

BUMPMAP_AVX512 int heightsAvx512(unsigned char const* src, int from, int width, float* h, uint32_t* alpha) {
  // Sixteen pixels are 48 bytes, loaded as 32 + 16 so nothing past them is
  // touched (a masked load would do the same, but is slow on some processors).
  // Each 128-bit lane is then given the 12 bytes of four pixels (plus 4 unused),
  // and in-lane byte shuffles pull R, G and B into 32-bit slots.
  __m512i const lanes = _mm512_setr_epi32(0, 1, 2, 3, 3, 4, 5, 6, 6, 7, 8, 9, 9, 10, 11, 11);
  __m512i const pickR = _mm512_broadcast_i32x4(_mm_setr_epi8(0, -1, -1, -1, 3, -1, -1, -1, 6, -1, -1, -1, 9, -1, -1, -1));
  __m512i const pickG = _mm512_broadcast_i32x4(_mm_setr_epi8(1, -1, -1, -1, 4, -1, -1, -1, 7, -1, -1, -1, 10, -1, -1, -1));
  __m512i const pickB = _mm512_broadcast_i32x4(_mm_setr_epi8(2, -1, -1, -1, 5, -1, -1, -1, 8, -1, -1, -1, 11, -1, -1, -1));
  __m512 const wR = _mm512_set1_ps(lumR), wG = _mm512_set1_ps(lumG), wB = _mm512_set1_ps(lumB);
  __m512 const c255 = _mm512_set1_ps(255.0f);
  int x = from;
  for (; x + 16 <= width; x += 16) {
    unsigned char const* p = src + 3 * static_cast<size_t>(x);
    __m512i const raw = _mm512_inserti32x4(
        _mm512_castsi256_si512(_mm256_loadu_si256(reinterpret_cast<__m256i const*>(p))),
        _mm_loadu_si128(reinterpret_cast<__m128i const*>(p + 32)), 2);
    __m512i const bytes = _mm512_permutexvar_epi32(lanes, raw);
    __m512 const r = _mm512_cvtepi32_ps(_mm512_shuffle_epi8(bytes, pickR));
    __m512 const g = _mm512_cvtepi32_ps(_mm512_shuffle_epi8(bytes, pickG));
    __m512 const b = _mm512_cvtepi32_ps(_mm512_shuffle_epi8(bytes, pickB));
    __m512 const lum = _mm512_add_ps(_mm512_add_ps(_mm512_mul_ps(wR, r), _mm512_mul_ps(wG, g)), _mm512_mul_ps(wB, b));
    _mm512_storeu_ps(h + x, _mm512_div_ps(lum, c255));
    _mm512_storeu_si512(alpha + x, _mm512_slli_epi32(_mm512_cvttps_epi32(lum), 24));
  }
  return x;
}

// The estimate and its check as in the AVX2 kernel (see there for the error
// bound), with the 14-bit root estimate of AVX-512, whose Newton step leaves
// an error far below the 8-bit one's.
BUMPMAP_AVX512 int normalsAvx512(float const* up, float const* cur, float const* down, uint32_t const* alpha,
                                 int from, int width, float zTerm, unsigned char* out) {
  __m512 const zz = _mm512_set1_ps(zTerm * zTerm);
  __m512 const zf = _mm512_set1_ps(zTerm);
  __m512 const zero = _mm512_setzero_ps();
  __m512 const threeHalves = _mm512_set1_ps(1.5f), halfV = _mm512_set1_ps(0.5f);
  __m512 const trusted = _mm512_set1_ps(0.5f - 1.0f / 4096.0f);
  __m512i const flatRgb = _mm512_set1_epi32(static_cast<int>(packNormal(0.0f, 0.0f, zTerm)));
  int x = from;
  for (; x + 16 <= width; x += 16) {
    __m512 const dx = _mm512_sub_ps(_mm512_loadu_ps(cur + x), _mm512_loadu_ps(cur + x + 2));
    __m512 const dy = _mm512_sub_ps(_mm512_loadu_ps(up + x + 1), _mm512_loadu_ps(down + x + 1));
    __m512 const sum = _mm512_add_ps(_mm512_add_ps(_mm512_mul_ps(dx, dx), _mm512_mul_ps(dy, dy)), zz);
    __m512 const r0 = _mm512_rsqrt14_ps(sum);
    __m512 const inv = _mm512_mul_ps(
        r0, _mm512_sub_ps(threeHalves, _mm512_mul_ps(_mm512_mul_ps(halfV, sum), _mm512_mul_ps(r0, r0))));
    __m512 deviation = zero;
    __m512i rgb = _mm512_or_si512(
        _mm512_or_si512(packEstimate(_mm512_mul_ps(dx, inv), deviation),
                        _mm512_slli_epi32(packEstimate(_mm512_mul_ps(dy, inv), deviation), 8)),
        _mm512_slli_epi32(packEstimate(_mm512_mul_ps(zf, inv), deviation), 16));
    __mmask16 const flat = _mm512_cmp_ps_mask(dx, zero, _CMP_EQ_OQ) & _mm512_cmp_ps_mask(dy, zero, _CMP_EQ_OQ);
    rgb = _mm512_mask_blend_epi32(flat, rgb, flatRgb);
    if (_mm512_mask_cmp_ps_mask(static_cast<__mmask16>(~flat), deviation, trusted, _CMP_GT_OQ))
      rgb = normalsExact(dx, dy, sum, zTerm);
    _mm512_storeu_si512(out + 4 * static_cast<size_t>(x), _mm512_or_si512(_mm512_loadu_si512(alpha + x), rgb));
  }
  return x;
}

}  // namespace NormalMapRows

#else  // no AVX-512 kernels on this architecture

namespace NormalMapRows {
bool haveAvx512() { return false; }
int heightsAvx512(unsigned char const*, int from, int, float*, uint32_t*) { return from; }
int normalsAvx512(float const*, float const*, float const*, uint32_t const*, int from, int, float,
                  unsigned char*) {
  return from;
}
}  // namespace NormalMapRows

#endif
