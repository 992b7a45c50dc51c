// ConeMap: kind names, the brute-force loop, the pyramid search spread over threads in bands of rows, the minimum filter and the packing.
#include "ConeMap.h"
#include "ConeBounds.h"
#include "ConeSearch.h"
#include "WorkerThreads.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>

using ConeBounds::Footprint;
using ConeBounds::Geometry;

namespace ConeMap {

char const* name(Kind kind) { return kind == Kind::Relaxed ? "relaxed" : "conservative"; }

bool parse(std::string const& text, Kind& kind) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (Kind k : {Kind::Relaxed, Kind::Conservative})
    if (lower == name(k)) {
      kind = k;
      return true;
    }
  return false;
}

std::vector<float> rawBruteForce(HeightField const& field, Kind kind) {
  Geometry const g(field, kind);
  long const w = g.width(), h = g.height();
  std::vector<float> out(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (long py = 0; py < h; ++py)
    for (long px = 0; px < w; ++px) {
      Footprint const fp = g.footprint(px, py);
      float best = 1.0f;
      for (long oy = g.lowY(); oy <= g.highY(); ++oy)
        for (long ox = g.lowX(); ox <= g.highX(); ++ox) {
          float const top = g.top(px + ox, py + oy);
          if (g.counts(px + ox, py + oy, ox, oy, top, fp.low)) best = std::min(best, g.bound(fp, ox, oy, top));
        }
      out[static_cast<size_t>(py * w + px)] = best;
    }
  return out;
}

std::vector<float> raw(HeightField const& field, Kind kind, int threads, std::atomic<long>* rowsDone,
                       std::atomic<bool> const* cancel) {
  Geometry const g(field, kind);
  ConeSearch::Tops const tops(field, kind);
  long const w = g.width(), h = g.height(), side = ConeSearch::TileSearch::side;
  std::vector<float> out(static_cast<size_t>(w) * static_cast<size_t>(h), 1.0f);
  // Threads take bands of tile rows; each tile starts from the cells that
  // limited the tiles left of it and above it in its band.
  constexpr long band = 4;
  long const tileRows = (h + side - 1) / side, tilesAcross = (w + side - 1) / side, bands = (tileRows + band - 1) / band;
  std::atomic<long> next{0};
  auto work = [&] {
    using Cell = ConeSearch::TileSearch::Cell;
    ConeSearch::TileSearch search(g, tops);
    std::vector<Footprint> footprints(static_cast<size_t>(w * side));
    std::vector<double> scratch;
    std::vector<std::vector<Cell>> above(static_cast<size_t>(tilesAcross));
    std::vector<Cell> seeds;
    for (long b; (b = next.fetch_add(1, std::memory_order_relaxed)) < bands;) {
      for (std::vector<Cell>& a : above) a.clear();
      for (long r = b * band; r < std::min(tileRows, (b + 1) * band); ++r) {
        if (cancel && cancel->load(std::memory_order_relaxed)) return;
        long const y0 = r * side, rows = std::min(side, h - y0);
        g.footprintRows(y0, rows, footprints.data(), scratch);
        std::vector<Cell> left;
        for (long t = 0; t < tilesAcross; ++t) {
          std::vector<Cell>& up = above[static_cast<size_t>(t)];
          seeds = left;
          seeds.insert(seeds.end(), up.begin(), up.end());
          search.run(t * side, y0, footprints.data(), out.data(), seeds);
          left = search.limiters();
          up = left;
        }
        if (rowsDone) rowsDone->fetch_add(rows, std::memory_order_relaxed);
      }
    }
  };
  runOnWorkers(workerCount(threads, static_cast<size_t>(bands)), work);
  return out;
}

std::vector<float> minFilter3x3(std::vector<float> const& ratios, int width, int height) {
  size_t const w = static_cast<size_t>(width), h = static_cast<size_t>(height);
  std::vector<float> across(ratios.size()), out(ratios.size());
  for (size_t y = 0; y < h; ++y)
    for (size_t x = 0; x < w; ++x) {
      float const* row = ratios.data() + y * w;
      across[y * w + x] = std::min(std::min(row[x == 0 ? w - 1 : x - 1], row[x]), row[x + 1 == w ? 0 : x + 1]);
    }
  for (size_t y = 0; y < h; ++y) {
    float const* up = across.data() + (y == 0 ? h - 1 : y - 1) * w;
    float const* here = across.data() + y * w;
    float const* down = across.data() + (y + 1 == h ? 0 : y + 1) * w;
    for (size_t x = 0; x < w; ++x) out[y * w + x] = std::min(std::min(up[x], here[x]), down[x]);
  }
  return out;
}

std::vector<float> generate(HeightField const& field, int threads, std::atomic<long>* rowsDone,
                            std::atomic<bool> const* cancel, Kind kind, Reading reading) {
  std::vector<float> ratios = raw(field, kind, threads, rowsDone, cancel);
  return reading == Reading::Linear ? minFilter3x3(ratios, field.width(), field.height()) : ratios;
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
