// CellWalk: visits, in order, the texel cells a straight ray passes over a wrapping height field, passing over the blocks its min-max pyramid rules out.
#pragma once

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>

#include "HeightField.h"

// A ray over the field in cell coordinates: at parameter t it lies at
// x = x0 + dx * t, y = y0 + dy * t, where x = u * width - 0.5 and y = v * height
// - 0.5. Cell (i, j) is the square [i, i + 1] x [j, j + 1]: there the bilinear
// lookup blends texels i, i + 1 and j, j + 1 (wrapping), with weights x - i and
// y - j. All of x0, y0, dx, dy must be finite.
struct CellRay {
  double x0, y0, dx, dy;
};

// One cell's stretch of the ray, t in [t0, t1].
struct CellSpan {
  double a, b, c, d;  // texels (i, j), (i + 1, j), (i, j + 1), (i + 1, j + 1)
  double fx, fy;      // the ray's place in the cell at t0: x - i, y - j
  double t0, t1;
};

enum class WalkEnd { Stopped, Finished, Cancelled };

// Walks the ray from t = tBegin to t = tEnd (tBegin <= tEnd) over the cells it
// passes, in order. At each step it takes the block of cells of the current
// pyramid level that holds the ray's current cell, and the stretch [tIn, tOut]
// of the ray inside that block. skip(range, tIn, tOut) (range: the pyramid's
// bounds over the block, which hold every bilinear sample in it) says whether
// nothing in the block can matter: the walk then moves to the block's far side
// and tries the next level up; otherwise it descends a level, and at level 0
// calls visit(span) for the one cell, which returns true to stop the walk.
//
// The cell indices are kept as integers and stepped across each boundary the
// ray crosses, so every cell the ray passes is visited (one the ray only
// touches at a corner may be visited with t0 == t1, which is harmless) and the
// walk always advances. A cell's stretch ends where the next one's begins: a
// visit that checks both ends of its stretch cannot lose a crossing exactly on
// a boundary.
//
// When cancel is given it is read every few hundred steps, a few microseconds
// apart; once it is true the walk returns Cancelled.
template <typename Skip, typename Visit>
WalkEnd walkCells(HeightField const& field, CellRay ray, double tBegin, double tEnd, std::atomic<bool> const* cancel,
                  bool useSkip, Skip&& skip, Visit&& visit) {
  int64_t const w = field.width(), h = field.height();
  int const top = field.levelCount() - 1;
  float const* texels = field.texels();

  // Move the ray's frame by whole repeats so that it starts inside the map:
  // the indices stay small, and so do the coordinates the cells are solved in.
  {
    double const x = ray.x0 + ray.dx * tBegin, y = ray.y0 + ray.dy * tBegin;
    ray.x0 -= std::floor(x / static_cast<double>(w)) * static_cast<double>(w);
    ray.y0 -= std::floor(y / static_cast<double>(h)) * static_cast<double>(h);
  }
  auto wrap = [](int64_t i, int64_t n) {
    int64_t const r = i % n;
    return r < 0 ? r + n : r;
  };
  double const inf = std::numeric_limits<double>::infinity();
  // Clamped into the map's neighbourhood, so that rounding cannot take the
  // conversion out of range.
  auto cellOf = [&](double p, int64_t n) {
    return static_cast<int64_t>(std::floor(std::clamp(p, -1.0, static_cast<double>(n))));
  };
  int64_t ci = cellOf(ray.x0 + ray.dx * tBegin, w), cj = cellOf(ray.y0 + ray.dy * tBegin, h);
  int64_t wi = wrap(ci, w), wj = wrap(cj, h);

  double t = tBegin;
  int level = 0;
  unsigned steps = 0;
  for (;;) {
    if (cancel && (++steps & 255u) == 0 && cancel->load(std::memory_order_relaxed)) return WalkEnd::Cancelled;

    // The block holding the cell, as cell ranges [xlo, xhi) x [ylo, yhi) in the
    // ray's (unwrapped) frame; blocks at the map's far edges may be narrower.
    int64_t const bx = wi >> level, by = wj >> level;
    int64_t const xlo = ci - wi + (bx << level), xhi = ci - wi + std::min<int64_t>((bx + 1) << level, w);
    int64_t const ylo = cj - wj + (by << level), yhi = cj - wj + std::min<int64_t>((by + 1) << level, h);
    double const tx = ray.dx > 0.0   ? (static_cast<double>(xhi) - ray.x0) / ray.dx
                      : ray.dx < 0.0 ? (static_cast<double>(xlo) - ray.x0) / ray.dx
                                     : inf;
    double const ty = ray.dy > 0.0   ? (static_cast<double>(yhi) - ray.y0) / ray.dy
                      : ray.dy < 0.0 ? (static_cast<double>(ylo) - ray.y0) / ray.dy
                                     : inf;
    bool const last = tEnd <= std::min(tx, ty);
    double const tOut = std::max(t, std::min(std::min(tx, ty), tEnd));

    bool skipped = false;
    if (useSkip) {
      HeightField::Range const r = field.levelCells(level)[by * field.levelWidth(level) + bx];
      skipped = skip(r, t, tOut);
    }
    if (!skipped) {
      if (level > 0) {
        --level;
        continue;
      }
      size_t const row0 = static_cast<size_t>(wj * w), row1 = static_cast<size_t>((wj + 1 == h ? 0 : wj + 1) * w);
      size_t const col0 = static_cast<size_t>(wi), col1 = static_cast<size_t>(wi + 1 == w ? 0 : wi + 1);
      CellSpan const span{texels[row0 + col0],
                          texels[row0 + col1],
                          texels[row1 + col0],
                          texels[row1 + col1],
                          ray.x0 - static_cast<double>(ci) + ray.dx * t,
                          ray.y0 - static_cast<double>(cj) + ray.dy * t,
                          t,
                          tOut};
      if (visit(span)) return WalkEnd::Stopped;
    }
    if (last) return WalkEnd::Finished;

    // Step out of the block across the side(s) the ray leaves by. Along the
    // other axis the ray stays within the block's range and never goes back.
    auto within = [&](double p, int64_t lo, int64_t hi, int64_t from, double dir) {
      if (level == 0 || dir == 0.0) return from;
      auto const c = static_cast<int64_t>(std::floor(std::clamp(p, static_cast<double>(lo), static_cast<double>(hi - 1))));
      return dir > 0.0 ? std::max(from, c) : std::min(from, c);
    };
    int64_t const nci = tx <= ty ? (ray.dx > 0.0 ? xhi : xlo - 1) : within(ray.x0 + ray.dx * tOut, xlo, xhi, ci, ray.dx);
    int64_t const ncj = ty <= tx ? (ray.dy > 0.0 ? yhi : ylo - 1) : within(ray.y0 + ray.dy * tOut, ylo, yhi, cj, ray.dy);
    wi += nci - ci;
    wj += ncj - cj;
    if (wi < 0) wi += w;
    if (wi >= w) wi -= w;
    if (wj < 0) wj += h;
    if (wj >= h) wj -= h;
    ci = nci;
    cj = ncj;
    t = tOut;
    if (skipped && level < top) ++level;
  }
}
