// ConeBounds: the numbers a cone ratio is made of (each texel's footprint, each cell's top, the falling test, the bound a cell sets), shared by the brute-force and the pyramid generators so that they agree to the bit.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "ConeMap.h"
#include "HeightField.h"

namespace ConeBounds {

// A double as a float no larger than it.
inline float roundDown(double v) {
  float const f = static_cast<float>(v);
  if (!(static_cast<double>(f) > v)) return f;
  if (!(f > 0.0f) || std::isinf(f)) return std::nextafter(f, -std::numeric_limits<float>::infinity());
  // The next float down from a positive finite one: its bits less one.
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  --bits;
  float down;
  std::memcpy(&down, &bits, sizeof down);
  return down;
}

// The gap in texels between a footprint and the cell at offset o along an
// axis: max(0, |o + 1/2| - 1), exact in a float.
inline float gap(long o) {
  return o >= 1 ? static_cast<float>(2 * o - 1) * 0.5f : o <= -2 ? static_cast<float>(-2 * o - 3) * 0.5f : 0.0f;
}
// The smallest gap over the offsets [o0, o1].
inline float gapOver(long o0, long o1) { return o1 <= -2 ? gap(o1) : o0 >= 1 ? gap(o0) : 0.0f; }

// The cells around a footprint that the slope bound covers.
inline bool isNear(long ox, long oy) { return ox >= -2 && ox <= 1 && oy >= -2 && oy <= 1; }

// What a texel's bounds start from: low_p, and 1 / L_p rounded down
// (infinity where the 16 cells around are level).
struct Footprint {
  float low;
  float nearRatio;
};

// The field's cells and texels as the definitions in ConeMap.h use them.
class Geometry {
public:
  Geometry(HeightField const& field, ConeMap::Kind kind)
      : texels_(field.texels()), cells_(field.levelCells(0)), w_(field.width()), h_(field.height()),
        maskW_((w_ & (w_ - 1)) == 0 ? w_ - 1 : -1), maskH_((h_ & (h_ - 1)) == 0 ? h_ - 1 : -1), kind_(kind),
        invW_(1.0 / static_cast<double>(field.width())), invH_(1.0 / static_cast<double>(field.height())) {}

  long width() const { return w_; }
  long height() const { return h_; }
  ConeMap::Kind kind() const { return kind_; }
  // The offsets whose cells count, each axis: [-size - 1, size].
  long lowX() const { return -w_ - 1; }
  long highX() const { return w_; }
  long lowY() const { return -h_ - 1; }
  long highY() const { return h_; }

  // i wrapped into [0, n), quickly when it lies within two maps' widths of it.
  static long wrap(long i, long n) {
    if (i >= 0 && i < n) return i;
    if (i < 0 && i >= -2 * n) return i + (i >= -n ? n : 2 * n);
    if (i >= n && i < 3 * n) return i - (i < 2 * n ? n : 2 * n);
    long const r = i % n;
    return r < 0 ? r + n : r;
  }
  long wrapX(long x) const { return maskW_ >= 0 ? x & maskW_ : wrap(x, w_); }
  long wrapY(long y) const { return maskH_ >= 0 ? y & maskH_ : wrap(y, h_); }
  float texel(long x, long y) const {
    return texels_[static_cast<size_t>(wrapY(y)) * static_cast<size_t>(w_) + static_cast<size_t>(wrapX(x))];
  }
  // top_c of the cell at (x, y), any integers.
  float top(long x, long y) const {
    return cells_[static_cast<size_t>(wrapY(y)) * static_cast<size_t>(w_) + static_cast<size_t>(wrapX(x))].max;
  }

  Footprint footprint(long px, long py) const {
    double steepest = 0.0;  // the largest G_x^2 + G_y^2 of the 16 cells
    for (long cy = py - 2; cy <= py + 1; ++cy)
      for (long cx = px - 2; cx <= px + 1; ++cx)
        steepest = std::max(steepest, steepness(texel(cx, cy), texel(cx + 1, cy), texel(cx, cy + 1), texel(cx + 1, cy + 1)));
    double t[3][3];
    for (long dy = -1; dy <= 1; ++dy)
      for (long dx = -1; dx <= 1; ++dx) t[dy + 1][dx + 1] = texel(px + dx, py + dy);
    return {lowOf(t), nearRatioOf(steepest)};
  }

