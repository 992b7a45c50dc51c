// Cone stepping on the CPU with the bundled shader's formulas, over maps of thin walls and lone spikes: no step may pass through the surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "ConeMap.h"
#include "HardMaps.h"
#include "HeightField.h"

namespace {

// The shader's cone march (the RELAXED_CONE branch of the bundled fragment
// shader), step by step, with the packed ratios read as the GL reads them:
// nearest texel, wrapping.
class ConeMarch {
public:
  explicit ConeMarch(HeightField const& field)
      : field_(field), ratios_(ConeMap::pack(ConeMap::generate(field, 2))) {}

  // The shader's shortest step, in texels of the map along the ray.
  static constexpr float minStepTexels = 1.0f / 16.0f;

  float ratioAt(float u, float v) const {
    auto texel = [](float c, int n) {
      long const i = static_cast<long>(std::floor((c - std::floor(c)) * static_cast<float>(n)));
      return std::min<long>(std::max<long>(i, 0), n - 1);
    };
    long const x = texel(u, field_.width()), y = texel(v, field_.height());
    return ConeMap::unpack(ratios_[static_cast<size_t>(y * field_.width() + x)]);
  }

  // gap = height - ray height at t: >= 0 at or under the surface.
  float gap(float u, float v, float ru, float rv, float t) const {
    return field_.sample(u + ru * t, v + rv * t) - (1.0f - t);
  }

  // The next t from t (above the surface, gap g), as the shader takes it;
  // *coneLimited says whether the cone, not the shortest step, set its length.
  float step(float u, float v, float ru, float rv, float t, bool* coneLimited) const {
    float const rayRatio = std::sqrt(ru * ru + rv * rv);
    float const tu = ru * static_cast<float>(field_.width()), tv = rv * static_cast<float>(field_.height());
    float const minStep = minStepTexels / std::max(std::sqrt(tu * tu + tv * tv), 1e-6f);
    float const ratio = ratioAt(u + ru * t, v + rv * t);
    float const g = gap(u, v, ru, rv, t);
    float const coneStep = ratio * -g / (rayRatio + ratio);
    *coneLimited = coneStep >= minStep;
    if (*coneLimited) return std::min(1.0f, t + coneStep);
    float const next = std::min(1.0f, t + minStep);
    float const under = underOnSpan(u, v, ru, rv, t, next, g);
    return under >= 0.0f ? under : next;
  }

private:
  // The shader's underOnPiece and underOnSpan.
  float underOnPiece(float u, float v, float ru, float rv, float s0, float s1, float g0) const {
    if (s1 <= s0) return -1.0f;
    float const mid = 0.5f * (s0 + s1), gm = gap(u, v, ru, rv, mid), g1 = gap(u, v, ru, rv, s1);
    if (gm >= 0.0f) return mid;
    float const halfLength = 0.5f * (s1 - s0), curve = (g0 - 2.0f * gm + g1) / (2.0f * halfLength * halfLength);
    if (curve < 0.0f) {
      float const vertex = mid - (g1 - g0) / (4.0f * halfLength * curve);
      if (vertex > s0 && vertex < s1 && gap(u, v, ru, rv, vertex) >= 0.0f) return vertex;
    }
    return g1 >= 0.0f ? s1 : -1.0f;
  }

  float underOnSpan(float u, float v, float ru, float rv, float t0, float t1, float g0) const {
    float const w = static_cast<float>(field_.width()), h = static_cast<float>(field_.height());
    float const c0x = (u + ru * t0) * w - 0.5f, c0y = (v + rv * t0) * h - 0.5f;
    float const c1x = (u + ru * t1) * w - 0.5f, c1y = (v + rv * t1) * h - 0.5f;
    float cutX = t1, cutY = t1;
    if (std::floor(c0x) != std::floor(c1x))
      cutX = t0 + (t1 - t0) * (std::max(std::floor(c0x), std::floor(c1x)) - c0x) / (c1x - c0x);
    if (std::floor(c0y) != std::floor(c1y))
      cutY = t0 + (t1 - t0) * (std::max(std::floor(c0y), std::floor(c1y)) - c0y) / (c1y - c0y);
    float const a = std::clamp(std::min(cutX, cutY), t0, t1), b = std::clamp(std::max(cutX, cutY), a, t1);
    float found = underOnPiece(u, v, ru, rv, t0, a, g0);
    if (found < 0.0f && b > a) found = underOnPiece(u, v, ru, rv, a, b, gap(u, v, ru, rv, a));
    if (found < 0.0f && t1 > b) found = underOnPiece(u, v, ru, rv, b, t1, gap(u, v, ru, rv, b));
    return found;
  }

