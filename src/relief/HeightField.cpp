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

// An inclusive index range [lo, hi] of any integers, folded into [0, n) as at
// most two ranges that do not wrap. Returns how many.
int splitWrapped(long lo, long hi, long n, long (&out)[2][2]) {
  if (hi - lo + 1 >= n) {
    out[0][0] = 0;
    out[0][1] = n - 1;
    return 1;
  }
  long const a = wrapIndex(lo, n), b = a + (hi - lo);
  out[0][0] = a;
  if (b < n) {
    out[0][1] = b;
    return 1;
  }
  out[0][1] = n - 1;
  out[1][0] = 0;
  out[1][1] = b - n;
  return 2;
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
  buildPyramid();
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
  long xs[2][2], ys[2][2];
  int const nx = splitWrapped(cx0, cx1, width_, xs);
  int const ny = splitWrapped(cy0, cy1, height_, ys);
  Range r = cellRangeInside(xs[0][0], ys[0][0], xs[0][1], ys[0][1]);
  for (int a = 0; a < nx; ++a)
    for (int b = 0; b < ny; ++b)
      if (a + b > 0) r = merge(r, cellRangeInside(xs[a][0], ys[b][0], xs[a][1], ys[b][1]));
  return r;
}

HeightField::Range HeightField::cellRangeInside(long x0, long y0, long x1, long y1) const {
  // The finest level where the range touches at most maxCells cells: a long thin
  // range (a ray's run of steps) stays thin instead of growing to a square.
  constexpr long maxCells = 16;
  size_t level = 0;
  while (level + 1 < levels_.size() &&
         ((x1 >> level) - (x0 >> level) + 1) * ((y1 >> level) - (y0 >> level) + 1) > maxCells)
    ++level;
  Level const& l = levels_[level];
  Range r{1.0f, 0.0f};
  for (long j = y0 >> level; j <= (y1 >> level); ++j)
    for (long i = x0 >> level; i <= (x1 >> level); ++i)
      r = merge(r, l.cells[static_cast<size_t>(j) * static_cast<size_t>(l.w) + static_cast<size_t>(i)]);
  return r;
}

void HeightField::buildPyramid() {
  Level base{width_, height_, std::vector<Range>(heights_.size())};
  for (int j = 0; j < height_; ++j)
    for (int i = 0; i < width_; ++i) {
      float const a = texel(i, j), b = texel(i + 1, j), c = texel(i, j + 1), d = texel(i + 1, j + 1);
      base.cells[static_cast<size_t>(j) * static_cast<size_t>(width_) + static_cast<size_t>(i)] = {
          std::min(std::min(a, b), std::min(c, d)), std::max(std::max(a, b), std::max(c, d))};
    }
  levels_.push_back(std::move(base));
  while (levels_.back().w > 1 || levels_.back().h > 1) {
    Level const& fine = levels_.back();
    Level coarse{(fine.w + 1) / 2, (fine.h + 1) / 2, {}};
    coarse.cells.resize(static_cast<size_t>(coarse.w) * static_cast<size_t>(coarse.h));
    for (int j = 0; j < coarse.h; ++j)
      for (int i = 0; i < coarse.w; ++i) {
        Range r{1.0f, 0.0f};
        for (int y = 2 * j; y < std::min(2 * j + 2, fine.h); ++y)
          for (int x = 2 * i; x < std::min(2 * i + 2, fine.w); ++x)
            r = merge(r, fine.cells[static_cast<size_t>(y) * static_cast<size_t>(fine.w) + static_cast<size_t>(x)]);
        coarse.cells[static_cast<size_t>(j) * static_cast<size_t>(coarse.w) + static_cast<size_t>(i)] = r;
      }
    levels_.push_back(std::move(coarse));
  }
}
