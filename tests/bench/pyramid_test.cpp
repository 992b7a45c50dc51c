// The max pyramid against a brute-force maximum at every level, and its CPU
// search against the traced reference: one-texel spikes and walls are never
// tunnelled through, hits agree on bumpy fields, and a search cut short by its
// iteration bound never stops past the surface.
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

HeightField randomField(int w, int h, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  std::vector<float> v(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (float& x : v) x = static_cast<float>(byte(rng)) / 255.0f;
  return HeightField(w, h, v);
}

// Smooth hills and 8-bit noise, as a bump map might hold.
HeightField bumpy(int w, int h, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> noise(-0.15f, 0.15f);
  std::vector<float> v(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (size_t i = 0; i < v.size(); ++i) {
    float const x = static_cast<float>(i % static_cast<size_t>(w)), y = static_cast<float>(i / static_cast<size_t>(w));
    float const hill = 0.5f + 0.3f * std::sin(x * 0.35f) * std::cos(y * 0.25f);
    v[i] = std::round(std::clamp(hill + noise(rng), 0.0f, 1.0f) * 255.0f) / 255.0f;
  }
  return HeightField(w, h, v);
}

// The reference's hit for the same ray (the light below the plane: no shadow ray).
TraceResult reference(HeightField const& f, float depth, float u, float v, float const eye[3]) {
  return ReliefTracer(f, depth).trace({u, v, {eye[0], eye[1], eye[2]}, {0, 0, -1}});
}

float texelDistance(HeightField const& f, float u0, float v0, float u1, float v1) {
  return std::hypot((u0 - u1) * static_cast<float>(f.width()), (v0 - v1) * static_cast<float>(f.height()));
}

// Whether the search's hit is the ray's first meeting with the surface: the
// surface is at or above the ray there, and a march at an eighth of a texel
// finds none before it. (The reference's quarter-texel march may step over a
// crossing shorter than its step; this tells such a hit from a wrong one.)
bool firstCrossing(HeightField const& f, float u, float v, PyramidHit const& hit) {
  float const du = (hit.u - u) / hit.t, dv = (hit.v - v) / hit.t;
  auto gap = [&](float t) { return f.sample(u + du * t, v + dv * t) - (1.0f - t); };
  if (!(hit.t > 0.0f) || gap(hit.t) < -1e-4f) return false;
  int const n = static_cast<int>(texelDistance(f, hit.u, hit.v, u, v) * 8.0f);
  for (int k = 0; k < n; ++k)
    if (gap(hit.t * static_cast<float>(k) / static_cast<float>(n)) >= 0.0f) return false;
  return true;
}

}  // namespace

TEST(MaxPyramid, EveryLevelHoldsTheHighestBilinearCellUnderEachNode) {
  struct Size {
    int w, h;
  } const sizes[] = {{16, 16}, {24, 40}, {37, 5}, {1, 1}, {64, 8}};
  for (Size const& s : sizes) {
    HeightField const f = randomField(s.w, s.h, static_cast<unsigned>(s.w * 100 + s.h));
    MaxPyramid const p(f);
    ASSERT_EQ(p.width(0), MaxPyramid::paddedSize(s.w));
    ASSERT_EQ(p.height(0), MaxPyramid::paddedSize(s.h));
    ASSERT_EQ(p.levels(), MaxPyramid::levelCount(s.w, s.h));
    ASSERT_EQ(p.width(p.levels() - 1), 1);
    ASSERT_EQ(p.height(p.levels() - 1), 1);
    for (int l = 0; l < p.levels(); ++l) {
      ASSERT_EQ(p.level(l).size(), static_cast<size_t>(p.width(l) * p.height(l)));
      long const side = 1L << l;
      for (int y = 0; y < p.height(l); ++y)
        for (int x = 0; x < p.width(l); ++x) {
          // Every texel any bilinear cell under the node touches, wrapping; 0
          // for a node wholly in the padding.
          float highest = 0.0f;
          for (long cy = y * side; cy < std::min<long>((y + 1) * side, s.h); ++cy)
            for (long cx = x * side; cx < std::min<long>((x + 1) * side, s.w); ++cx)
              for (long ty : {cy, cy + 1})
                for (long tx : {cx, cx + 1}) highest = std::max(highest, f.texel(tx, ty));
          ASSERT_EQ(p.at(l, x, y), highest) << s.w << "x" << s.h << " level " << l << " (" << x << ", " << y << ")";
        }
    }
  }
  EXPECT_EQ(MaxPyramid::paddedSize(512), 512);
  EXPECT_EQ(MaxPyramid::paddedSize(513), 1024);
  EXPECT_EQ(MaxPyramid::levelCount(512, 3), 10);
}

TEST(PyramidTracer, FindsEveryOneTexelSpikeAndWall) {
  // A floor at 0 with single tall texels, or with one-texel walls across the
  // map, on a map that is not a power of two. Rays from many directions, most
  // of them grazing, aimed so that they pass over a spike's or wall's texel
  // centre at half its height, must stop on its bilinear footprint no later
  // than there, where the reference stops.
  int const w = 48, h = 40;
  float const depth = 0.1f;
  std::vector<float> spikes(static_cast<size_t>(w * h), 0.0f), walls(spikes);
  struct Texel {
    int x, y;
  };
  std::vector<Texel> const peaks = {{5, 7}, {30, 20}, {47, 39}, {0, 0}, {17, 33}};
  for (Texel const& p : peaks) spikes[static_cast<size_t>(p.y * w + p.x)] = 0.9f;
  for (int i = 0; i < w; ++i) walls[static_cast<size_t>(11 * w + i)] = 0.9f;  // along u at row 11
  for (int j = 0; j < h; ++j) walls[static_cast<size_t>(j * w + 29)] = 0.9f;  // along v at column 29
  HeightField const spikeField(w, h, spikes), wallField(w, h, walls);
  MaxPyramid const spikePyramid(spikeField), wallPyramid(wallField);

  std::mt19937 rng(7);
  std::uniform_real_distribution<float> angle(0.0f, 6.2831853f), tilt(0.02f, 0.9f), along(-0.5f, 0.5f);
  int rays = 0;
  for (bool wall : {false, true}) {
    HeightField const& f = wall ? wallField : spikeField;
    PyramidTracer const tracer(f, wall ? wallPyramid : spikePyramid, depth);
    for (int r = 0; r < 400; ++r) {
      Texel const target = wall ? (r % 2 ? Texel{static_cast<int>(along(rng) * 40 + 24), 11}
                                         : Texel{29, static_cast<int>(along(rng) * 30 + 20)})
                                : peaks[static_cast<size_t>(r) % peaks.size()];
      float const a = angle(rng), z = tilt(rng);
      float const eye[3] = {std::cos(a), std::sin(a), z};
      float const len = std::sqrt(1.0f + z * z);
      float const reachU = -eye[0] / len / std::max(z / len, 0.05f) * depth;
      float const reachV = -eye[1] / len / std::max(z / len, 0.05f) * depth;
      // Over the centre at t = 0.55 (height 0.45), entering where that puts it.
      float const tOver = 0.55f;
      float const u = (static_cast<float>(target.x) + 0.5f) / w - reachU * tOver;
      float const v = (static_cast<float>(target.y) + 0.5f) / h - reachV * tOver;
      PyramidHit const hit = tracer.trace(u, v, eye, 4096);
      ASSERT_TRUE(hit.found) << r;
      ASSERT_LE(hit.t, tOver + 1e-4f) << (wall ? "wall " : "spike ") << r;
      // On a footprint: within one texel (each way, wrapping) of a spike's
      // centre, or across a wall's; the first one in the way need not be the
      // one aimed at.
      auto off = [](float c, int at, int n) {
        float const d = c - static_cast<float>(at);
        return std::fabs(d - static_cast<float>(n) * std::round(d / static_cast<float>(n)));
      };
      float const cu = hit.u * w - 0.5f, cv = hit.v * h - 0.5f;
      bool onIt = wall && (off(cv, 11, h) < 1.0f || off(cu, 29, w) < 1.0f);
      for (Texel const& p : peaks) onIt = onIt || (!wall && off(cu, p.x, w) < 1.0f && off(cv, p.y, h) < 1.0f);
      ASSERT_TRUE(onIt) << (wall ? "wall " : "spike ") << r << " at " << cu << ", " << cv;
      TraceResult const ref = reference(f, depth, u, v, eye);
      ASSERT_LE(hit.t, ref.t + 1e-4f) << r;
      if (texelDistance(f, hit.u, hit.v, ref.u, ref.v) >= 0.05f) {
        ASSERT_TRUE(firstCrossing(f, u, v, hit)) << r;
      }
      ++rays;
    }
  }
  EXPECT_EQ(rays, 800);
}

TEST(PyramidTracer, AgreesWithTheReferenceOnBumpyFieldsAndStopsShortWhenCut) {
  // With iterations to spare the search stops at the first crossing: never
  // later than the reference, and where it stops earlier the ray really meets
  // the surface there, first. Counting those as agreeing, the hits lie within 0.05
  // texel of the reference's at the 99th percentile. Cut to a few iterations
  // the search stops on the ray before the hit, never past it.
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> c(-1.0f, 1.0f), z(0.03f, 1.0f);
  for (int field = 0; field < 3; ++field) {
    HeightField const f = field == 2 ? randomField(40, 24, 3) : bumpy(field ? 96 : 64, 64, 5u + field);
    MaxPyramid const pyramid(f);
    for (float depth : {0.05f, 0.15f}) {
      PyramidTracer const tracer(f, pyramid, depth);
      std::vector<float> errors;
      int cutShort = 0, stepsOver = 0;
      for (int r = 0; r < 600; ++r) {
        float const u = c(rng) * 2, v = c(rng) * 2;
        float const eye[3] = {c(rng), c(rng), z(rng)};
        TraceResult const ref = reference(f, depth, u, v, eye);
        PyramidHit const hit = tracer.trace(u, v, eye, 2048);
        ASSERT_TRUE(hit.found) << field << " " << r;
        ASSERT_LE(hit.t, ref.t + 1e-4f) << field << " " << r;
        float error = texelDistance(f, hit.u, hit.v, ref.u, ref.v);
        if (error >= 0.05f) {
          ASSERT_TRUE(firstCrossing(f, u, v, hit)) << field << " " << r;
          error = 0.0f;
          ++stepsOver;
        }
        errors.push_back(error);
        PyramidHit const cut = tracer.trace(u, v, eye, 6);
        ASSERT_LE(cut.iterations, 6);
        if (!cut.found) {
          ++cutShort;
          ASSERT_LE(cut.t, ref.t + 1e-4f) << field << " " << r;
        }
      }
      std::sort(errors.begin(), errors.end());
      EXPECT_LT(errors[errors.size() * 99 / 100], 0.05f) << "field " << field << " depth " << depth;
      EXPECT_LT(stepsOver, 30) << "field " << field << " depth " << depth;
      EXPECT_GT(cutShort, 0) << "six iterations are too few for some rays";
    }
  }
}
