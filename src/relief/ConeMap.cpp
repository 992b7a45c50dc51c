// ConeMap: the per-texel apex depths and slope bounds, the cell bound shared by both generators, the brute-force loop, the quadtree best-first search, and the packing.
#include "ConeMap.h"
#include "WorkerThreads.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

// x >> s rounding toward minus infinity for negative x as well.
long floorShift(long x, int s) { return x >= 0 ? x >> s : -((-x - 1) >> s) - 1; }

long wrap(long i, long n) {
  long const r = i % n;
  return r < 0 ? r + n : r;
}

// A double as a float no smaller (up) or no larger (down) than it.
float roundUp(double v) {
  float f = static_cast<float>(v);
  return static_cast<double>(f) < v ? std::nextafter(f, std::numeric_limits<float>::infinity()) : f;
}
float roundDown(double v) {
  float f = static_cast<float>(v);
  return static_cast<double>(f) > v ? std::nextafter(f, 0.0f) : f;
}

// The cells' and texels' numbers, and the bound both generators share. Every
// number that decides a ratio or prunes a candidate is computed by the
// functions here, the same way for both, so that they agree to the bit.
struct Geometry {
  long w, h;
  float invW, invH;
  long lo, hiX, hiY;                // cell offsets [lo..hiX] x [lo..hiY] count (lo = -2 - size)
  long loY;
  std::vector<float> cellDepth;     // the shallowest corner of each cell
  std::vector<float> apex;          // A_p: the deepest the surface is over texel p's footprint
  std::vector<float> nearRatio;     // 1 / L_p, rounded down (infinity where the 16 cells are flat)
  // Level L: the shallowest cell of each aligned 2^L x 2^L square, for the
  // levels whose squares tile the map exactly (2^L divides both sides), so that
  // an aligned square anywhere in the unwrapped plane is one of them.
  std::vector<std::vector<float>> shallowest;
  float topDepth;  // the shallowest cell of all

  explicit Geometry(HeightField const& field)
      : w(field.width()), h(field.height()),
        invW(1.0f / static_cast<float>(field.width())), invH(1.0f / static_cast<float>(field.height())),
        lo(-2 - w), hiX(w + 1), hiY(h + 1), loY(-2 - h) {
    size_t const n = static_cast<size_t>(w) * static_cast<size_t>(h);
    std::vector<float> d(n);
    for (long y = 0; y < h; ++y)
      for (long x = 0; x < w; ++x) d[index(x, y)] = 1.0f - field.texel(x, y);
    // Any (x, y) within two texels of the map.
    auto at = [&](long x, long y) {
      long const wx = x < 0 ? x + w : x >= w ? x - w : x, wy = y < 0 ? y + h : y >= h ? y - h : y;
      return static_cast<double>(d[index(wx, wy)]);
    };

    cellDepth.resize(n);
    std::vector<double> slope(n);  // each cell's gradient bound, texture units
    for (long y = 0; y < h; ++y)
      for (long x = 0; x < w; ++x) {
        double const d00 = at(x, y), d10 = at(x + 1, y), d01 = at(x, y + 1), d11 = at(x + 1, y + 1);
        cellDepth[index(x, y)] = static_cast<float>(std::min(std::min(d00, d10), std::min(d01, d11)));
        double const gx = static_cast<double>(w) * std::max(std::fabs(d10 - d00), std::fabs(d11 - d01));
        double const gy = static_cast<double>(h) * std::max(std::fabs(d01 - d00), std::fabs(d11 - d10));
        slope[index(x, y)] = std::sqrt(gx * gx + gy * gy);
      }

    // The steepest of the 4 cells [x - 2, x + 1] along each row, then of 4 such along each column.
    std::vector<double> rowSteepest(n);
    for (long y = 0; y < h; ++y)
      for (long x = 0; x < w; ++x) {
        double steepest = 0.0;
        for (long cx = x - 2; cx <= x + 1; ++cx) steepest = std::max(steepest, slope[index(wrap(cx, w), y)]);
        rowSteepest[index(x, y)] = steepest;
      }
    apex.resize(n);
    nearRatio.resize(n);
    for (long y = 0; y < h; ++y)
      for (long x = 0; x < w; ++x) {
        double deepest = 0.0;
        for (long sy = -1; sy <= 1; ++sy)
          for (long sx = -1; sx <= 1; ++sx) {
            // The corner of S_p's quarters at half-texel offset (sx, sy) / 2:
            // the mean of the texels it lies between.
            double sum = 0.0;
            int count = 0;
            for (long ty = std::min(0L, sy); ty <= std::max(0L, sy); ++ty)
              for (long tx = std::min(0L, sx); tx <= std::max(0L, sx); ++tx) {
                sum += at(x + tx, y + ty);
                ++count;
              }
            deepest = std::max(deepest, sum / count);
          }
        apex[index(x, y)] = roundUp(deepest);
        double steepest = 0.0;
        for (long cy = y - 2; cy <= y + 1; ++cy) steepest = std::max(steepest, rowSteepest[index(x, wrap(cy, h))]);
        nearRatio[index(x, y)] = steepest > 0.0 ? roundDown(1.0 / steepest) : std::numeric_limits<float>::infinity();
      }

    shallowest.push_back(cellDepth);
    for (long side = 2; w % side == 0 && h % side == 0; side *= 2) {
      std::vector<float> const& fine = shallowest.back();
      long const fw = w / (side / 2), cw = w / side, ch = h / side;
      std::vector<float> coarse(static_cast<size_t>(cw) * static_cast<size_t>(ch));
      for (long y = 0; y < ch; ++y)
        for (long x = 0; x < cw; ++x) {
          auto f = [&](long fx, long fy) { return fine[static_cast<size_t>(fy * fw + fx)]; };
          coarse[static_cast<size_t>(y * cw + x)] =
              std::min(std::min(f(2 * x, 2 * y), f(2 * x + 1, 2 * y)), std::min(f(2 * x, 2 * y + 1), f(2 * x + 1, 2 * y + 1)));
        }
      shallowest.push_back(std::move(coarse));
    }
    topDepth = *std::min_element(cellDepth.begin(), cellDepth.end());
  }

