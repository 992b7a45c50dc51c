// The CPU relief reference: height lookups and bounds, eye hits and light tests with known answers, exact traces
// against a fine march, skipping against the cell walk, cancelling, and the cone maps.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "BilinearCell.h"
#include "ConeMap.h"
#include "HardMaps.h"
#include "HeightField.h"
#include "ReliefTracer.h"
#include "march_oracle.h"

namespace {

HeightField columns(int w, int h, std::function<float(int)> const& f) {
  std::vector<float> v(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (size_t i = 0; i < v.size(); ++i) v[i] = f(static_cast<int>(i % static_cast<size_t>(w)));
  return HeightField(w, h, v);
}

HeightField noise(int w, int h, unsigned seed, int levels) {
  std::mt19937 rng(seed);
  std::vector<float> v(static_cast<size_t>(w) * static_cast<size_t>(h));
  // Smooth hills plus noise, rounded to `levels` steps (many equal heights).
  for (size_t i = 0; i < v.size(); ++i) {
    float const x = static_cast<float>(i % static_cast<size_t>(w)), y = static_cast<float>(i / static_cast<size_t>(w));
    float const hill = 0.5f + 0.3f * std::sin(x * 0.4f) * std::cos(y * 0.3f);
    float const h0 = hill + 0.2f * (std::uniform_real_distribution<float>(-1, 1)(rng));
    v[i] = std::round(std::clamp(h0, 0.0f, 1.0f) * levels) / levels;
  }
  return HeightField(w, h, v);
}

}  // namespace

TEST(HeightField, SamplesBlendLikeTheGlAndTheRangesHoldThem) {
  std::vector<unsigned char> rgba = {0, 0, 0, 0, 0, 0, 0, 51, 0, 0, 0, 255, 0, 0, 0, 102};
  HeightField const f = HeightField::fromRgba8(rgba.data(), 4, 1);
  EXPECT_FLOAT_EQ(f.sample(1.5f / 4, 0.5f), 0.2f);          // a texel centre
  EXPECT_FLOAT_EQ(f.sample(2.0f / 4, 0.5f), 0.6f);          // halfway to the next
  EXPECT_FLOAT_EQ(f.sample(0.0f, 0.5f), 0.2f);              // wraps: texels 3 and 0
  EXPECT_FLOAT_EQ(f.sample(3.75f / 4, 0.5f), 0.3f);         // and the other way

  HeightField const n = noise(24, 40, 5, 1000);
  std::mt19937 rng(9);
  std::uniform_real_distribution<float> at(-1.5f, 1.5f), size(0.0f, 0.3f), unit(0.0f, 1.0f);
  for (int r = 0; r < 300; ++r) {
    float const u0 = at(rng), v0 = at(rng), du = size(rng), dv = size(rng);
    HeightField::Range const b = n.rangeOver(u0, v0, u0 + du, v0 + dv);
    for (int s = 0; s < 50; ++s) {
      float const h = n.sample(u0 + du * unit(rng), v0 + dv * unit(rng));
      ASSERT_LE(b.min, h) << r;
      ASSERT_GE(b.max, h) << r;
    }
  }
  // Bounds away from other heights are tight (or would skip nothing): plateaus
  // of columns 20..39 and, across the seam, 54..9.
  for (int lo : {20, 54}) {
    HeightField const plateau = columns(64, 4, [lo](int x) { return (x - lo + 64) % 64 < 20 ? 0.5f : 0.9f; });
    HeightField::Range const b = plateau.rangeOver((lo + 5.0f) / 64, 0.0f, (lo + 14.0f) / 64, 1.0f);
    EXPECT_TRUE(std::fabs(b.max - 0.5f) < 1e-5f && std::fabs(b.min - 0.5f) < 1e-5f) << lo << ": " << b.min << " " << b.max;
  }
}

TEST(ReliefTracer, EyeRaysMeetFlatsStepsAndSlopesWhereTheGeometrySays) {
  HeightField const flat = columns(64, 4, [](int) { return 0.3f; });
  HeightField const top = columns(64, 4, [](int) { return 1.0f; });
  HeightField const step = columns(64, 4, [](int x) { return x < 32 ? 0.2f : 0.9f; });
  HeightField const slope = columns(64, 4, [](int x) { return x / 63.0f; });
  // Eye (-5, 0, 1) at depth 0.1 reaches +0.5 in u. On the step the ray crosses
  // the blend between texel centres 31 and 32: 0.2 + 0.7 (32 t - 15.5) = 1 - t.
  // On the slope (between centres) (64 u - 0.5) / 63 = 1 - t with u = 0.3 + 0.5 t.
  struct Case { char const* name; HeightField const& field; float depth, u, eyeX, eyeZ; float t; } const cases[] = {
      {"flat", flat, 0.1f, 0.25f, -5, 1, 0.7f},
      {"flat, grazing", flat, 0.1f, 0.25f, -1, 0.001f, 0.7f},
      {"flat, viewed from below", flat, 0.1f, 0.25f, -1, -2, 0.7f},
      {"top", top, 0.1f, 0.25f, -5, 1, 0.0f},
      {"step edge", step, 0.1f, 0.25f, -5, 1, 11.65f / 23.4f},
      {"step, looking straight down", step, 0.1f, 0.25f, 0, 1, 0.8f},
      {"slope", slope, 0.1f, 0.3f, -5, 1, 44.3f / 95.0f},
      {"slope, depth 0", slope, 0.0f, 0.3f, -5, 1, 1.0f - 18.7f / 63.0f},
  };
  for (Case const& c : cases) {
    TraceResult const r = ReliefTracer(c.field, c.depth).trace({c.u, 0.4f, {c.eyeX, 0, c.eyeZ}, {0, 0, 1}});
    EXPECT_NEAR(r.t, c.t, 2e-5f) << c.name;
    EXPECT_EQ(r.v, 0.4f) << c.name;
  }
}

TEST(ReliefTracer, LightRaysAreShadowedByWhatStandsAboveThemByMoreThanTheBias) {
  // Floor 0.1, wall 40..43; from the floor at u = 0.5 light (2, 0, 1) passes
  // the wall's near top corner (s = 8.5 / 12.8) at a height of 0.7640625.
  struct Case { float wall; float light[3]; bool above, lit; } const cases[] = {
      {0.82f, {2, 0, 1}, true, false},    // 0.056 above the ray
      {0.76f, {2, 0, 1}, true, true},     // under it
      {0.7775f, {2, 0, 1}, true, true},   // 0.0134 above it: less than the bias
      {0.7875f, {2, 0, 1}, true, false},  // 0.0234 above it, at the corner only
      {0.82f, {-2, 0, 1}, true, true},    // the other way: open floor
      {0.82f, {2, 0, 4}, true, true},     // steep: ends before the wall
      {0.82f, {2, 0, 0}, false, false},
  };
  for (Case const& c : cases) {
    HeightField const f = columns(64, 4, [&](int x) { return x >= 40 && x < 44 ? c.wall : 0.1f; });
    TraceResult const r = ReliefTracer(f, 0.1f).trace({0.5f, 0.5f, {0, 0, 1}, {c.light[0], c.light[1], c.light[2]}});
    EXPECT_FLOAT_EQ(r.t, 0.9f);
    EXPECT_EQ(r.lightAbove, c.above) << c.wall << " " << c.light[0] << " " << c.light[2];
    EXPECT_EQ(r.lit, c.lit) << c.wall << " " << c.light[0] << " " << c.light[2];
  }
}

TEST(ReliefTracer, SkippingAndThreadsGiveExactlyTheCellByCellWalk) {
  // An odd size too: the pyramid's blocks at its far edges are cut short.
  HeightField const fields[] = {noise(64, 48, 3, 255), noise(37, 23, 6, 255)};
  std::mt19937 rng(4);
  std::uniform_real_distribution<float> c(-1.0f, 1.0f);
  std::vector<TraceInput> in(3000);
  for (TraceInput& i : in) i = {c(rng) * 3, c(rng) * 3, {c(rng), c(rng), c(rng) + 0.3f}, {c(rng), c(rng), c(rng) + 0.2f}};

  for (HeightField const& field : fields)
    for (float depth : {0.02f, 0.1f, 0.3f}) {
      SCOPED_TRACE(testing::Message() << field.width() << "x" << field.height() << ", depth " << depth);
      ReliefTracer const plain(field, depth, false), fast(field, depth);
      std::vector<TraceResult> out(in.size(), TraceResult{-1, -1, -1, false, false});
      std::atomic<size_t> done{0};
      fast.traceAll(in.data(), out.data(), in.size(), 2, &done);
      EXPECT_EQ(done.load(), in.size());
      int shadowed = 0;
      for (size_t i = 0; i < in.size(); ++i) {
        TraceResult const p = plain.trace(in[i]), &o = out[i];
        ASSERT_TRUE(p.t == o.t && p.u == o.u && p.v == o.v && p.lit == o.lit && p.lightAbove == o.lightAbove) << i;
        shadowed += p.lightAbove && !p.lit;
      }
      EXPECT_GT(shadowed, 10);  // the light rays were really tested
    }
}

TEST(ReliefTracer, ExactHitsAgreeWithAFineMarchAndAreNeverLater) {
  // Assorted sizes (odd: narrow edge blocks) and the wall grid (flat cells:
  // linear or constant crossings); rays steep to grazing, from anywhere.
  struct Case { HeightField field; float depth; } const cases[] = {
      {noise(32, 32, 31, 255), 0.05f}, {noise(24, 40, 32, 1000), 0.1f}, {noise(33, 17, 33, 8), 0.02f},
      {noise(16, 16, 34, 255), 0.3f}, {HardMaps::make(HardMaps::Kind::Walls, 64), 0.1f}};
  std::mt19937 rng(21);
  std::uniform_real_distribution<float> c(-1.0f, 1.0f);
  for (Case const& k : cases) {
    HeightField const& f = k.field;
    ReliefTracer const tracer(f, k.depth);
    int agree = 0, total = 400;
    for (int i = 0; i < total; ++i) {
      TraceInput const in{c(rng) * 3, c(rng) * 3, {c(rng), c(rng), c(rng) + 0.3f}, {0, 0, 1}};
      TraceResult const r = tracer.trace(in);
      double const march = MarchOracle::eyeHit(f, k.depth, in, 1.0 / 64);
      // The exact hit lies on the surface, and no finer search finds one sooner.
      ASSERT_LE(r.t, march + 1e-5) << f.width() << "x" << f.height() << " ray " << i;
      if (r.t < 1.0f) {
        ASSERT_NEAR(MarchOracle::heightAt(f, r.u, r.v), 1.0 - r.t, 2e-5) << f.width() << "x" << f.height() << " ray " << i;
      }
      // A crest grazed for under 1/64 texel needs a far finer march.
      agree += std::fabs(r.t - march) < 1e-5 ||
               std::fabs(r.t - MarchOracle::eyeHit(f, k.depth, in, 1.0 / 4096)) < 1e-5;
    }
    EXPECT_GE(agree, total * 99 / 100) << f.width() << "x" << f.height();
  }
}

TEST(BilinearCell, ACrossingOnTheBoundaryOfTwoStretchesIsFoundByOneOfThem) {
  // q(s) = a (s - r0)(s - r1) rises through zero at r1 (a > 0) or r0 (a < 0):
  // split there, the second stretch re-centred as a walk does, it is found.
  std::mt19937 rng(12);
  std::uniform_real_distribution<double> at(0.01, 1.0), scale(0.1, 50.0);
  for (int i = 0; i < 20000; ++i) {
    // q(0) < 0: an upward parabola's roots lie either side of 0, a downward one's both ahead.
    double const a = (i % 3 == 0 ? 1.0 : -1.0) * scale(rng);
    double const r0 = a > 0.0 ? -at(rng) : at(rng), r1 = std::max(r0, 0.0) + at(rng);
    double const split = a > 0.0 ? r1 : r0;
    Quadratic const q{a, -a * (r0 + r1), a * r0 * r1};
    Quadratic const next{a, q.b + 2.0 * a * split, q(split)};
    double const len = a > 0.0 ? 2.0 : 1.5 * (r1 - r0);
    double const first = firstNonNegative(q, split);
    double const found = first >= 0.0 ? first : split + firstNonNegative(next, len);
    ASSERT_NEAR(found, split, 1e-12) << i << " a " << a << " r0 " << r0 << " r1 " << r1;
  }
  // A line, a constant, and a downward parabola whose rise lies behind.
  EXPECT_DOUBLE_EQ(firstNonNegative({0.0, 2.0, -1.0}, 1.0), 0.5);
  EXPECT_EQ(firstNonNegative({0.0, 2.0, -1.0}, 0.25), -1.0);
  EXPECT_EQ(firstNonNegative({0.0, 0.0, -1e-12}, 5.0), -1.0);
  EXPECT_EQ(firstNonNegative({0.0, 0.0, 0.0}, 5.0), 0.0);
  EXPECT_EQ(firstNonNegative({-1.0, -1.0, -0.1}, 5.0), -1.0);
  // Highest points: an end, or a downward parabola's vertex inside.
  EXPECT_DOUBLE_EQ(highestOver({-1.0, 1.0, 0.0}, 2.0), 0.25);
  EXPECT_DOUBLE_EQ(highestOver({-1.0, 1.0, 0.0}, 0.25), 0.1875);
  EXPECT_DOUBLE_EQ(highestOver({1.0, -1.0, 0.0}, 2.0), 2.0);
}

TEST(ReliefTracer, LightVerdictsAgreeWithAFineMarch) {
  std::mt19937 rng(8);
  std::uniform_real_distribution<float> c(-1.0f, 1.0f);
  for (unsigned seed : {40u, 41u}) {
    HeightField const f = noise(seed == 40 ? 32 : 27, 32, seed, 255);
    for (float depth : {0.1f, 0.3f}) {
      ReliefTracer const tracer(f, depth);
      int agree = 0, blocked = 0, total = 500;
      for (int i = 0; i < total; ++i) {
        // A point on the surface, as a trace finds it, and a light above the plane.
        TraceResult const hit = tracer.trace({c(rng) * 2, c(rng) * 2, {c(rng), c(rng), c(rng) + 1.2f}, {0, 0, 1}});
        float const lx = c(rng), ly = c(rng), lz = 0.4f * std::fabs(c(rng)) + 0.03f;
        float const len = std::sqrt(lx * lx + ly * ly + lz * lz), light[3] = {lx / len, ly / len, lz / len};
        bool const exact = tracer.lightBlocked(hit.u, hit.v, 1.0 - hit.t, light, nullptr);
        bool const march = MarchOracle::lightBlocked(f, depth, hit.u, hit.v, 1.0 - hit.t, light, 1.0 / 64);
        // What a sample shows above the ray, the exact highest point shows too.
        ASSERT_TRUE(exact || !march) << seed << " " << depth << " " << i;
        agree += exact == march;
        blocked += exact;
      }
      EXPECT_GE(agree, total * 98 / 100) << seed << " " << depth;
      EXPECT_GT(blocked, total / 10) << seed << " " << depth;  // the verdicts were really tested
      EXPECT_LT(blocked, total * 9 / 10) << seed << " " << depth;
    }
  }
}

TEST(ReliefTracer, CancellingStopsEndlessRaysAndNonFiniteInputsEnd) {
  HeightField const f = noise(64, 64, 50, 255);
  // At depth 1e30 every ray is some 1e32 cells long: only the cancel flag ends it.
  std::vector<TraceInput> in(64, TraceInput{0.3f, 0.6f, {-0.5f, 0.2f, 1.0f}, {0.3f, 0.3f, 1.0f}});
  std::vector<TraceResult> out(in.size(), TraceResult{-1, -1, -1, false, false});
  std::atomic<bool> cancel{false};
  std::atomic<size_t> done{0};
  ReliefTracer const deep(f, 1e30f);
  std::thread worker([&] { deep.traceAll(in.data(), out.data(), in.size(), 2, &done, &cancel); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  cancel = true;
  worker.join();  // a trace that ignores the flag never returns
  EXPECT_EQ(done.load(), 0u);
  EXPECT_EQ(out[0].t, -1.0f);
  TraceResult one{-1, -1, -1, false, false};
  EXPECT_FALSE(deep.trace(in[0], one, &cancel));
  EXPECT_EQ(one.t, -1.0f);

  // Depths and vectors that are not finite look straight down (or up).
  float const inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  for (float depth : {inf, -inf, nan})
    EXPECT_NEAR(1.0f - ReliefTracer(f, depth).trace(in[0]).t, f.sample(0.3f, 0.6f), 1e-5f) << depth;
  TraceInput const odd[] = {{nan, inf, {1, 0, 1}, {0, 0, 1}}, {0.2f, 0.2f, {inf, 0, 1}, {nan, 0, 1}},
                            {0.2f, 0.2f, {nan, nan, nan}, {inf, inf, inf}}, {1e30f, -1e30f, {1, 1, 0.1f}, {1, 0, 1}}};
  for (TraceInput const& i : odd) {
    TraceResult const r = ReliefTracer(f, 0.1f).trace(i);
    EXPECT_TRUE(r.t >= 0.0f && r.t <= 1.0f) << r.t;
  }
}

TEST(ConeMap, RatiosOnHandWorkedFields) {
  // A 16 x 16 floor, a pillar at (5, 5) tops the four cells around it. A
  // footprint 1.5 texels from them along x is limited by that gap over the
  // height; nearer, by its 16 cells' slope bound 1 / (16 sqrt 2) (a full rise
  // per texel both ways). Along an axis the pillar's cells also fall away
  // sideways, so relaxed cones are no wider there.
  auto pillar = [](int x, int y, float height) {
    std::vector<float> v(256, 0.0f);
    v[static_cast<size_t>(y * 16 + x)] = height;
    return HeightField(16, 16, v);
  };
  float const slope = 1.0f / (16.0f * std::sqrt(2.0f));
  // A full ridge over columns 8..23 of 32: from column 4 its near edge is 2.5
  // texels off, and the surface first falls away past its far one, 18.5 off.
  HeightField const ridge = columns(32, 4, [](int x) { return x >= 8 && x < 24 ? 1.0f : 0.0f; });
  struct Case { char const* name; HeightField field; int x, y; float conservative, relaxed; } const cases[] = {
      {"flat", columns(16, 16, [](int) { return 0.4f; }), 3, 7, 1.0f, 1.0f},
      {"pillar three texels away", pillar(5, 5, 1), 8, 5, 1.5f / 16, 1.5f / 16},
      // Diagonally, the pillar's own cell rises towards it all the way; the
      // surface falls away from the texel first in the cells beside it.
      {"pillar three texels away, diagonally", pillar(5, 5, 1), 8, 8, std::sqrt(2.0f) * 1.5f / 16, std::hypot(1.5f, 2.5f) / 16},
      {"pillar three texels away, across the seam", pillar(1, 7, 1), 14, 7, 1.5f / 16, 1.5f / 16},
      {"half pillar three texels away", pillar(5, 5, 0.5f), 8, 5, 1.5f / 16 / 0.5f, 1.5f / 16 / 0.5f},
      {"pillar next door", pillar(5, 5, 1), 6, 5, slope, slope},
      {"pillar two texels away", pillar(5, 5, 1), 7, 5, slope, slope},
      // Read at a corner of its footprint, three quarters down.
      {"pillar top", pillar(5, 5, 1), 5, 5, slope, slope},
      {"beside a ridge", ridge, 4, 1, 2.5f / 32, 18.5f / 32},
  };
  for (Case const& c : cases)
    for (ConeMap::Kind kind : {ConeMap::Kind::Conservative, ConeMap::Kind::Relaxed}) {
      std::vector<float> const brute = ConeMap::rawBruteForce(c.field, kind);
      size_t const i = static_cast<size_t>(c.y * c.field.width() + c.x);
      EXPECT_NEAR(brute[i], kind == ConeMap::Kind::Conservative ? c.conservative : c.relaxed, 1e-6f)
          << c.name << ", " << ConeMap::name(kind);
      EXPECT_EQ(ConeMap::raw(c.field, kind, 2), brute) << c.name << ", " << ConeMap::name(kind);
    }
}

TEST(ConeMap, FastSearchMatchesBruteForceOnRandomFields) {
  // Noisy hills, sides powers of two do not divide (blocks wrap part-way), maps
  // under a footprint's 4 x 4 cells or a tile, flat tiles between trenches.
  // Relaxed cones are never narrower than conservative ones, wider somewhere.
  std::vector<float> tiles(48 * 48);
  for (size_t i = 0; i < tiles.size(); ++i) {
    int const x = static_cast<int>(i % 48), y = static_cast<int>(i / 48);
    tiles[i] = (x + 4) % 16 < 8 || (y + 4) % 16 < 8 ? 0.0f : 0.3f + 0.1f * static_cast<float>((x / 16 * 5 + y / 16 * 3) % 8);
  }
  struct Case { int w, h, levels; } const cases[] = {{32, 32, 255}, {16, 16, 8},   {24, 40, 1000}, {33, 17, 64}, {13, 32, 255},
                                                     {5, 7, 16},    {3, 5, 255},   {1, 1, 255},    {48, 48, 0}};
  unsigned seed = 11;
  for (Case const& c : cases) {
    HeightField const f = c.levels ? noise(c.w, c.h, ++seed, c.levels) : HeightField(c.w, c.h, tiles);
    std::vector<float> brute[2];
    for (ConeMap::Kind kind : {ConeMap::Kind::Conservative, ConeMap::Kind::Relaxed}) {
      std::vector<float>& b = brute[kind == ConeMap::Kind::Relaxed];
      b = ConeMap::rawBruteForce(f, kind);
      EXPECT_EQ(ConeMap::raw(f, kind, 2), b) << c.w << "x" << c.h << ", " << ConeMap::name(kind);
    }
    int limited = 0, wider = 0;
    for (size_t i = 0; i < brute[0].size(); ++i) {
      limited += brute[0][i] < 1.0f;
      wider += brute[1][i] > brute[0][i];
      ASSERT_GE(brute[1][i], brute[0][i]) << c.w << "x" << c.h << " texel " << i;
    }
    if (c.w * c.h >= 16) {
      EXPECT_GT(limited, c.w * c.h / 3);  // cones that the search had to find
    }
    if (c.w * c.h >= 100) {
      EXPECT_GT(wider, 0) << c.w << "x" << c.h;
    }
  }
}

TEST(ConeMap, TheTextureForLinearReadsHoldsEachNeighbourhoodsNarrowestCone) {
  // Read linearly the texture is the raw map's wrapped 3x3 minimum (a blend of
  // four texels no wider than any one's cone); read nearest, the raw map.
  HeightField const f = noise(13, 9, 3, 255);
  std::vector<float> const raw = ConeMap::raw(f, ConeMap::Kind::Relaxed, 1);
  std::vector<float> const linear = ConeMap::generate(f, 1, nullptr, nullptr, ConeMap::Kind::Relaxed, ConeMap::Reading::Linear);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 13; ++x) {
      float narrowest = 1.0f;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) narrowest = std::min(narrowest, raw[static_cast<size_t>((y + dy + 9) % 9 * 13 + (x + dx + 13) % 13)]);
      EXPECT_EQ(linear[static_cast<size_t>(y * 13 + x)], narrowest) << x << ", " << y;
    }
  EXPECT_EQ(ConeMap::generate(f, 1), raw);
}

TEST(ConeMap, PackingNeverWidensACone) {
  std::vector<float> ratios = {1.0f, 0.0f, 1e-6f, 0.25f, 0.5f};
  for (int i = 0; i < 1000; ++i) ratios.push_back(static_cast<float>(i) / 1000.0f);
  for (int i = 0; i < 1000; ++i) ratios.push_back(std::pow(10.0f, -7.0f + static_cast<float>(i) * 0.007f));
  std::vector<uint16_t> const packed = ConeMap::pack(ratios);
  for (size_t i = 0; i < ratios.size(); ++i) {
    EXPECT_LE(ConeMap::unpack(packed[i]), ratios[i]) << ratios[i];
    if (packed[i] < 65535) {
      EXPECT_GT(ConeMap::unpack(static_cast<uint16_t>(packed[i] + 1)), ratios[i]) << ratios[i];
    }
  }
}

// The coneKind words: either kind's name in any case; others leave the kind.
TEST(ConeMap, KindsAreReadByTheirNames) {
  ConeMap::Kind kind = ConeMap::Kind::Relaxed;
  EXPECT_TRUE(ConeMap::parse("Conservative", kind) && kind == ConeMap::Kind::Conservative);
  EXPECT_TRUE(ConeMap::parse("RELAXED", kind) && kind == ConeMap::Kind::Relaxed);
  EXPECT_FALSE(ConeMap::parse("relax", kind) || ConeMap::parse("", kind));
  EXPECT_EQ(kind, ConeMap::Kind::Relaxed);
}
