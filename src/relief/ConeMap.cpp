// ConeMap: the exit march shared by both generators, the brute-force loop, the quadtree best-first search, and the packing.
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

// The texels' depths, and the geometry both generators share. Every number
// that decides a ratio or prunes a candidate is computed by the functions here,
// the same way for both, so that they agree to the bit.
struct Depths {
  long w, h;
  float invW, invH;
  long loX, hiX, loY, hiY;  // the window of offsets, each texel once
  std::vector<float> d;
  // The deepest column of each block of 2^blockBits texels square (clipped
  // at the map's edge), to march past blocks the ray is already under: 16
  // texels, or 4 on maps under 128 texels a side, whose features are small.
  int blockBits;
  size_t blocksX;
  std::vector<float> blockDeepest;
  // Level L: the shallowest texel of each aligned 2^L x 2^L square, for the
  // levels whose squares tile the map exactly (2^L divides both sides), so that
  // an aligned square anywhere in the unwrapped plane is one of them.
  std::vector<std::vector<float>> shallowest;

  explicit Depths(HeightField const& field)
      : w(field.width()), h(field.height()),
        invW(1.0f / static_cast<float>(field.width())), invH(1.0f / static_cast<float>(field.height())),
        loX(-((w - 1) / 2)), hiX(w / 2), loY(-((h - 1) / 2)), hiY(h / 2),
        d(static_cast<size_t>(w) * static_cast<size_t>(h)), blockBits(std::min(w, h) >= 128 ? 4 : 2),
        blocksX(static_cast<size_t>(((w - 1) >> blockBits) + 1)),
        blockDeepest(blocksX * static_cast<size_t>(((h - 1) >> blockBits) + 1), 0.0f) {
    for (long y = 0; y < h; ++y)
      for (long x = 0; x < w; ++x) {
        d[index(x, y)] = 1.0f - field.texel(x, y);
        float& deepest = blockDeepest[blockIndex(x, y)];
        deepest = std::max(deepest, d[index(x, y)]);
      }
    shallowest.push_back(d);
    for (long side = 2; w % side == 0 && h % side == 0; side *= 2) {
      std::vector<float> const& fine = shallowest.back();
      long const fw = w / (side / 2), cw = w / side, ch = h / side;
      std::vector<float> coarse(static_cast<size_t>(cw) * static_cast<size_t>(ch));
      for (long y = 0; y < ch; ++y)
        for (long x = 0; x < cw; ++x) {
          auto at = [&](long fx, long fy) { return fine[static_cast<size_t>(fy * fw + fx)]; };
          coarse[static_cast<size_t>(y * cw + x)] = std::min(std::min(at(2 * x, 2 * y), at(2 * x + 1, 2 * y)),
                                                             std::min(at(2 * x, 2 * y + 1), at(2 * x + 1, 2 * y + 1)));
        }
      shallowest.push_back(std::move(coarse));
    }
  }

  // The shallowest texel of the aligned square of side 2^level at unwrapped
  // (ax, ay), when that level is kept; otherwise -1.
  float shallowestIn(int level, long ax, long ay) const {
    if (static_cast<size_t>(level) >= shallowest.size()) return -1.0f;
    long const cw = w >> level, ch = h >> level;
    long const i = floorShift(ax, level), j = floorShift(ay, level);
    return shallowest[static_cast<size_t>(level)][static_cast<size_t>(wrapNear(j, ch) * cw + wrapNear(i, cw))];
  }

