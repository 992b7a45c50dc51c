// ConeMap: the exit march shared by both generators, the brute-force loop, the quadtree best-first search, and the packing.
#include "ConeMap.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <system_error>
#include <thread>

namespace {

// The texels' depths, and the geometry both generators share. Every number
// that decides a ratio or prunes a candidate is computed by the functions here,
// the same way for both, so that they agree to the bit.
struct Depths {
  long w, h;
  float invW, invH;
  long loX, hiX, loY, hiY;  // the window of offsets, each texel once
  std::vector<float> d;

  explicit Depths(HeightField const& field)
      : w(field.width()), h(field.height()),
        invW(1.0f / static_cast<float>(field.width())), invH(1.0f / static_cast<float>(field.height())),
        loX(-((w - 1) / 2)), hiX(w / 2), loY(-((h - 1) / 2)), hiY(h / 2),
        d(static_cast<size_t>(w) * static_cast<size_t>(h)) {
    for (long y = 0; y < h; ++y)
      for (long x = 0; x < w; ++x) d[index(x, y)] = 1.0f - field.texel(x, y);
  }

  size_t index(long x, long y) const { return static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x); }

  float at(long x, long y) const {
    long const wx = x % w, wy = y % h;
    return d[index(wx < 0 ? wx + w : wx, wy < 0 ? wy + h : wy)];
  }

  // Horizontal length of an offset in texture units; grows with |dx| and |dy|,
  // so the nearest offset of a region bounds the region's lengths from below.
  float length(long dx, long dy) const {
    float const x = static_cast<float>(std::labs(dx)) * invW, y = static_cast<float>(std::labs(dy)) * invH;
    return std::sqrt(x * x + y * y);
  }

  // The ray from above p = (px, py) through q = p + (dx, dy) at depth dq < dp,
  // whose offset has length r: the ratio its exit gives if below best, else best.
  // Crossings are ordered exactly in integers: the ray's k-th crossing along x
  // lies at lambda = 1 + (2k + 1) / (2 |dx|) (lambda = 1 at q's centre). Along
  // the march lambda grows, and with it the ratio the point would give, so the
  // march ends as soon as that reaches best.
  float exitRatio(long px, long py, float dp, long dx, long dy, float dq, float r, float best) const {
    long const ax = std::labs(dx), ay = std::labs(dy);
    long const sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
    long cx = px + dx, cy = py + dy;
    int64_t kx = 0, ky = 0;
    for (;;) {
      bool stepX = ay == 0, stepY = ax == 0;
      if (ax != 0 && ay != 0) {
        int64_t const ex = (2 * kx + 1) * ay, ey = (2 * ky + 1) * ax;
        stepX = ex <= ey;
        stepY = ey <= ex;
      }
      float const lambda = stepX ? 1.0f + static_cast<float>(2 * kx + 1) / static_cast<float>(2 * ax)
                                 : 1.0f + static_cast<float>(2 * ky + 1) / static_cast<float>(2 * ay);
      if (stepX) {
        cx += sx;
        ++kx;
      }
      if (stepY) {
        cy += sy;
        ++ky;
      }
      float const z = lambda * dq;
      if (!(z < dp)) return best;
      float const ratio = lambda * r / (dp - z);
      if (!(ratio < best)) return best;
      if (at(cx, cy) > z) return ratio;  // the column here is deeper than the ray: air
    }
  }
};

std::vector<float> bruteForce(Depths const& g) {
  std::vector<float> out(g.d.size(), 1.0f);
  for (long py = 0; py < g.h; ++py)
    for (long px = 0; px < g.w; ++px) {
      float const dp = g.d[g.index(px, py)];
      float best = 1.0f;
      for (long dy = g.loY; dy <= g.hiY; ++dy)
        for (long dx = g.loX; dx <= g.hiX; ++dx) {
          float const dq = g.at(px + dx, py + dy);
          if (dq < dp) best = g.exitRatio(px, py, dp, dx, dy, dq, g.length(dx, dy), best);
        }
      out[g.index(px, py)] = best;
    }
  return out;
}

// x >> s rounding toward minus infinity for negative x as well.
long floorShift(long x, int s) { return x >= 0 ? x >> s : -((-x - 1) >> s) - 1; }

// Nodes of the search are squares of side 2^level aligned to multiples of it
// in unwrapped texel coordinates, clipped to p's window of offsets.
struct Node {
  float bound;  // no texel inside gives a ratio below this
  int level;
  long ax, ay;          // aligned corner
  long x0, y0, x1, y1;  // clipped, inclusive
};

// Squares this small are searched texel by texel.
constexpr int leafLevel = 2;

class Search {
public:
  Search(HeightField const& field, Depths const& g) : field_(field), g_(g) {
    while ((1L << top_) < std::max(g.w, g.h)) ++top_;
    heap_.reserve(1024);
  }

