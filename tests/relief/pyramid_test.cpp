// The max pyramid against a brute-force maximum at every level, and its search against the traced reference: no
// tunnelling through one-texel spikes and walls, agreement on bumpy fields, no stop past the surface when cut short.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "HeightField.h"
#include "MaxPyramid.h"
#include "PyramidTracer.h"
#include "ReliefTracer.h"

namespace {

// 8-bit heights: hills of the given size plus noise (hills 0: noise alone).
HeightField bumpy(int w, int h, unsigned seed, float hills) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> noise(hills > 0 ? -0.15f : -0.5f, hills > 0 ? 0.15f : 0.5f);
  std::vector<float> v(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (size_t i = 0; i < v.size(); ++i) {
    float const x = static_cast<float>(i % static_cast<size_t>(w)), y = static_cast<float>(i / static_cast<size_t>(w));
    float const hill = 0.5f + hills * std::sin(x * 0.35f) * std::cos(y * 0.25f);
    v[i] = std::round(std::clamp(hill + noise(rng), 0.0f, 1.0f) * 255.0f) / 255.0f;
  }
  return HeightField(w, h, v);
}

float texelDistance(HeightField const& f, float u0, float v0, float u1, float v1) {
  return std::hypot((u0 - u1) * static_cast<float>(f.width()), (v0 - v1) * static_cast<float>(f.height()));
}

// The search's hit against the reference's: never later, and if over 0.05
// texel away still the first meeting (on or above the ray, none before it at
// eighth-texel samples). Returns the distance, 0 for such a crossing.
float checkedError(HeightField const& f, float depth, float u, float v, float const eye[3], PyramidHit const& hit) {
  TraceResult const ref = ReliefTracer(f, depth).trace({u, v, {eye[0], eye[1], eye[2]}, {0, 0, -1}});
  EXPECT_LE(hit.t, ref.t + 1e-4f);
  float const error = texelDistance(f, hit.u, hit.v, ref.u, ref.v);
  if (error < 0.05f) return error;
  float const du = (hit.u - u) / hit.t, dv = (hit.v - v) / hit.t;
  auto gap = [&](float t) { return f.sample(u + du * t, v + dv * t) - (1.0f - t); };
  EXPECT_GT(gap(hit.t), -1e-4f);
  int const n = static_cast<int>(texelDistance(f, hit.u, hit.v, u, v) * 8.0f);
  for (int k = 0; k < n; ++k)
    if (gap(hit.t * static_cast<float>(k) / static_cast<float>(n)) >= 0.0f) return error;
  return 0.0f;
}

}  // namespace

TEST(MaxPyramid, EveryLevelHoldsTheHighestBilinearCellUnderEachNode) {
  for (auto [w, h] : {std::pair{16, 16}, {24, 40}, {37, 5}, {1, 1}}) {
    HeightField const f = bumpy(w, h, static_cast<unsigned>(w * 100 + h), 0.0f);
    MaxPyramid const p(f);
    ASSERT_EQ(p.levels(), MaxPyramid::levelCount(w, h));
    ASSERT_EQ(p.width(p.levels() - 1) * p.height(p.levels() - 1), 1);
    for (int l = 0; l < p.levels(); ++l) {
      ASSERT_EQ(p.level(l).size(), static_cast<size_t>(p.width(l) * p.height(l)));
      long const side = 1L << l;
      for (int y = 0; y < p.height(l); ++y)
        for (int x = 0; x < p.width(l); ++x) {
          // Texels of the node's bilinear cells, wrapping; 0 in the padding.
          float highest = 0.0f;
          for (long cy = y * side; cy < std::min<long>((y + 1) * side, h); ++cy)
            for (long cx = x * side; cx < std::min<long>((x + 1) * side, w); ++cx)
              for (long ty : {cy, cy + 1})
                for (long tx : {cx, cx + 1}) highest = std::max(highest, f.texel(tx, ty));
          ASSERT_EQ(p.at(l, x, y), highest) << w << "x" << h << " level " << l << " (" << x << ", " << y << ")";
        }
    }
  }
  EXPECT_EQ(MaxPyramid::paddedSize(512), 512);
  EXPECT_EQ(MaxPyramid::paddedSize(513), 1024);
}

