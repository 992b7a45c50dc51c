// HeightPyramid: the one builder of the pyramids over a height map's bilinear cells: a base level of one value per cell, then levels that each combine 2 x 2 cells of the one below, up to one cell.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

// One level: w x h cells, row by row.
template <typename T>
struct PyramidLevel {
  int w, h;
  std::vector<T> cells;

  T const& at(long x, long y) const { return cells[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)]; }
};

namespace HeightPyramid {

// How the levels meet the map's far edges.
enum class Edge {
  // Level L + 1 is ceil(w / 2) x ceil(h / 2) cells of level L; a cell at the
  // far edge combines only the cells below it that exist. Cell (I, J) of level
  // L then covers the base cells [I * 2^L, (I + 1) * 2^L) of each axis,
  // clipped at the map's edge.
  Clip,
  // The base is first padded with `fill` out to powers of two each way, then
  // halved as with Clip, so that every level is exactly half the one below
  // (one cell wide or high once it gets there).
  PadToPowerOfTwo,
};

// The smallest power of two at least n (n >= 1).
inline long powerOfTwoAtLeast(long n) {
  long p = 1;
  while (p < n) p *= 2;
  return p;
}

// One value per bilinear cell of a w x h map of texels (row by row, wrapping):
// cell (i, j) is f(t(i, j), t(i + 1, j), t(i, j + 1), t(i + 1, j + 1)).
template <typename T, typename F>
std::vector<T> perCell(float const* texels, int w, int h, F f) {
  std::vector<T> out(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (int j = 0; j < h; ++j) {
    float const* row0 = texels + static_cast<size_t>(j) * static_cast<size_t>(w);
    float const* row1 = texels + static_cast<size_t>(j + 1 == h ? 0 : j + 1) * static_cast<size_t>(w);
    T* o = out.data() + static_cast<size_t>(j) * static_cast<size_t>(w);
    for (int i = 0; i < w; ++i) {
      int const i1 = i + 1 == w ? 0 : i + 1;
      o[i] = f(row0[i], row0[i1], row1[i], row1[i1]);
    }
  }
  return out;
}

// The levels from `base` (w x h values, w, h >= 1) up to a level of one cell;
// combine(a, b) merges two cells' values (associative and commutative, as min
// and max are).
template <typename T, typename Combine>
std::vector<PyramidLevel<T>> build(int w, int h, std::vector<T> base, Combine combine, Edge edge = Edge::Clip,
                                   T fill = T{}) {
  std::vector<PyramidLevel<T>> levels;
  if (edge == Edge::PadToPowerOfTwo) {
    int const pw = static_cast<int>(powerOfTwoAtLeast(w)), ph = static_cast<int>(powerOfTwoAtLeast(h));
    if (pw != w || ph != h) {
      std::vector<T> padded(static_cast<size_t>(pw) * static_cast<size_t>(ph), fill);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          padded[static_cast<size_t>(y) * static_cast<size_t>(pw) + static_cast<size_t>(x)] =
              base[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
      base = std::move(padded);
      w = pw;
      h = ph;
    }
  }
  levels.push_back({w, h, std::move(base)});
  while (levels.back().w > 1 || levels.back().h > 1) {
    PyramidLevel<T> const& fine = levels.back();
    PyramidLevel<T> coarse{(fine.w + 1) / 2, (fine.h + 1) / 2, {}};
    coarse.cells.resize(static_cast<size_t>(coarse.w) * static_cast<size_t>(coarse.h));
    for (int j = 0; j < coarse.h; ++j) {
      int const y0 = 2 * j, y1 = 2 * j + 1 < fine.h ? 2 * j + 1 : 2 * j;
      for (int i = 0; i < coarse.w; ++i) {
        int const x0 = 2 * i, x1 = 2 * i + 1 < fine.w ? 2 * i + 1 : 2 * i;
        T v = fine.at(x0, y0);
        if (x1 != x0) v = combine(v, fine.at(x1, y0));
        if (y1 != y0) {
          v = combine(v, fine.at(x0, y1));
          if (x1 != x0) v = combine(v, fine.at(x1, y1));
        }
        coarse.cells[static_cast<size_t>(j) * static_cast<size_t>(coarse.w) + static_cast<size_t>(i)] = v;
      }
    }
    levels.push_back(std::move(coarse));
  }
  return levels;
}

// An inclusive index range [lo, hi] of any integers, folded into [0, n) as at
// most two ranges that do not wrap. Returns how many.
inline int splitWrapped(long lo, long hi, long n, long (&out)[2][2]) {
  if (hi - lo + 1 >= n) {
    out[0][0] = 0;
    out[0][1] = n - 1;
    return 1;
  }
  long a = lo % n;
  if (a < 0) a += n;
  long const b = a + (hi - lo);
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

// The base cells [x0, x1] x [y0, y1] (inside the map, none of the ranges
// wrapping) combined, from the finest level of a clipped pyramid where they
// touch at most 16 cells: a long thin range stays thin instead of growing to a
// square. Conservative: the cells of that level may cover more than the range.
template <typename T, typename Combine>
T combinedInside(std::vector<PyramidLevel<T>> const& levels, long x0, long y0, long x1, long y1, Combine combine) {
  constexpr long maxCells = 16;
  size_t level = 0;
  while (level + 1 < levels.size() &&
         ((x1 >> level) - (x0 >> level) + 1) * ((y1 >> level) - (y0 >> level) + 1) > maxCells)
    ++level;
  PyramidLevel<T> const& l = levels[level];
  T v = l.at(x0 >> level, y0 >> level);
  for (long j = y0 >> level; j <= (y1 >> level); ++j)
    for (long i = x0 >> level; i <= (x1 >> level); ++i) v = combine(v, l.at(i, j));
  return v;
}

// The same over base cells [x0, x1] x [y0, y1] of any integers (x0 <= x1,
// y0 <= y1), wrapping around the map: from at most 16 cells of one level for
// each of the up to four pieces the wrap cuts the range into.
template <typename T, typename Combine>
T combined(std::vector<PyramidLevel<T>> const& levels, long x0, long y0, long x1, long y1, Combine combine) {
  long xs[2][2], ys[2][2];
  int const nx = splitWrapped(x0, x1, levels[0].w, xs);
  int const ny = splitWrapped(y0, y1, levels[0].h, ys);
  T v = combinedInside(levels, xs[0][0], ys[0][0], xs[0][1], ys[0][1], combine);
  for (int a = 0; a < nx; ++a)
    for (int b = 0; b < ny; ++b)
      if (a + b > 0) v = combine(v, combinedInside(levels, xs[a][0], ys[b][0], xs[a][1], ys[b][1], combine));
  return v;
}

}  // namespace HeightPyramid
