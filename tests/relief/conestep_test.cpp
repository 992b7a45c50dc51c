// Cone stepping on the CPU with the bundled shader's formulas, over maps of thin walls and lone spikes: no step may pass through the surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "ConeMap.h"
#include "HardMaps.h"
#include "HeightField.h"
#include "march_oracle.h"

namespace {

// The shader's cone march (the RELAXED_CONE branch of the bundled fragment
// shader), step by step, with the packed ratios read as the GL reads them:
// nearest texel, wrapping. The shortest step is a sixteenth of a texel.
struct ConeMarch {
  explicit ConeMarch(HeightField const& field) : field(field), ratios(ConeMap::pack(ConeMap::generate(field, 2))) {}

  // gap = height - ray height at t: >= 0 at or under the surface.
  float gap(float u, float v, float ru, float rv, float t) const {
    return field.sample(u + ru * t, v + rv * t) - (1.0f - t);
  }

  // The next t from t (above the surface, gap g), as the shader takes it;
  // *coneLimited says whether the cone, not the shortest step, set its length.
  float step(float u, float v, float ru, float rv, float t, bool* coneLimited) const {
    float const w = static_cast<float>(field.width()), h = static_cast<float>(field.height());
    float const minStep = (1.0f / 16.0f) / std::max(std::hypot(ru * w, rv * h), 1e-6f);
    auto texel = [](float c, float n) { return std::clamp(static_cast<long>(std::floor((c - std::floor(c)) * n)), 0L, long(n) - 1); };
    float const ratio = ConeMap::unpack(ratios[static_cast<size_t>(texel(v + rv * t, h) * field.width() + texel(u + ru * t, w))]);
    float const g = gap(u, v, ru, rv, t), coneStep = ratio * -g / (std::hypot(ru, rv) + ratio);
    *coneLimited = coneStep >= minStep;
    if (*coneLimited) return std::min(1.0f, t + coneStep);
    float const next = std::min(1.0f, t + minStep);
    // The shader's underOnSpan: the span cut where it crosses texel-centre lines.
    float const c0x = (u + ru * t) * w - 0.5f, c0y = (v + rv * t) * h - 0.5f;
    float const c1x = (u + ru * next) * w - 0.5f, c1y = (v + rv * next) * h - 0.5f;
    float cutX = next, cutY = next;
    if (std::floor(c0x) != std::floor(c1x))
      cutX = t + (next - t) * (std::max(std::floor(c0x), std::floor(c1x)) - c0x) / (c1x - c0x);
    if (std::floor(c0y) != std::floor(c1y))
      cutY = t + (next - t) * (std::max(std::floor(c0y), std::floor(c1y)) - c0y) / (c1y - c0y);
    float const a = std::clamp(std::min(cutX, cutY), t, next), b = std::clamp(std::max(cutX, cutY), a, next);
    float found = underOnPiece(u, v, ru, rv, t, a, g);
    if (found < 0.0f && b > a) found = underOnPiece(u, v, ru, rv, a, b, gap(u, v, ru, rv, a));
    if (found < 0.0f && next > b) found = underOnPiece(u, v, ru, rv, b, next, gap(u, v, ru, rv, b));
    return found >= 0.0f ? found : next;
  }

  // The shader's underOnPiece.
  float underOnPiece(float u, float v, float ru, float rv, float s0, float s1, float g0) const {
    if (s1 <= s0) return -1.0f;
    float const mid = 0.5f * (s0 + s1), gm = gap(u, v, ru, rv, mid), g1 = gap(u, v, ru, rv, s1);
    if (gm >= 0.0f) return mid;
    float const halfLength = 0.5f * (s1 - s0), curve = (g0 - 2.0f * gm + g1) / (2.0f * halfLength * halfLength);
    float const vertex = curve < 0.0f ? mid - (g1 - g0) / (4.0f * halfLength * curve) : s1;
    if (vertex > s0 && vertex < s1 && gap(u, v, ru, rv, vertex) >= 0.0f) return vertex;
    return g1 >= 0.0f ? s1 : -1.0f;
  }