  size_t index(long x, long y) const { return static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x); }

  // Any (x, y) in [-w, 2w) x [-h, 2h).
  float at(long x, long y) const { return d[index(wrapNear(x, w), wrapNear(y, h))]; }

  // Horizontal length of an offset in texture units; grows with |dx| and |dy|,
  // so the nearest offset of a region bounds the region's lengths from below.
  float length(long dx, long dy) const {
    float const x = static_cast<float>(std::labs(dx)) * invW, y = static_cast<float>(std::labs(dy)) * invH;
    return std::sqrt(x * x + y * y);
  }

  // The ray from above p = (px, py) through q = p + (dx, dy) at depth dq < dp,
  // whose offset has length r: the ratio its exit gives if below best, else best.
  //
  // The march visits the ray's crossings of column boundaries in order. The
  // k-th crossing along x lies at lambda = 1 + (2k + 1) / (2 |dx|) (lambda = 1
  // at q's centre), so it comes before the ky-th along y exactly when
  // (2k + 1) |dy| < (2ky + 1) |dx|: integers order them, ties are corners.
  // Each lambda is a correctly rounded function of its crossing alone, so the
  // lambdas, the depths and the ratios they give never decrease along the
  // march; it ends as soon as the ratio reaches best.
  //
  // With skip, when no column of the block the ray is in is deeper than the
  // ray already is (no exit can lie there), the crossings inside the block are
  // passed over to the one that leaves it. A passed crossing that would have
  // ended the march leaves the next one to end it, so the result is exactly
  // that of the plain march.
  template <bool Skip>
  float exitRatio(long px, long py, float dp, long dx, long dy, float dq, float r, float best) const {
    long const ax = std::labs(dx), ay = std::labs(dy);
    long const sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
    long cx = wrapNear(px + dx, w), cy = wrapNear(py + dy, h);  // the column the ray is in
    int64_t kx = 0, ky = 0;                                      // crossings made along each axis
    // The next crossings: x's comes first while ex <= ey, ex = (2 kx + 1) |dy|
    // and ey = (2 ky + 1) |dx| (an axis not moved along never comes).
    int64_t ex = 0, ey = 0;
    float nx = 0.0f, ny = 0.0f;  // 2k + 1 for each axis
    auto next = [&] {
      ex = ax ? (2 * kx + 1) * ay : std::numeric_limits<int64_t>::max();
      ey = ay ? (2 * ky + 1) * ax : std::numeric_limits<int64_t>::max();
      nx = static_cast<float>(2 * kx + 1);
      ny = static_cast<float>(2 * ky + 1);
    };
    next();
    float const twoAx = static_cast<float>(2 * ax), twoAy = static_cast<float>(2 * ay);
    float z = dq;
    for (;;) {
      if (Skip && blockDeepest[blockIndex(cx, cy)] <= z) {
        passBlock(cx, cy, sx, sy, ax, ay, kx, ky);
        next();
      }
      bool const moveX = ex <= ey, moveY = ey <= ex;
      float const lambda = 1.0f + (moveX ? nx / twoAx : ny / twoAy);
      if (moveX) {
        ++kx;
        ex += 2 * ay;
        nx += 2.0f;
        cx += sx;
        cx = cx == w ? 0 : cx < 0 ? w - 1 : cx;
      }
      if (moveY) {
        ++ky;
        ey += 2 * ax;
        ny += 2.0f;
        cy += sy;
        cy = cy == h ? 0 : cy < 0 ? h - 1 : cy;
      }
      z = lambda * dq;
      if (!(z < dp)) return best;
      float const ratio = lambda * r / (dp - z);
      if (!(ratio < best)) return best;
      if (d[index(cx, cy)] > z) return ratio;  // the column here is deeper than the ray: air
    }
  }

  // Moves the march in column (cx, cy) on to just before the crossing that
  // takes it out of the column's block.
  void passBlock(long& cx, long& cy, long sx, long sy, long ax, long ay, int64_t& kx, int64_t& ky) const {
    long const bx0 = cx >> blockBits << blockBits, by0 = cy >> blockBits << blockBits;
    long const bx1 = std::min(bx0 + (1L << blockBits), w) - 1, by1 = std::min(by0 + (1L << blockBits), h) - 1;
    // The crossings still inside the block along each axis; the next one leaves.
    long const inX = sx > 0 ? bx1 - cx : cx - bx0, inY = sy > 0 ? by1 - cy : cy - by0;
    // The minor axis's crossings that come strictly before the major axis's n-th (from 0).
    auto before = [](int64_t n, long major, long minor) {
      int64_t const num = (2 * n + 1) * minor - major, den = 2 * major;
      if (num <= 0) return int64_t{0};
      // ceil(num / den), through a double (exact at these sizes, and quicker
      // than a 64-bit divide) and one correction either way.
      int64_t c = static_cast<int64_t>(static_cast<double>(num) / static_cast<double>(den));
      if (c * den < num) ++c;
      if ((c - 1) * den >= num) --c;
      return c;
    };
    int64_t nx = kx, ny = ky;
    if (ay == 0 || (ax != 0 && (2 * (kx + inX) + 1) * ay <= (2 * (ky + inY) + 1) * ax)) {
      nx = kx + inX;  // leaves through an x boundary (or a corner)
      ny = ay == 0 ? ky : before(nx, ax, ay);
    } else {
      ny = ky + inY;
      nx = ax == 0 ? kx : before(ny, ay, ax);
    }
    cx = wrapNear(cx + sx * (nx - kx), w);  // the block holds the columns between
    cy = wrapNear(cy + sy * (ny - ky), h);
    kx = nx;
    ky = ny;
  }

  // (x, y) inside the map.
  size_t blockIndex(long x, long y) const {
    return static_cast<size_t>(y >> blockBits) * blocksX + static_cast<size_t>(x >> blockBits);
  }

  // i in [-n, 2n), as every window offset from a texel of the map is.
  static long wrapNear(long i, long n) { return i < 0 ? i + n : i >= n ? i - n : i; }
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
          if (dq < dp) best = g.exitRatio<false>(px, py, dp, dx, dy, dq, g.length(dx, dy), best);
        }
      out[g.index(px, py)] = best;
    }
  return out;
}