  float ratio(long px, long py) {
    dp_ = g_.d[g_.index(px, py)];
    px_ = px;
    py_ = py;
    best_ = 1.0f;
    heap_.clear();
    long const wx0 = px + g_.loX, wx1 = px + g_.hiX, wy0 = py + g_.loY, wy1 = py + g_.hiY;
    for (long j = floorShift(wy0, top_); j <= floorShift(wy1, top_); ++j)
      for (long i = floorShift(wx0, top_); i <= floorShift(wx1, top_); ++i)
        push(top_, i << top_, j << top_, wx0, wy0, wx1, wy1);
    while (!heap_.empty()) {
      std::pop_heap(heap_.begin(), heap_.end(), later);
      Node const n = heap_.back();
      heap_.pop_back();
      if (!(n.bound < best_)) break;  // the rest bound no lower
      if (n.level <= leafLevel) {
        leaf(n);
        continue;
      }
      long const half = 1L << (n.level - 1);
      for (int c = 0; c < 4; ++c)
        push(n.level - 1, n.ax + (c & 1) * half, n.ay + (c >> 1) * half, n.x0, n.y0, n.x1, n.y1);
    }
    return best_;
  }

private:
  static bool later(Node const& a, Node const& b) { return a.bound > b.bound; }

  // The square of side 2^level at (ax, ay), clipped to [x0, x1] x [y0, y1],
  // unless no texel in it can beat the best so far.
  void push(int level, long ax, long ay, long x0, long y0, long x1, long y1) {
    long const side = 1L << level;
    x0 = std::max(x0, ax);
    y0 = std::max(y0, ay);
    x1 = std::min(x1, ax + side - 1);
    y1 = std::min(y1, ay + side - 1);
    if (x0 > x1 || y0 > y1) return;
    float const minDepth = 1.0f - field_.texelRange(x0, y0, x1, y1).max;
    if (!(minDepth < dp_)) return;
    long const nx = std::clamp(0L, x0 - px_, x1 - px_), ny = std::clamp(0L, y0 - py_, y1 - py_);
    float const bound = g_.length(nx, ny) / (dp_ - minDepth);
    if (!(bound < best_)) return;
    heap_.push_back({bound, level, ax, ay, x0, y0, x1, y1});
    std::push_heap(heap_.begin(), heap_.end(), later);
  }

  void leaf(Node const& n) {
    for (long y = n.y0; y <= n.y1; ++y)
      for (long x = n.x0; x <= n.x1; ++x) {
        float const dq = g_.at(x, y);
        if (!(dq < dp_)) continue;
        long const dx = x - px_, dy = y - py_;
        float const r = g_.length(dx, dy);
        if (r / (dp_ - dq) < best_) best_ = g_.exitRatio(px_, py_, dp_, dx, dy, dq, r, best_);
      }
  }

  HeightField const& field_;
  Depths const& g_;
  int top_ = 0;
  std::vector<Node> heap_;
  long px_ = 0, py_ = 0;
  float dp_ = 0.0f, best_ = 1.0f;
};

}  // namespace

namespace ConeMap {

std::vector<float> generateBruteForce(HeightField const& field) { return bruteForce(Depths(field)); }

std::vector<float> generate(HeightField const& field, int threads) {
  Depths const g(field);
  std::vector<float> out(g.d.size(), 1.0f);
  // No texel can be limited unless something stands higher than it.
  float const topDepth = 1.0f - field.texelRange(0, 0, g.w - 1, g.h - 1).max;

  std::atomic<long> nextRow{0};
  auto work = [&] {
    Search search(field, g);
    for (long y; (y = nextRow.fetch_add(1, std::memory_order_relaxed)) < g.h;)
      for (long x = 0; x < g.w; ++x)
        if (topDepth < g.d[g.index(x, y)]) out[g.index(x, y)] = search.ratio(x, y);
  };
  size_t count = threads > 0 ? static_cast<size_t>(threads) : std::max(1u, std::thread::hardware_concurrency());
  count = std::min(count, static_cast<size_t>(g.h));
  std::vector<std::thread> pool;
  for (size_t i = 1; i < count; ++i) {
    try {
      pool.emplace_back(work);
    } catch (std::system_error const&) {
      break;  // no more threads to be had: the ones running share the rows
    }
  }
  work();
  for (std::thread& th : pool) th.join();
  return out;
}

std::vector<unsigned char> pack(std::vector<float> const& ratios) {
  std::vector<unsigned char> out(ratios.size());
  for (size_t i = 0; i < ratios.size(); ++i) {
    float const r = ratios[i];
    double const scaled = r > 0.0f ? std::floor(std::sqrt(static_cast<double>(r)) * 255.0) : 0.0;
    int b = static_cast<int>(std::min(scaled, 255.0));
    while (b > 0 && unpack(static_cast<unsigned char>(b)) > r) --b;  // rounding must not widen the cone
    out[i] = static_cast<unsigned char>(b);
  }
  return out;
}

float unpack(unsigned char b) {
  float const c = static_cast<float>(b) / 255.0f;
  return c * c;
}

}  // namespace ConeMap