TEST(PyramidTracer, FindsEveryOneTexelSpikeAndWall) {
  // Single tall texels (two neighbours across the corner) or one-texel walls on
  // a floor not a power of two wide. Rays from all sides pass over one's centre
  // at half its height and stop on a spike's or wall's footprint, no later.
  int const w = 48, h = 40;
  float const depth = 0.1f;
  std::vector<float> spikes(static_cast<size_t>(w * h), 0.0f), walls(spikes);
  std::vector<std::pair<int, int>> const peaks = {{5, 7}, {30, 20}, {47, 39}, {0, 0}, {17, 33}};
  for (auto [x, y] : peaks) spikes[static_cast<size_t>(y * w + x)] = 0.9f;
  for (int i = 0; i < w; ++i) walls[static_cast<size_t>(11 * w + i)] = 0.9f;  // row 11
  for (int j = 0; j < h; ++j) walls[static_cast<size_t>(j * w + 29)] = 0.9f;  // column 29
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> angle(0.0f, 6.2831853f), tilt(0.02f, 0.9f);
  for (bool wall : {false, true}) {
    HeightField const f(w, h, wall ? walls : spikes);
    MaxPyramid const pyramid(f);
    PyramidTracer const tracer(f, pyramid, depth);
    auto off = [](float c, int at, int n) {  // wrapped distance in cells
      float const d = c - static_cast<float>(at);
      return std::fabs(d - static_cast<float>(n) * std::round(d / static_cast<float>(n)));
    };
    for (int r = 0; r < 400; ++r) {
      auto const [tx, ty] = wall ? (r % 2 ? std::pair{static_cast<int>(rng() % w), 11}
                                          : std::pair{29, static_cast<int>(rng() % h)})
                                 : peaks[static_cast<size_t>(r) % peaks.size()];
      float const a = angle(rng), z = tilt(rng);
      float const eye[3] = {std::cos(a), std::sin(a), z};
      float const reach = -depth / std::max(z / std::sqrt(1.0f + z * z), 0.05f) / std::sqrt(1.0f + z * z);
      float const u = (static_cast<float>(tx) + 0.5f) / w - eye[0] * reach * 0.55f;
      float const v = (static_cast<float>(ty) + 0.5f) / h - eye[1] * reach * 0.55f;
      PyramidHit const hit = tracer.trace(u, v, eye, 4096);
      ASSERT_TRUE(hit.found) << r;
      ASSERT_LE(hit.t, 0.55f + 1e-4f) << (wall ? "wall " : "spike ") << r;
      float const cu = hit.u * w - 0.5f, cv = hit.v * h - 0.5f;
      bool onIt = wall && (off(cv, 11, h) < 1.0f || off(cu, 29, w) < 1.0f);
      for (auto [x, y] : peaks) onIt = onIt || (!wall && off(cu, x, w) < 1.0f && off(cv, y, h) < 1.0f);
      ASSERT_TRUE(onIt) << (wall ? "wall " : "spike ") << r << " at " << cu << ", " << cv;
      EXPECT_LT(checkedError(f, depth, u, v, eye, hit), 0.05f) << r;
    }
  }
}

TEST(PyramidTracer, AgreesWithTheReferenceOnBumpyFieldsAndStopsShortWhenCut) {
  // With iterations to spare, 99% of hits lie within 0.05 texel of the
  // reference's (crossings it stepped over agree); cut to six iterations the
  // search stops before the reference's hit, never past it.
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> c(-1.0f, 1.0f), z(0.03f, 1.0f);
  for (int field = 0; field < 3; ++field) {
    HeightField const f = bumpy(field == 1 ? 96 : 40, field == 2 ? 24 : 64, 5u + field, field == 2 ? 0.0f : 0.3f);
    MaxPyramid const pyramid(f);
    for (float depth : {0.05f, 0.15f}) {
      PyramidTracer const tracer(f, pyramid, depth);
      std::vector<float> errors;
      int cutShort = 0;
      for (int r = 0; r < 600; ++r) {
        float const u = c(rng) * 2, v = c(rng) * 2;
        float const eye[3] = {c(rng), c(rng), z(rng)};
        PyramidHit const hit = tracer.trace(u, v, eye, 2048);
        ASSERT_TRUE(hit.found) << field << " " << r;
        errors.push_back(checkedError(f, depth, u, v, eye, hit));
        PyramidHit const cut = tracer.trace(u, v, eye, 6);
        ASSERT_LE(cut.iterations, 6);
        cutShort += !cut.found;
        ASSERT_TRUE(cut.found || cut.t <= hit.t) << field << " " << r << ": cut short at " << cut.t << ", hit at " << hit.t;
      }
      std::sort(errors.begin(), errors.end());
      EXPECT_LT(errors[errors.size() * 99 / 100], 0.05f) << "field " << field << " depth " << depth;
      EXPECT_GT(cutShort, 0) << "six iterations are too few for some rays";
    }
  }
}