  size_t index(long x, long y) const { return static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x); }

  // The cell at unwrapped (x, y).
  float cellAt(long x, long y) const { return cellDepth[index(near(x, w), near(y, h))]; }

  // i wrapped into [0, n), quickly when it lies within a map's width of it.
  static long near(long i, long n) { return i < 0 ? (i >= -n ? i + n : wrap(i, n)) : i < n ? i : i < 2 * n ? i - n : wrap(i, n); }

  // The shallowest cell of the aligned square of side 2^level at unwrapped
  // (ax, ay), when that level is kept; otherwise -1.
  float shallowestIn(int level, long ax, long ay) const {
    if (static_cast<size_t>(level) >= shallowest.size()) return -1.0f;
    long const cw = w >> level, ch = h >> level;
    return shallowest[static_cast<size_t>(level)]
                     [static_cast<size_t>(wrap(floorShift(ay, level), ch) * cw + wrap(floorShift(ax, level), cw))];
  }

  // The gap in texels between a footprint and the cell at offset o along an
  // axis: max(0, |o + 1/2| - 1), exact in a float.
  static float gap(long o) {
    return o >= 1 ? static_cast<float>(2 * o - 1) * 0.5f : o <= -2 ? static_cast<float>(-2 * o - 3) * 0.5f : 0.0f;
  }
  // The smallest gap over the offsets [o0, o1].
  static float gapOver(long o0, long o1) { return o1 <= -2 ? gap(o1) : o0 >= 1 ? gap(o0) : 0.0f; }

  // far(c) for gaps (gx, gy) in texels and a cell depth m < a.
  float far(float gx, float gy, float a, float m) const {
    float const x = gx * invW, y = gy * invH;
    return std::sqrt(x * x + y * y) / (a - m);
  }

  // bound(c) for texel p and the cell at offset (ox, oy) of depth m < A_p.
  float bound(size_t p, long ox, long oy, float m) const {
    float const f = far(gap(ox), gap(oy), apex[p], m);
    bool const near = ox >= -2 && ox <= 1 && oy >= -2 && oy <= 1;
    return near ? std::max(f, nearRatio[p]) : f;
  }
};

std::vector<float> bruteForce(Geometry const& g) {
  std::vector<float> out(g.cellDepth.size(), 1.0f);
  for (long py = 0; py < g.h; ++py)
    for (long px = 0; px < g.w; ++px) {
      size_t const p = g.index(px, py);
      float const a = g.apex[p];
      float best = 1.0f;
      for (long oy = g.loY; oy <= g.hiY; ++oy)
        for (long ox = g.lo; ox <= g.hiX; ++ox) {
          float const m = g.cellAt(px + ox, py + oy);
          if (m < a) best = std::min(best, g.bound(p, ox, oy, m));
        }
      out[p] = best;
    }
  return out;
}