  HeightField const& field;
  std::vector<uint16_t> ratios;
};

// The largest of (bilinear height - ray height) along the ray for t in
// [t0, t1], exactly: cut where the ray crosses a cell's edge, each piece is a
// quadratic in t, largest at an end or at its vertex. In double.
double highestGap(HeightField const& f, double u, double v, double ru, double rv, double t0, double t1) {
  std::vector<double> cuts = {t0, t1};
  for (auto [c0, dc] : {std::pair{u * f.width() - 0.5, ru * f.width()}, {v * f.height() - 0.5, rv * f.height()}}) {
    if (dc == 0.0) continue;
    double const a = c0 + dc * t0, b = c0 + dc * t1;
    for (double k = std::ceil(std::min(a, b)); k <= std::max(a, b); k += 1.0)
      if ((k - c0) / dc > t0 && (k - c0) / dc < t1) cuts.push_back((k - c0) / dc);
  }
  std::sort(cuts.begin(), cuts.end());
  auto gapAt = [&](double t) { return MarchOracle::heightAt(f, u + ru * t, v + rv * t) - (1.0 - t); };
  double highest = -2.0;
  for (size_t i = 0; i + 1 < cuts.size(); ++i) {
    double const a = cuts[i], b = cuts[i + 1], mid = 0.5 * (a + b), ga = gapAt(a), gm = gapAt(mid), gb = gapAt(b);
    highest = std::max({highest, ga, gb});
    double const half = 0.5 * (b - a), p = (ga - 2.0 * gm + gb) / (2.0 * half * half);
    double const vertex = p < 0.0 ? mid - (gb - ga) / (2.0 * half) / (2.0 * p) : b;
    if (vertex > a && vertex < b) highest = std::max(highest, gapAt(vertex));
  }
  return highest;
}

// Rays from random points at the top in random directions, from steep to
// grazing (a reach of 0.5 to 300 texels over the relief's depth), marched as
// the shader marches them for up to 512 steps. No step that ends above the
// surface may have gone under it on the way; the cones alone (the steps they
// set) may not even touch it before their end.
void expectNoStepPassesThrough(HeightField const& field, char const* name) {
  ConeMarch const march(field);
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  int passes = 0, coneEntries = 0, steps = 0, coneSteps = 0;
  double const tolerance = 1e-5;  // float lookups against the exact double surface
  for (int ray = 0; ray < 3000; ++ray) {
    float const u = unit(rng), v = unit(rng), turn = 6.2831853f * unit(rng);
    float const reach = 0.5f * std::pow(600.0f, unit(rng)) / static_cast<float>(field.width());
    float const ru = reach * std::cos(turn), rv = reach * std::sin(turn);
    float t = 0.0f;
    for (int i = 0; i < 512 && t < 1.0f && march.gap(u, v, ru, rv, t) < 0.0f; ++i) {
      bool coneLimited = false;
      float const next = march.step(u, v, ru, rv, t, &coneLimited);
      double const highest = highestGap(field, u, v, ru, rv, t, next);
      ++steps;
      coneSteps += coneLimited;
      if (march.gap(u, v, ru, rv, next) < 0.0f && highest > tolerance) ++passes;
      // A cone step ends on its cone, which holds none of the surface.
      if (coneLimited && highest > tolerance) ++coneEntries;
      t = next;
    }
  }
  EXPECT_EQ(passes, 0) << name << ": steps from above the surface to above it through it";
  EXPECT_EQ(coneEntries, 0) << name << ": cone steps that went under the surface";
  EXPECT_GT(coneSteps, steps / 4) << name;  // the cones, not the shortest step, do the work
}

}  // namespace

TEST(ConeStepping, NoStepPassesThroughThinWallsOrLoneSpikes) {
  for (HardMaps::Kind k : {HardMaps::Kind::Walls, HardMaps::Kind::Spikes})
    for (int size : {64, 256}) expectNoStepPassesThrough(HardMaps::make(k, size), HardMaps::name(k));
}
