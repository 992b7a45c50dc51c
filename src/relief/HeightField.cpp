// HeightField: clamped storage, GL-style bilinear wrapping lookups, and the min-max pyramid with its wrapped area queries.
#include "HeightField.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace {

HeightField::Range merge(HeightField::Range a, HeightField::Range b) {
  return {std::min(a.min, b.min), std::max(a.max, b.max)};
}

long wrapIndex(long i, long n) {
  long const r = i % n;
  return r < 0 ? r + n : r;
}

// The fraction of a texture coordinate, as GL_REPEAT takes it.
float wrapUnit(float u) {
  float const f = u - std::floor(u);
  return f >= 0.0f && f <= 1.0f ? f : 0.0f;  // NaN and infinities read as 0
}

// The level-0 cells whose bilinear footprint can hold a sample at coordinates
// [c0, c1] along an axis of n texels, with one cell of margin each side against
// rounding; false when the range covers the whole axis anyway.
bool cellSpan(float c0, float c1, int n, long& lo, long& hi) {
  double const a = std::floor(static_cast<double>(c0) * n - 0.5) - 1.0;
  double const b = std::floor(static_cast<double>(c1) * n - 0.5) + 1.0;
  // Also catches NaN, infinities and coordinates too large for the arithmetic.
  if (!(b - a + 1.0 < n) || !(std::fabs(a) < 1e15) || !(std::fabs(b) < 1e15)) return false;
  lo = static_cast<long>(a);
  hi = static_cast<long>(b);
  return true;
}

}  // namespace

HeightField::HeightField(int width, int height, std::vector<float> heights)
    : width_(width), height_(height), heights_(std::move(heights)) {
  if (width <= 0 || height <= 0 ||
      heights_.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
    throw std::invalid_argument("HeightField: size does not match the heights given");
  for (float& h : heights_) h = h >= 0.0f ? std::min(h, 1.0f) : 0.0f;
  levels_ = HeightPyramid::build(
      width_, height_,
      HeightPyramid::perCell<Range>(heights_.data(), width_, height_,
                                    [](float a, float b, float c, float d) {
                                      return Range{std::min(std::min(a, b), std::min(c, d)),
                                                   std::max(std::max(a, b), std::max(c, d))};
                                    }),
      merge);
}

HeightField HeightField::fromRgba8(unsigned char const* rgba, int width, int height) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("HeightField: size not positive");
  size_t const n = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<float> heights(n);
  for (size_t i = 0; i < n; ++i) heights[i] = static_cast<float>(rgba[i * 4 + 3]) / 255.0f;
  return HeightField(width, height, std::move(heights));
}

HeightField HeightField::fromGrey16(unsigned short const* grey, int width, int height) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("HeightField: size not positive");
  size_t const n = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<float> heights(n);
  for (size_t i = 0; i < n; ++i) heights[i] = static_cast<float>(grey[i]) / 65535.0f;
  return HeightField(width, height, std::move(heights));
}

float HeightField::texel(long x, long y) const {
  return heights_[static_cast<size_t>(wrapIndex(y, height_)) * static_cast<size_t>(width_) +
                  static_cast<size_t>(wrapIndex(x, width_))];
}

float HeightField::sample(float u, float v) const {
  float const x = wrapUnit(u) * static_cast<float>(width_) - 0.5f;
  float const y = wrapUnit(v) * static_cast<float>(height_) - 0.5f;
  float const x0 = std::floor(x), y0 = std::floor(y);
  float const fx = x - x0, fy = y - y0;
  // x lies in [-0.5, W - 0.5], so the left texel is in [-1, W - 1].
  int i0 = static_cast<int>(x0), j0 = static_cast<int>(y0);
  int i1 = i0 + 1, j1 = j0 + 1;
  if (i0 < 0) i0 += width_;
  if (i1 >= width_) i1 -= width_;
  if (j0 < 0) j0 += height_;
  if (j1 >= height_) j1 -= height_;
  float const* row0 = heights_.data() + static_cast<size_t>(j0) * static_cast<size_t>(width_);
  float const* row1 = heights_.data() + static_cast<size_t>(j1) * static_cast<size_t>(width_);
  float const top = row0[i0] + (row0[i1] - row0[i0]) * fx;
  float const bottom = row1[i0] + (row1[i1] - row1[i0]) * fx;
  return top + (bottom - top) * fy;
}

HeightField::Range HeightField::rangeOver(float u0, float v0, float u1, float v1) const {
  long x0 = 0, x1 = width_ - 1, y0 = 0, y1 = height_ - 1;  // kept where the span covers the axis
  cellSpan(u0, u1, width_, x0, x1);
  cellSpan(v0, v1, height_, y0, y1);
  Range r = cellRange(x0, y0, x1, y1);
  // The blend's rounding can leave a sample an ulp or two outside its texels.
  constexpr float slack = 1e-6f;
  return {r.min - slack, r.max + slack};
}

HeightField::Range HeightField::texelRange(long x0, long y0, long x1, long y1) const {
  // Level-0 cell i holds texels i and i + 1.
  return cellRange(x0, y0, std::max(x0, x1 - 1), std::max(y0, y1 - 1));
}

HeightField::Range HeightField::cellRange(long cx0, long cy0, long cx1, long cy1) const {
  return HeightPyramid::combined(levels_, cx0, cy0, cx1, cy1, merge);
}