// Nodes of the search are squares of side 2^level aligned to multiples of it
// in unwrapped cell coordinates, clipped to p's window of offsets.
struct Node {
  float bound;  // no cell inside gives a ratio below this
  int32_t level;
  int32_t ax, ay;  // aligned corner
};

// Squares this small are searched cell by cell.
constexpr int leafLevel = 2;

class Search {
public:
  Search(HeightField const& field, Geometry const& g) : field_(field), g_(g) {
    while ((1L << top_) < 2 * std::max(g.w, g.h) + 4) ++top_;
    // Roots at the highest level the pyramid keeps, when a few of them cover
    // the window, rather than above it, where every bound needs a range query.
    int const kept = static_cast<int>(g.shallowest.size()) - 1;
    if (((2 * g.w + 4) >> kept) < 8 && ((2 * g.h + 4) >> kept) < 8) top_ = kept;
    heap_.reserve(1024);
  }

  float ratio(long px, long py) {
    p_ = g_.index(px, py);
    a_ = g_.apex[p_];
    px_ = px;
    py_ = py;
    best_ = 1.0f;
    heap_.clear();
    wx0_ = px + g_.lo;
    wx1_ = px + g_.hiX;
    wy0_ = py + g_.loY;
    wy1_ = py + g_.hiY;
    // Neighbouring texels are mostly limited by the same feature: the offset
    // that limited the last texel, tried first, usually gives a tight best at
    // once, and a low best prunes most of the search. Any cell's bound is a
    // true candidate, so the minimum found stays exactly the same.
    if (hasLast_) try_(lastDx_, lastDy_);
    hasLast_ = false;
    // The cells around the footprint first: they limit most texels.
    for (long oy = -2; oy <= 1; ++oy)
      for (long ox = -2; ox <= 1; ++ox) try_(ox, oy);
    for (long j = floorShift(wy0_, top_); j <= floorShift(wy1_, top_); ++j)
      for (long i = floorShift(wx0_, top_); i <= floorShift(wx1_, top_); ++i) {
        Node root{0.0f, top_, static_cast<int32_t>(i * (1L << top_)), static_cast<int32_t>(j * (1L << top_))};
        if (bounded(root)) heap_.push_back(root);
      }
    std::make_heap(heap_.begin(), heap_.end(), Later{});
    while (!heap_.empty()) {
      std::pop_heap(heap_.begin(), heap_.end(), Later{});
      Node const n = heap_.back();
      heap_.pop_back();
      if (!(n.bound < best_)) break;  // the rest bound no lower
      if (n.level <= leafLevel) {
        leaf(n);
        continue;
      }
      int const level = n.level - 1;
      long const half = 1L << level;
      Node kids[4];
      int count = 0;
      for (int c = 0; c < 4; ++c) {
        Node kid{0.0f, level, static_cast<int32_t>(n.ax + (c & 1) * half), static_cast<int32_t>(n.ay + (c >> 1) * half)};
        if (bounded(kid)) kids[count++] = kid;
      }
      if (level > leafLevel) {
        for (int c = 0; c < count; ++c) {
          heap_.push_back(kids[c]);
          std::push_heap(heap_.begin(), heap_.end(), Later{});
        }
        continue;
      }
      // Leaves are searched at once, nearest bound first, without the heap.
      for (int c = 1; c < count; ++c)
        for (int k = c; k > 0 && kids[k].bound < kids[k - 1].bound; --k) std::swap(kids[k], kids[k - 1]);
      for (int c = 0; c < count && kids[c].bound < best_; ++c) leaf(kids[c]);
    }
    return best_;
  }

private:
  struct Later {
    bool operator()(Node const& a, Node const& b) const { return a.bound > b.bound; }
  };

  // Sets n.bound for the square of side 2^level at (n.ax, n.ay), clipped to
  // p's window; false when no cell in it can beat the best so far. far() grows
  // with the gaps and with the cell's depth, rounding included, so the square's
  // smallest gaps and shallowest cell bound every cell inside from below.
  bool bounded(Node& n) const {
    long x0, y0, x1, y1;
    clip(n.level, n.ax, n.ay, x0, y0, x1, y1);
    if (x0 > x1 || y0 > y1) return false;
    float m = g_.shallowestIn(n.level, n.ax, n.ay);
    if (m < 0.0f) m = 1.0f - field_.texelRange(x0, y0, x1 + 1, y1 + 1).max;
    if (!(m < a_)) return false;
    n.bound = g_.far(Geometry::gapOver(x0 - px_, x1 - px_), Geometry::gapOver(y0 - py_, y1 - py_), a_, m);
    return n.bound < best_;
  }

