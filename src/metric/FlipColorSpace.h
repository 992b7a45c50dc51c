// FlipColorSpace: the colour conversions of the image metric, one pixel at a
// time: sRGB to linear RGB, linear RGB to and from CIE XYZ (D65), XYZ to and
// from the linearised opponent space YyCxCz, and linear RGB to CIELAB with the
// Hunt adjustment.
#pragma once

#include "FlipMath.h"

namespace FlipColorSpace {

// Linear RGB (sRGB primaries) to CIE XYZ under D65, rows X, Y, Z.
constexpr float kRgbToXyz[3][3] = {{0.4124564f, 0.3575761f, 0.1804375f},
                                   {0.2126729f, 0.7151522f, 0.0721750f},
                                   {0.0193339f, 0.1191920f, 0.9503041f}};

// The reference white: XYZ of linear RGB (1, 1, 1), so that every grey has
// Cx = Cz = 0 and a* = b* = 0 exactly as the matrix gives them.
constexpr float kWhite[3] = {kRgbToXyz[0][0] + kRgbToXyz[0][1] + kRgbToXyz[0][2],
                             kRgbToXyz[1][0] + kRgbToXyz[1][1] + kRgbToXyz[1][2],
                             kRgbToXyz[2][0] + kRgbToXyz[2][1] + kRgbToXyz[2][2]};

// The inverse of kRgbToXyz by its adjugate, so that a colour taken to XYZ and
// back is the colour it was, up to rounding.
struct Matrix3 {
  float m[3][3];
};
constexpr Matrix3 inverse(float const (&a)[3][3]) {
  float const c00 = a[1][1] * a[2][2] - a[1][2] * a[2][1];
  float const c01 = a[1][2] * a[2][0] - a[1][0] * a[2][2];
  float const c02 = a[1][0] * a[2][1] - a[1][1] * a[2][0];
  float const det = a[0][0] * c00 + a[0][1] * c01 + a[0][2] * c02;
  return Matrix3{{{c00 / det, (a[0][2] * a[2][1] - a[0][1] * a[2][2]) / det, (a[0][1] * a[1][2] - a[0][2] * a[1][1]) / det},
                  {c01 / det, (a[0][0] * a[2][2] - a[0][2] * a[2][0]) / det, (a[0][2] * a[1][0] - a[0][0] * a[1][2]) / det},
                  {c02 / det, (a[0][1] * a[2][0] - a[0][0] * a[2][1]) / det, (a[0][0] * a[1][1] - a[0][1] * a[1][0]) / det}}};
}
constexpr Matrix3 kXyzToRgb = inverse(kRgbToXyz);

// sRGB's transfer curve: the linear segment's end, its slope, and the power
// segment's offset and exponent.
constexpr float kSrgbLinearEnd = 0.04045f;
constexpr float kSrgbLinearSlope = 12.92f;
constexpr float kSrgbOffset = 0.055f;
constexpr float kSrgbExponent = 2.4f;

// The lightness scale shared by YyCxCz and CIELAB (L = 116 f - 16) and the
// scales of the two opponent axes (500 red-green, 200 blue-yellow).
constexpr float kLightnessScale = 116.0f;
constexpr float kLightnessOffset = 16.0f;
constexpr float kRedGreenScale = 500.0f;
constexpr float kBlueYellowScale = 200.0f;
// CIELAB's f(t): the cube root above (6/29)^3, the line t / (3 (6/29)^2) + 4/29 below.
constexpr float kLabDelta = 6.0f / 29.0f;
// The Hunt adjustment: a* and b* scaled by this times L*, so that dark colours
// count as less colourful than bright ones of the same chromaticity.
constexpr float kHuntScale = 0.01f;

inline float srgbToLinear(float c) {
  // Both branches are computed so that the compiler can select between them
  // in vector code.
  float const curve = FlipMath::pow((c + kSrgbOffset) / (1.0f + kSrgbOffset), kSrgbExponent);
  float const line = c / kSrgbLinearSlope;
  return c <= kSrgbLinearEnd ? line : curve;
}

// Linear RGB to the linearised opponent space: Yy = 116 Y/Yn - 16,
// Cx = 500 (X/Xn - Y/Yn), Cz = 200 (Y/Yn - Z/Zn).
inline void linearRgbToYcxcz(float r, float g, float b, float& yy, float& cx, float& cz) {
  float const x = (kRgbToXyz[0][0] * r + kRgbToXyz[0][1] * g + kRgbToXyz[0][2] * b) / kWhite[0];
  float const y = (kRgbToXyz[1][0] * r + kRgbToXyz[1][1] * g + kRgbToXyz[1][2] * b) / kWhite[1];
  float const z = (kRgbToXyz[2][0] * r + kRgbToXyz[2][1] * g + kRgbToXyz[2][2] * b) / kWhite[2];
  yy = kLightnessScale * y - kLightnessOffset;
  cx = kRedGreenScale * (x - y);
  cz = kBlueYellowScale * (y - z);
}

// YyCxCz back to linear RGB, each channel clamped to [0, 1]: the filters can
// carry a colour out of the gamut.
inline void ycxczToLinearRgb(float yy, float cx, float cz, float& r, float& g, float& b) {
  float const yn = (yy + kLightnessOffset) / kLightnessScale;
  float const x = (cx / kRedGreenScale + yn) * kWhite[0];
  float const y = yn * kWhite[1];
  float const z = (yn - cz / kBlueYellowScale) * kWhite[2];
  static constexpr Matrix3 m = kXyzToRgb;
  r = m.m[0][0] * x + m.m[0][1] * y + m.m[0][2] * z;
  g = m.m[1][0] * x + m.m[1][1] * y + m.m[1][2] * z;
  b = m.m[2][0] * x + m.m[2][1] * y + m.m[2][2] * z;
  r = r < 0.0f ? 0.0f : (r > 1.0f ? 1.0f : r);
  g = g < 0.0f ? 0.0f : (g > 1.0f ? 1.0f : g);
  b = b < 0.0f ? 0.0f : (b > 1.0f ? 1.0f : b);
}

inline float labF(float t) {
  float const cube = kLabDelta * kLabDelta * kLabDelta;
  float const root = FlipMath::cbrt(t);
  float const line = t / (3.0f * kLabDelta * kLabDelta) + 4.0f / 29.0f;
  return t > cube ? root : line;
}

// Linear RGB to CIELAB, a* and b* then scaled by the Hunt adjustment.
inline void linearRgbToHuntLab(float r, float g, float b, float& l, float& a, float& bb) {
  float const fx = labF((kRgbToXyz[0][0] * r + kRgbToXyz[0][1] * g + kRgbToXyz[0][2] * b) / kWhite[0]);
  float const fy = labF((kRgbToXyz[1][0] * r + kRgbToXyz[1][1] * g + kRgbToXyz[1][2] * b) / kWhite[1]);
  float const fz = labF((kRgbToXyz[2][0] * r + kRgbToXyz[2][1] * g + kRgbToXyz[2][2] * b) / kWhite[2]);
  l = kLightnessScale * fy - kLightnessOffset;
  float const hunt = kHuntScale * l;
  a = hunt * kRedGreenScale * (fx - fy);
  bb = hunt * kBlueYellowScale * (fy - fz);
}

}  // namespace FlipColorSpace