  // footprint(x, y) for every x of the rows [y0, y0 + rows), row by row into
  // out (W to a row): the same numbers from the same arithmetic, with each
  // cell's steepness found once rather than for each of 16 texels. scratch is
  // any vector, reused between calls.
  void footprintRows(long y0, long rows, Footprint* out, std::vector<double>& scratch) const {
    size_t const w = static_cast<size_t>(w_), cellRows = static_cast<size_t>(rows + 3);
    // scratch[r * W + x]: the steepness of cell (x, y0 - 2 + r).
    scratch.resize(cellRows * w);
    for (size_t r = 0; r < cellRows; ++r) {
      float const* r0 = row(y0 - 2 + static_cast<long>(r));
      float const* r1 = row(y0 - 1 + static_cast<long>(r));
      double* o = scratch.data() + r * w;
      for (size_t x = 0; x < w; ++x) {
        size_t const x1 = x + 1 == w ? 0 : x + 1;
        o[x] = steepness(r0[x], r0[x1], r1[x], r1[x1]);
      }
    }
    std::vector<double> column(w);
    for (long y = 0; y < rows; ++y) {
      // The steepest of the 4 cells (x, y - 2 .. y + 1) for each x.
      double const* s = scratch.data() + static_cast<size_t>(y) * w;
      for (size_t x = 0; x < w; ++x) column[x] = std::max(std::max(s[x], s[x + w]), std::max(s[x + 2 * w], s[x + 3 * w]));
      float const* rows3[3] = {row(y0 + y - 1), row(y0 + y), row(y0 + y + 1)};
      Footprint* o = out + static_cast<size_t>(y) * w;
      for (size_t x = 0; x < w; ++x) {
        size_t const xm2 = static_cast<size_t>(wrapX(static_cast<long>(x) - 2)), xm1 = static_cast<size_t>(wrapX(static_cast<long>(x) - 1));
        size_t const xp1 = x + 1 == w ? 0 : x + 1;
        double const steepest = std::max(std::max(column[xm2], column[xm1]), std::max(column[x], column[xp1]));
        double t[3][3];
        for (int j = 0; j < 3; ++j) {
          t[j][0] = rows3[j][xm1];
          t[j][1] = rows3[j][x];
          t[j][2] = rows3[j][xp1];
        }
        o[x] = {lowOf(t), nearRatioOf(steepest)};
      }
    }
  }

  // Relaxed cones: whether the surface may fall away from the footprint in
  // the cell at (x, y), offset (ox, oy) from it (see ConeMap.h). In double,
  // where the slopes and their products with the half-texel offsets are exact
  // for the heights maps hold (multiples of 1/65535 or coarser) and rounded
  // to the nearest otherwise; a sum within a trillionth of its terms' size of
  // 0 counts as falling, so that such rounding can only narrow a cone.
  bool falls(long x, long y, long ox, long oy) const {
    double const a = texel(x, y), b = texel(x + 1, y), c = texel(x, y + 1), d = texel(x + 1, y + 1);
    double const fx = lowestProduct(b - a, d - c, static_cast<double>(ox) - 0.5, static_cast<double>(ox) + 1.5);
    double const fy = lowestProduct(c - a, d - b, static_cast<double>(oy) - 0.5, static_cast<double>(oy) + 1.5);
    return fx + fy < 1e-12 * (std::fabs(fx) + std::fabs(fy));
  }

  // Whether the cell at (x, y), offset (ox, oy), of top `top` counts for a
  // footprint whose lowest height is `low`.
  bool counts(long x, long y, long ox, long oy, float top, float low) const {
    return top > low && (kind_ == ConeMap::Kind::Conservative || falls(x, y, ox, oy));
  }

  // The bound a counting cell at offset (ox, oy) of top `top` sets.
  float bound(Footprint const& p, long ox, long oy, float top) const {
    double const gx = static_cast<double>(gap(ox)) * invW_, gy = static_cast<double>(gap(oy)) * invH_;
    double far = std::sqrt(gx * gx + gy * gy) / (static_cast<double>(top) - static_cast<double>(p.low));
    if (isNear(ox, oy)) far = std::max(far, static_cast<double>(p.nearRatio));
    return roundDown(far);
  }

private:
  // The smallest s * d over s between s0 and s1 and d between d0 and d1.
  static double lowestProduct(double s0, double s1, double d0, double d1) {
    return std::min(std::min(s0 * d0, s0 * d1), std::min(s1 * d0, s1 * d1));
  }

  float const* row(long y) const { return texels_ + static_cast<size_t>(wrapY(y)) * static_cast<size_t>(w_); }

  // G_x^2 + G_y^2 of the cell with texels a, b, c, d.
  double steepness(double a, double b, double c, double d) const {
    double const gx = static_cast<double>(w_) * std::max(std::fabs(b - a), std::fabs(d - c));
    double const gy = static_cast<double>(h_) * std::max(std::fabs(c - a), std::fabs(d - b));
    return gx * gx + gy * gy;
  }
  static float nearRatioOf(double steepest) {
    return steepest > 0.0 ? roundDown(1.0 / std::sqrt(steepest)) : std::numeric_limits<float>::infinity();
  }

  // low_p from the texels around p, t[dy + 1][dx + 1]: the lowest of the
  // heights at the corners of S_p's quarters, each the mean of the texels it
  // lies between (the centre, the four edge midpoints, the four corners).
  static float lowOf(double const (&t)[3][3]) {
    double const c = t[1][1];
    double lowest = c;
    lowest = std::min(lowest, (t[1][0] + c) / 2);
    lowest = std::min(lowest, (c + t[1][2]) / 2);
    lowest = std::min(lowest, (t[0][1] + c) / 2);
    lowest = std::min(lowest, (c + t[2][1]) / 2);
    lowest = std::min(lowest, (((t[0][0] + t[0][1]) + t[1][0]) + c) / 4);
    lowest = std::min(lowest, (((t[0][1] + t[0][2]) + c) + t[1][2]) / 4);
    lowest = std::min(lowest, (((t[1][0] + c) + t[2][0]) + t[2][1]) / 4);
    lowest = std::min(lowest, (((c + t[1][2]) + t[2][1]) + t[2][2]) / 4);
    return roundDown(lowest);
  }

  float const* texels_;
  HeightField::Range const* cells_;
  long w_, h_;
  long maskW_, maskH_;  // size - 1 for a power of two, else -1
  ConeMap::Kind kind_;
  double invW_, invH_;
};

}  // namespace ConeBounds
