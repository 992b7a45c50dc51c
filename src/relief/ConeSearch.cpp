// ConeSearch: the falling tops and slopes from the field's texels, and the tile search with its seeds, its window, its roots and its lane tests.
#include "ConeSearch.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using ConeBounds::Footprint;
using ConeBounds::Geometry;

namespace ConeSearch {

namespace {

// floor(x / n) for n > 0.
long floorDiv(long x, long n) { return x >= 0 ? x / n : -((-x - 1) / n) - 1; }

Block merged(Block a, Block const& b) {
  for (int k = 0; k < 4; ++k) a.top[k] = std::max(a.top[k], b.top[k]);
  a.slopeX[0] = std::min(a.slopeX[0], b.slopeX[0]);
  a.slopeX[1] = std::max(a.slopeX[1], b.slopeX[1]);
  a.slopeY[0] = std::min(a.slopeY[0], b.slopeY[0]);
  a.slopeY[1] = std::max(a.slopeY[1], b.slopeY[1]);
  return a;
}

// One cell for relaxed cones. Along a direction of quadrant (sx, sy) the
// patch only rises where both its x slopes have sx's sign (or are 0) and both
// its y slopes sy's. A cell that falls for some direction from a footprint
// falls in one of the quadrants those directions touch: were it rising in all
// of them, each term of the falling test would be >= 0. The slopes are float
// differences, within an ulp or so of the exact ones; the tests that read
// them leave room for that.
Block fallingOf(float a, float b, float c, float d) {
  float const top = std::max(std::max(a, b), std::max(c, d));
  bool const upX = b >= a && d >= c, downX = b <= a && d <= c, upY = c >= a && d >= b, downY = c <= a && d <= b;
  return {{upX && upY ? -1.0f : top, downX && upY ? -1.0f : top, upX && downY ? -1.0f : top, downX && downY ? -1.0f : top},
          {std::min(b - a, d - c), std::max(b - a, d - c)},
          {std::min(c - a, d - b), std::max(c - a, d - b)}};
}

// A node's bound and a cell's prefilter test the square of the bound against
// the square of the best with this margin, far above the float rounding of
// either side, so that nothing that could beat the best is ever dropped.
constexpr float margin = 1.0001f;

// Blocks of 2 x 2 cells are searched cell by cell.
constexpr int leafLevel = 1;

// One bit per lane of eight flags, each -1 (set) or 0.
inline unsigned bitsOf(int32_t const (&flags)[8]) {
#if defined(__SSE2__)
  __m128 const lo = _mm_castsi128_ps(_mm_load_si128(reinterpret_cast<__m128i const*>(flags)));
  __m128 const hi = _mm_castsi128_ps(_mm_load_si128(reinterpret_cast<__m128i const*>(flags + 4)));
  return static_cast<unsigned>(_mm_movemask_ps(lo)) | static_cast<unsigned>(_mm_movemask_ps(hi)) << 4;
#else
  unsigned bits = 0;
  for (int c = 0; c < 8; ++c) bits |= (static_cast<unsigned>(flags[c]) & 1u) << c;
  return bits;
#endif
}

}  // namespace

Tops::Tops(HeightField const& field, ConeMap::Kind kind)
    : field_(field), w_(field.width()), h_(field.height()), relaxed_(kind == ConeMap::Kind::Relaxed) {
  int const levels = field.levelCount();
  highest_ = field.levelCells(levels - 1)[0].max;
  everything_ = {{highest_, highest_, highest_, highest_}, {-1.0f, 1.0f}, {-1.0f, 1.0f}};
  if (relaxed_ && levels >= 2) {
    int const w = field.width(), h = field.height(), cw = (w + 1) / 2, ch = (h + 1) / 2;
    float const* t = field.texels();
    auto texel = [&](int x, int y) { return t[static_cast<size_t>(y % h) * static_cast<size_t>(w) + static_cast<size_t>(x % w)]; };
    std::vector<Block> base(static_cast<size_t>(cw) * static_cast<size_t>(ch));
    for (int j = 0; j < ch; ++j)
      for (int i = 0; i < cw; ++i) {
        Block q = fallingOf(texel(2 * i, 2 * j), texel(2 * i + 1, 2 * j), texel(2 * i, 2 * j + 1), texel(2 * i + 1, 2 * j + 1));
        for (int y = 2 * j; y < std::min(2 * j + 2, h); ++y)
          for (int x = 2 * i; x < std::min(2 * i + 2, w); ++x)
            q = merged(q, fallingOf(texel(x, y), texel(x + 1, y), texel(x, y + 1), texel(x + 1, y + 1)));
        base[static_cast<size_t>(j) * static_cast<size_t>(cw) + static_cast<size_t>(i)] = q;
      }
    falling_ = HeightPyramid::build(cw, ch, std::move(base), merged);
    everything_ = falling_.back().cells[0];
    highest_ = std::max(std::max(everything_.top[0], everything_.top[1]), std::max(everything_.top[2], everything_.top[3]));
  }
  for (int level = 0; (1L << level) < w_ || (1L << level) < h_ || level == 0; ++level) {
    long const side = 1L << level;
    Stored s{level < levels && w_ % side == 0 && h_ % side == 0, 0, 0, -1, -1, nullptr, nullptr};
    if (s.tiles) {
      s.w = w_ / side;
      s.h = h_ / side;
      s.maskW = (s.w & (s.w - 1)) == 0 ? s.w - 1 : -1;
      s.maskH = (s.h & (s.h - 1)) == 0 ? s.h - 1 : -1;
      s.plain = field.levelCells(level);
      if (level >= 1 && !falling_.empty()) s.falling = falling_[static_cast<size_t>(level - 1)].cells.data();
    }
    stored_.push_back(s);
  }
}

Block Tops::unstored(int level, long bx, long by) const {
  // The cells the block covers, through the wrapped range query.
  long const side = 1L << level, x0 = bx * side, y0 = by * side, x1 = x0 + side - 1, y1 = y0 + side - 1;
  if (falling_.empty()) {
    float const top = field_.texelRange(x0, y0, x1 + 1, y1 + 1).max;
    return {{top, top, top, top}, {-1.0f, 1.0f}, {-1.0f, 1.0f}};
  }
  long xs[2][2], ys[2][2];
  int const nx = HeightPyramid::splitWrapped(x0, x1, w_, xs), ny = HeightPyramid::splitWrapped(y0, y1, h_, ys);
  Block b = HeightPyramid::combinedInside(falling_, xs[0][0] / 2, ys[0][0] / 2, xs[0][1] / 2, ys[0][1] / 2, merged);
  for (int i = 0; i < nx; ++i)
    for (int j = 0; j < ny; ++j)
      if (i + j > 0)
        b = merged(b, HeightPyramid::combinedInside(falling_, xs[i][0] / 2, ys[j][0] / 2, xs[i][1] / 2, ys[j][1] / 2, merged));
  return b;
}

TileSearch::TileSearch(Geometry const& g, Tops const& tops)
    : g_(g), tops_(tops), invW_(1.0f / static_cast<float>(g.width())), invH_(1.0f / static_cast<float>(g.height())) {
  stack_.reserve(512);
  limiters_.reserve(lanes);
}

void TileSearch::run(long x0, long y0, Footprint const* footprints, float* out, std::vector<Cell> const& seeds) {
  long const w = g_.width(), h = g_.height();
  x0_ = x0;
  y0_ = y0;
  valid_ = 0;
  float const highest = tops_.highest();
  for (int i = 0; i < lanes; ++i) {
    long const px = x0 + i % side, py = y0 + i / side;
    limited_[i] = false;
    best_[i] = 1.0f;
    if (px < w && py < h) {
      fp_[i] = footprints[static_cast<size_t>((py - y0) * w + px)];
      // No texel is limited unless some cell that counts rises above it.
      if (highest > fp_[i].low) valid_ |= uint64_t{1} << i;
    }
    // A lane outside the map or with nothing above it never passes a test.
    bool const valid = valid_ >> i & 1u;
    low_[i] = valid ? fp_[i].low : 2.0f;
    best2_[i] = valid ? margin : 0.0f;
  }
  lowest_ = *std::min_element(low_, low_ + lanes);
  widest_ = margin;
  if (valid_) {
    // Neighbouring texels are mostly limited by the same features: the seeds,
    // tried first, usually give tight bests at once, and low bests prune most
    // of the search. Any cell's bound is a true candidate, so the minima found
    // stay exactly the same. Nearest the tile's centre first: of two seeds the
    // nearer is the likelier to be the better, and each exact bound that
    // lowers a best costs one.
    seeds_ = seeds;
    auto away = [&](Cell const& c) {
      float const dx = (static_cast<float>(c.x - x0_) - 3.5f) * invW_, dy = (static_cast<float>(c.y - y0_) - 3.5f) * invH_;
      return dx * dx + dy * dy;
    };
    std::sort(seeds_.begin(), seeds_.end(), [&](Cell const& a, Cell const& b) { return away(a) < away(b); });
    for (Cell const& c : seeds_) tryCell(c.x, c.y, valid_);

    // The cells any texel can still gain from: no cell whose gap is at least
    // best * (highest - low) can beat the best.
    wx0_ = wy0_ = std::numeric_limits<long>::max();
    wx1_ = wy1_ = std::numeric_limits<long>::min();
    for (int i = 0; i < lanes; ++i) {
      if (!(valid_ >> i & 1u)) continue;
      long const px = x0 + i % side, py = y0 + i / side;
      double const reach = static_cast<double>(best_[i]) * (static_cast<double>(highest) - fp_[i].low) * 1.0001 + 1e-9;
      long const rx = static_cast<long>(std::min(reach * static_cast<double>(w), 1e9));
      long const ry = static_cast<long>(std::min(reach * static_cast<double>(h), 1e9));
      wx0_ = std::min(wx0_, px + std::max(g_.lowX(), -rx - 2));
      wx1_ = std::max(wx1_, px + std::min(g_.highX(), rx + 1));
      wy0_ = std::min(wy0_, py + std::max(g_.lowY(), -ry - 2));
      wy1_ = std::max(wy1_, py + std::min(g_.highY(), ry + 1));
    }
    // The roots: the blocks of the lowest level that spans that window in a
    // block or two each way.
    int level = 0;
    while ((1L << level) < wx1_ - wx0_ + 1 || (1L << level) < wy1_ - wy0_ + 1) ++level;
    long const rootSide = 1L << level;
    stack_.clear();
    for (long by = floorDiv(wy0_, rootSide); by <= floorDiv(wy1_, rootSide); ++by)
      for (long bx = floorDiv(wx0_, rootSide); bx <= floorDiv(wx1_, rootSide); ++bx) {
        Block const t = tops_.at(level, bx, by);
        long const cx0 = std::max(wx0_, bx * rootSide), cx1 = std::min(wx1_, bx * rootSide + rootSide - 1);
        long const cy0 = std::max(wy0_, by * rootSide), cy1 = std::min(wy1_, by * rootSide + rootSide - 1);
        uint64_t const gain = passing(cx0, cy0, cx1, cy1, t, valid_);
        if (gain) stack_.push_back({level, bx, by, gain});
      }
    // Depth first, the nearest block first.
    while (!stack_.empty()) {
      Node const n = stack_.back();
      stack_.pop_back();
      if (n.level <= leafLevel) {
        long const s = 1L << n.level;
        for (long y = std::max(wy0_, n.by * s); y <= std::min(wy1_, n.by * s + s - 1); ++y)
          for (long x = std::max(wx0_, n.bx * s); x <= std::min(wx1_, n.bx * s + s - 1); ++x) tryCell(x, y, n.lanes);
        continue;
      }
      push(n);
    }
  }
  limiters_.clear();
  for (int i = 0; i < lanes; ++i) {
    long const px = x0 + i % side, py = y0 + i / side;
    if (px >= w || py >= h) continue;
    out[static_cast<size_t>(py * w + px)] = valid_ >> i & 1u ? best_[i] : 1.0f;
    if (!limited_[i]) continue;
    Cell const c{limitX_[i], limitY_[i]};
    if (std::none_of(limiters_.begin(), limiters_.end(), [&](Cell const& d) { return d.x == c.x && d.y == c.y; }))
      limiters_.push_back(c);
  }
}

// The children of a node that some texel may gain from, nearest to the tile
// last onto the stack so that they come off first.
void TileSearch::push(Node const& n) {
  struct Kid {
    Node node;
    float key;  // the squared gap between the tile and the block
  };
  Kid kids[4];
  int count = 0;
  int const level = n.level - 1;
  long const s = 1L << level;
  for (int c = 0; c < 4; ++c) {
    long const bx = 2 * n.bx + (c & 1), by = 2 * n.by + (c >> 1);
    long const cx0 = std::max(wx0_, bx * s), cx1 = std::min(wx1_, bx * s + s - 1);
    long const cy0 = std::max(wy0_, by * s), cy1 = std::min(wy1_, by * s + s - 1);
    if (cx0 > cx1 || cy0 > cy1) continue;
    uint64_t const gain = passing(cx0, cy0, cx1, cy1, tops_.at(level, bx, by), n.lanes);
    if (!gain) continue;
    float const gx = static_cast<float>(std::max({0L, cx0 - (x0_ + side), x0_ - 1 - cx1})) * invW_;
    float const gy = static_cast<float>(std::max({0L, cy0 - (y0_ + side), y0_ - 1 - cy1})) * invH_;
    kids[count++] = {{level, bx, by, gain}, gx * gx + gy * gy};
  }
  for (int c = 1; c < count; ++c)
    for (int k = c; k > 0 && kids[k].key > kids[k - 1].key; --k) std::swap(kids[k], kids[k - 1]);
  for (int c = 0; c < count; ++c) stack_.push_back(kids[c].node);
}

// The lanes among `among` whose texel may gain from the cells [cx0, cx1] x
// [cy0, cy1] (unwrapped) with the block's tops and slopes: a cell counts only
// when its top rises above the texel's footprint (and for relaxed cones only
// when it may fall away from it), and beats the best only when its gaps are
// below best * rise. The gaps and the rise bound every cell's from below,
// rounding included, and the margin on the best is far above the float
// rounding of either side, so that no lane that could gain is ever dropped.
// Written lane by lane without branches, so that it runs four or eight lanes
// at once.
#if defined(__x86_64__) && defined(__GNUC__)
// Eight lanes a step where the processor has AVX2, four otherwise.
__attribute__((target_clones("avx2", "default")))
#endif
uint64_t TileSearch::passing(long cx0, long cy0, long cx1, long cy1, Block const& block, uint64_t among) const {
  auto larger = [](float a, float b) { return a > b ? a : b; };
  auto smaller = [](float a, float b) { return a < b ? a : b; };
  float const t0 = block.top[0], t1 = block.top[1], t2 = block.top[2], t3 = block.top[3];
  float const t01 = larger(t0, t1), t23 = larger(t2, t3), rise = larger(t01, t23) - lowest_;
  if (!(rise > 0.0f)) return 0;
  // The same test for the whole tile at once: the gaps from the nearest of its
  // texels, the highest top over the lowest footprint and the widest best.
  float const tx = larger(larger(static_cast<float>(cx0 - x0_) - 7.5f, static_cast<float>(x0_ - cx1) - 1.5f), 0.0f) * invW_;
  float const ty = larger(larger(static_cast<float>(cy0 - y0_) - 7.5f, static_cast<float>(y0_ - cy1) - 1.5f), 0.0f) * invH_;
  if (!(tx * tx + ty * ty < widest_ * rise * rise)) return 0;
  bool const relaxed = tops_.relaxed();
  // Relaxed cones, one axis of the falling test: the smallest slope * offset
  // over the slopes [s0, s1] and the offsets [d0, d1] from the footprint to
  // the block, and whether it is surely >= 0 because every slope has the
  // offsets' sign or is 0 (which takes no arithmetic to tell).
  auto term = [&](float s0, float s1, float d0, float d1) { return smaller(smaller(s0 * d0, s0 * d1), smaller(s1 * d0, s1 * d1)); };
  auto nonNegative = [](float s0, float s1, float d0, float d1) {
    return -static_cast<int32_t>(((s0 >= 0.0f) & (d0 >= 0.0f)) | ((s1 <= 0.0f) & (d1 <= 0.0f)) | ((s0 == 0.0f) & (s1 == 0.0f)));
  };
  // The gaps, the quadrants and the falling test depend on the texel's column
  // alone along x and on its row alone along y. Right (directions with x
  // positive) when the offset to the block's last cell is >= -1, left when
  // the offset to its first is <= 0, at least one of the two; down (y
  // positive) and up likewise.
  static constexpr float column[side] = {0, 1, 2, 3, 4, 5, 6, 7};
  float const a0 = static_cast<float>(cx0 - x0_), b0 = static_cast<float>(cx1 - x0_);
  alignas(32) float gx2[side], downTop[side], upTop[side], bothTop[side], fallX[side], sizeX[side];
  alignas(32) int32_t flatX[side];
  for (int c = 0; c < side; ++c) {
    float const a = a0 - column[c], b = b0 - column[c];
    float const g = larger(larger(a - 0.5f, -b - 1.5f), 0.0f) * invW_;
    gx2[c] = g * g;
    float const down = b >= -1.0f ? (a <= 0.0f ? t01 : t0) : t1, up = b >= -1.0f ? (a <= 0.0f ? t23 : t2) : t3;
    downTop[c] = down;
    upTop[c] = up;
    bothTop[c] = larger(down, up);
  }
  if (relaxed) {
    float const s0 = block.slopeX[0], s1 = block.slopeX[1];
    for (int c = 0; c < side; ++c) {
      float const d0 = a0 - column[c] - 0.5f, d1 = b0 - column[c] + 1.5f, f = term(s0, s1, d0, d1);
      fallX[c] = f;
      sizeX[c] = larger(f, -f);
      flatX[c] = nonNegative(s0, s1, d0, d1);
    }
  }
  uint64_t gain = 0;
  for (int r = 0; r < side; ++r) {
    if (!(among >> (r * side) & 0xffu)) continue;
    long const a = cy0 - y0_ - r, b = cy1 - y0_ - r;
    float const fa = static_cast<float>(a), fb = static_cast<float>(b);
    float const g = larger(larger(fa - 0.5f, -fb - 1.5f), 0.0f) * invH_;
    float const gy2 = g * g;
    float const* top = b >= -1 ? (a <= 0 ? bothTop : downTop) : upTop;
    float const* low = low_ + r * side;
    float const* best2 = best2_ + r * side;
    alignas(32) int32_t pass[side];
    for (int c = 0; c < side; ++c) {
      float const up = top[c] - low[c];
      pass[c] = (up > 0.0f ? -1 : 0) & (gx2[c] + gy2 < best2[c] * up * up ? -1 : 0);
    }
    if (relaxed) {
      // A block whose falling test is surely not negative for the texel holds
      // no cell that falls away from it. Surely: both terms >= 0 by their
      // signs, or the sum above 0 by far more than the float rounding of the
      // slopes and the products (relative, and absolute for the smallest).
      float const fallY = term(block.slopeY[0], block.slopeY[1], fa - 0.5f, fb + 1.5f), sizeY = larger(fallY, -fallY);
      int32_t const flatY = nonNegative(block.slopeY[0], block.slopeY[1], fa - 0.5f, fb + 1.5f);
      for (int c = 0; c < side; ++c) {
        int32_t const rising = (flatX[c] & flatY) | (fallX[c] + fallY > 1e-4f * (sizeX[c] + sizeY) + 1e-35f ? -1 : 0);
        pass[c] &= ~rising;
      }
    }
    gain |= static_cast<uint64_t>(bitsOf(pass)) << (r * side);
  }
  return gain & among;
}

// The cell at unwrapped (x, y) as a block of one.
Block TileSearch::cellBlock(long x, long y, float top) const {
  return tops_.relaxed() ? fallingOf(g_.texel(x, y), g_.texel(x + 1, y), g_.texel(x, y + 1), g_.texel(x + 1, y + 1))
                         : Block{{top, top, top, top}, {-1.0f, 1.0f}, {-1.0f, 1.0f}};
}

// Lane i's best lowered to the bound of the cell at unwrapped (x, y), of top
// `top`, when the cell counts for its texel and limits more. A cell with the
// same gaps and top as the one that set the best has the same bound and
// cannot lower it (walls and flat tops are full of such ties).
inline void TileSearch::exact(long x, long y, float top, int i) {
  long const ox = x - (x0_ + i % side), oy = y - (y0_ + i / side);
  float const gx = ConeBounds::gap(ox), gy = ConeBounds::gap(oy);
  if (limited_[i] && gx == limitGapX_[i] && gy == limitGapY_[i] && top == limitTop_[i]) return;
  if (!g_.counts(x, y, ox, oy, top, low_[i])) return;
  float const b = g_.bound(fp_[i], ox, oy, top);
  if (b < best_[i]) {
    best_[i] = b;
    best2_[i] = b * b * margin;
    lowered_ = true;
    limitX_[i] = x;
    limitY_[i] = y;
    limitGapX_[i] = gx;
    limitGapY_[i] = gy;
    limitTop_[i] = top;
    limited_[i] = true;
  }
}

// Lowers the bests of the lanes that the cell at unwrapped (x, y) limits
// more.
void TileSearch::tryCell(long x, long y, uint64_t among) {
  float const top = g_.top(x, y);
  if (!(top > lowest_)) return;
  uint64_t gain = passing(x, y, x, y, cellBlock(x, y, top), among);
  if (!gain) return;
  lowered_ = false;
  while (gain) {
    int const i = __builtin_ctzll(gain);
    gain &= gain - 1;
    exact(x, y, top, i);
  }
  if (lowered_) widest_ = *std::max_element(best2_, best2_ + lanes);
}

}  // namespace ConeSearch