// Nodes of the search are squares of side 2^level aligned to multiples of it
// in unwrapped texel coordinates, clipped to p's window of offsets.
struct Node {
  float bound;  // no texel inside gives a ratio below this
  int32_t level;
  int32_t ax, ay;  // aligned corner
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
    wx0_ = px + g_.loX;
    wx1_ = px + g_.hiX;
    wy0_ = py + g_.loY;
    wy1_ = py + g_.hiY;
    // Neighbouring texels are mostly limited by the same feature: the offset
    // that limited the last texel, tried first, usually gives a tight best at
    // once, and a low best prunes most of the search. Any texel's ratio is a
    // true candidate, so the minimum found stays exactly the same.
    bool const seeded = hasLast_ && lastDx_ >= g_.loX && lastDx_ <= g_.hiX && lastDy_ >= g_.loY && lastDy_ <= g_.hiY;
    hasLast_ = false;
    if (seeded) {
      float const dq = g_.at(px + lastDx_, py + lastDy_);
      if (dq < dp_) try_(lastDx_, lastDy_, dq);
    }
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
  // p's window; false when no texel in it can beat the best so far.
  bool bounded(Node& n) const {
    long x0, y0, x1, y1;
    clip(n.level, n.ax, n.ay, x0, y0, x1, y1);
    if (x0 > x1 || y0 > y1) return false;
    float minDepth = g_.shallowestIn(n.level, n.ax, n.ay);
    if (minDepth < 0.0f) minDepth = 1.0f - field_.texelRange(x0, y0, x1, y1).max;
    if (!(minDepth < dp_)) return false;
    long const nx = std::clamp(0L, x0 - px_, x1 - px_), ny = std::clamp(0L, y0 - py_, y1 - py_);
    n.bound = g_.length(nx, ny) / (dp_ - minDepth);
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
        float const dq = g_.at(x, y);
        if (!(dq < dp_)) continue;
        long const dx = x - px_, dy = y - py_;
        // q gives no ratio below r / (dp - dq); squared, and with a margin far
        // above rounding, that test needs no root or division.
        float const lim = best_ * (dp_ - dq), ux = static_cast<float>(dx) * g_.invW, uy = static_cast<float>(dy) * g_.invH;
        if (ux * ux + uy * uy >= lim * lim * 1.0001f) continue;
        try_(dx, dy, dq);
      }
  }

  // Lowers the best to q's ratio when q limits more, remembering q's offset.
  void try_(long dx, long dy, float dq) {
    float const r = g_.exitRatio<true>(px_, py_, dp_, dx, dy, dq, g_.length(dx, dy), best_);
    if (r < best_) {
      best_ = r;
      lastDx_ = dx;
      lastDy_ = dy;
      hasLast_ = true;
    }
  }

  HeightField const& field_;
  Depths const& g_;
  int top_ = 0;
  std::vector<Node> heap_;
  long px_ = 0, py_ = 0;
  long wx0_ = 0, wy0_ = 0, wx1_ = 0, wy1_ = 0;  // p's window, unwrapped
  float dp_ = 0.0f, best_ = 1.0f;
  long lastDx_ = 0, lastDy_ = 0;  // the offset that limited the latest texel
  bool hasLast_ = false;
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
  runOnWorkers(workerCount(threads, static_cast<size_t>(g.h)), work);
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