  HeightField const& field_;
  std::vector<uint16_t> ratios_;
};

// The largest of (bilinear height - ray height) along the ray for t in
// [t0, t1], exactly: cut where the ray crosses a cell's edge, the height along
// each piece is a quadratic in t, whose largest value lies at an end or at its
// vertex. In double, from the field's texels.
double highestGap(HeightField const& f, double u, double v, double ru, double rv, double t0, double t1) {
  double const w = f.width(), h = f.height();
  // Texel-centre coordinates along the ray: X(t) = x0 + dx t.
  double const x0 = u * w - 0.5, dx = ru * w, y0 = v * h - 0.5, dy = rv * h;
  std::vector<double> cuts = {t0, t1};
  auto addCuts = [&](double c0, double dc) {
    if (dc == 0.0) return;
    double const a = c0 + dc * t0, b = c0 + dc * t1;
    for (double k = std::ceil(std::min(a, b)); k <= std::max(a, b); k += 1.0) {
      double const t = (k - c0) / dc;
      if (t > t0 && t < t1) cuts.push_back(t);
    }
  };
  addCuts(x0, dx);
  addCuts(y0, dy);
  std::sort(cuts.begin(), cuts.end());
  double highest = -2.0;
  for (size_t i = 0; i + 1 < cuts.size(); ++i) {
    double const a = cuts[i], b = cuts[i + 1], mid = 0.5 * (a + b);
    long const cx = static_cast<long>(std::floor(x0 + dx * mid)), cy = static_cast<long>(std::floor(y0 + dy * mid));
    double const h00 = f.texel(cx, cy), h10 = f.texel(cx + 1, cy), h01 = f.texel(cx, cy + 1), h11 = f.texel(cx + 1, cy + 1);
    auto gapAt = [&](double t) {
      double const fx = x0 + dx * t - static_cast<double>(cx), fy = y0 + dy * t - static_cast<double>(cy);
      double const height = (h00 * (1 - fx) + h10 * fx) * (1 - fy) + (h01 * (1 - fx) + h11 * fx) * fy;
      return height - (1.0 - t);
    };
    // gap(t) = p t^2 + q t + r on the piece, from three values.
    double const ga = gapAt(a), gm = gapAt(mid), gb = gapAt(b);
    highest = std::max({highest, ga, gb});
    double const half = 0.5 * (b - a), p = (ga - 2.0 * gm + gb) / (2.0 * half * half);
    if (p < 0.0) {
      double const vertex = mid - (gb - ga) / (2.0 * half) / (2.0 * p);
      if (vertex > a && vertex < b) highest = std::max(highest, gapAt(vertex));
    }
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

TEST(ConeStepping, NoStepPassesThroughThinWalls) {
  expectNoStepPassesThrough(HardMaps::make(HardMaps::Kind::Walls, 64), "walls 64");
  expectNoStepPassesThrough(HardMaps::make(HardMaps::Kind::Walls, 256), "walls 256");
}

TEST(ConeStepping, NoStepPassesThroughLoneSpikes) {
  expectNoStepPassesThrough(HardMaps::make(HardMaps::Kind::Spikes, 64), "spikes 64");
  expectNoStepPassesThrough(HardMaps::make(HardMaps::Kind::Spikes, 256), "spikes 256");
}
