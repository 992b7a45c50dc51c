// FlipMath: base-2 logarithm, power of two and general power of floats, with no
// branches and no library calls, so that the compiler vectorises the loops
// that call them (the image metric takes several powers per pixel).
#pragma once

#include <cstdint>
#include <cstring>

namespace FlipMath {

inline std::int32_t bitsOf(float x) {
  std::int32_t i;
  std::memcpy(&i, &x, sizeof i);
  return i;
}

inline float floatOf(std::int32_t i) {
  float x;
  std::memcpy(&x, &i, sizeof x);
  return x;
}

// log2(x) for a positive, normal x, within about 5e-8 of the exact value: the
// exponent from the bits, and log2 of the mantissa m, brought into
// [sqrt(1/2), sqrt(2)], from the series 2 / ln 2 * atanh(t) with
// t = (m - 1) / (m + 1), |t| <= 0.172, up to t^7.
inline float log2(float x) {
  std::int32_t const bits = bitsOf(x);
  std::int32_t exponent = ((bits >> 23) & 0xFF) - 127;
  float m = floatOf((bits & 0x007FFFFF) | 0x3F800000);  // in [1, 2)
  bool const high = m > 1.41421356f;
  float const halved = m * 0.5f;
  m = high ? halved : m;
  exponent = high ? exponent + 1 : exponent;
  float const t = (m - 1.0f) / (m + 1.0f);
  float const t2 = t * t;
  float const c1 = 2.88539008f;  // 2 / ln 2, then its thirds, fifths and sevenths
  float const series = c1 + t2 * (c1 / 3.0f + t2 * (c1 / 5.0f + t2 * (c1 / 7.0f)));
  return static_cast<float>(exponent) + t * series;
}

// 2^y for y in [-125, 125] (clamped there), within about 2e-7 relative:
// y = n + f with n the nearest integer and |f| <= 1/2, 2^n from the bits and
// 2^f = e^(f ln 2) from its Taylor series up to the 6th power.
inline float exp2(float y) {
  y = y < -125.0f ? -125.0f : (y > 125.0f ? 125.0f : y);
  // Adding and taking away 1.5 * 2^23 rounds to the nearest integer.
  float const n = (y + 12582912.0f) - 12582912.0f;
  float const u = (y - n) * 0.693147181f;  // f ln 2
  float const p =
      1.0f + u * (1.0f + u * (1.0f / 2 + u * (1.0f / 6 + u * (1.0f / 24 + u * (1.0f / 120 + u * (1.0f / 720))))));
  return p * floatOf((static_cast<std::int32_t>(n) + 127) << 23);
}

// The cube root of t >= 0, within a few parts in 1e7: a first guess from the
// bits (the exponent divided by three) refined by two Halley steps,
// y <- y (y^3 + 2t) / (2y^3 + t), each of which cubes the relative error.
inline float cbrt(float t) {
  float y = floatOf(bitsOf(t) / 3 + 709921077);
  for (int i = 0; i < 2; ++i) {
    float const y3 = y * y * y;
    y = y * (y3 + 2.0f * t) / (2.0f * y3 + t);
  }
  return t > 0.0f ? y : 0.0f;
}

// x^y for x >= 0: 0 for x = 0 and y > 0, 1 for y = 0.
inline float pow(float x, float y) {
  float const r = exp2(y * log2(x > 0.0f ? x : 1.0f));
  return x > 0.0f ? r : (y > 0.0f ? 0.0f : 1.0f);
}

}  // namespace FlipMath