  void clip(int level, long ax, long ay, long& x0, long& y0, long& x1, long& y1) const {
    long const side = 1L << level;
    x0 = std::max(wx0_, ax);
    y0 = std::max(wy0_, ay);
    x1 = std::min(wx1_, ax + side - 1);
    y1 = std::min(wy1_, ay + side - 1);
  }

  void leaf(Node const& n) {
    long x0, y0, x1, y1;
    clip(n.level, n.ax, n.ay, x0, y0, x1, y1);
    for (long y = y0; y <= y1; ++y)
      for (long x = x0; x <= x1; ++x) {
        float const m = g_.cellAt(x, y);
        if (!(m < a_)) continue;
        // far >= best makes bound >= best; squared, and with a margin far
        // above rounding, that test needs no root or division.
        float const lim = best_ * (a_ - m), gx = Geometry::gap(x - px_) * g_.invW, gy = Geometry::gap(y - py_) * g_.invH;
        if (gx * gx + gy * gy >= lim * lim * 1.0001f) continue;
        try_(x - px_, y - py_);
      }
  }

  // Lowers the best to the bound of the cell at offset (ox, oy) when it limits
  // more, remembering the offset.
  void try_(long ox, long oy) {
    if (ox < g_.lo || ox > g_.hiX || oy < g_.loY || oy > g_.hiY) return;
    float const m = g_.cellAt(px_ + ox, py_ + oy);
    if (!(m < a_)) return;
    float const b = g_.bound(p_, ox, oy, m);
    if (b < best_) {
      best_ = b;
      lastDx_ = ox;
      lastDy_ = oy;
      hasLast_ = true;
    }
  }

  HeightField const& field_;
  Geometry const& g_;
  int top_ = 0;
  std::vector<Node> heap_;
  size_t p_ = 0;
  long px_ = 0, py_ = 0;
  long wx0_ = 0, wy0_ = 0, wx1_ = 0, wy1_ = 0;  // p's window, unwrapped
  float a_ = 0.0f, best_ = 1.0f;
  long lastDx_ = 0, lastDy_ = 0;  // the offset that limited the latest texel
  bool hasLast_ = false;
};

}  // namespace

namespace ConeMap {

std::vector<float> generateBruteForce(HeightField const& field) { return bruteForce(Geometry(field)); }

std::vector<float> generate(HeightField const& field, int threads, std::atomic<long>* rowsDone,
                            std::atomic<bool> const* cancel) {
  Geometry const g(field);
  std::vector<float> out(g.cellDepth.size(), 1.0f);
  std::atomic<long> nextRow{0};
  auto work = [&] {
    Search search(field, g);
    for (long y; (y = nextRow.fetch_add(1, std::memory_order_relaxed)) < g.h;) {
      if (cancel && cancel->load(std::memory_order_relaxed)) return;
      for (long x = 0; x < g.w; ++x)
        // No texel can be limited unless some cell is shallower than its apex.
        if (g.topDepth < g.apex[g.index(x, y)]) out[g.index(x, y)] = search.ratio(x, y);
      if (rowsDone) rowsDone->fetch_add(1, std::memory_order_relaxed);
    }
  };
  runOnWorkers(workerCount(threads, static_cast<size_t>(g.h)), work);
  return out;
}

std::vector<uint16_t> pack(std::vector<float> const& ratios) {
  std::vector<uint16_t> out(ratios.size());
  for (size_t i = 0; i < ratios.size(); ++i) {
    float const r = ratios[i];
    double const scaled = r > 0.0f ? std::floor(std::sqrt(static_cast<double>(r)) * 65535.0) : 0.0;
    int v = static_cast<int>(std::min(scaled, 65535.0));
    while (v > 0 && unpack(static_cast<uint16_t>(v)) > r) --v;  // rounding must not widen the cone
    while (v < 65535 && unpack(static_cast<uint16_t>(v + 1)) <= r) ++v;  // nor narrow it needlessly
    out[i] = static_cast<uint16_t>(v);
  }
  return out;
}

float unpack(uint16_t v) {
  float const c = static_cast<float>(v) / 65535.0f;
  return c * c;
}

}  // namespace ConeMap
