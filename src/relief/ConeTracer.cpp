// ConeTracer: the cone and cell steps, the search of a cell's stretch for a point under the surface, and the refinement, in the shader's float arithmetic.
#include "ConeTracer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

float signOf(float x) { return x > 0.0f ? 1.0f : x < 0.0f ? -1.0f : 0.0f; }

// The cone texture's square roots as a field of the same size.
HeightField rootsOf(HeightField const& field, std::vector<uint16_t> const& texels) {
  if (texels.size() != static_cast<size_t>(field.width()) * static_cast<size_t>(field.height()))
    throw std::invalid_argument("ConeTracer: the cone texture's size is not the field's");
  std::vector<float> roots(texels.size());
  for (size_t i = 0; i < texels.size(); ++i) roots[i] = static_cast<float>(texels[i]) / 65535.0f;
  return HeightField(field.width(), field.height(), std::move(roots));
}

}  // namespace

ConeTracer::ConeTracer(HeightField const& field, std::vector<uint16_t> const& coneTexels, float depth)
    : field_(field), roots_(rootsOf(field, coneTexels)), depth_(depth) {}

ConeHit ConeTracer::trace(float u, float v, float const eyeVec[3], int maxSteps, int refineSteps, float widen,
                          std::vector<ConeStep>* trail) const {
  float const len = std::sqrt(eyeVec[0] * eyeVec[0] + eyeVec[1] * eyeVec[1] + eyeVec[2] * eyeVec[2]);
  float const ex = eyeVec[0] / len, ey = eyeVec[1] / len, ez = eyeVec[2] / len;
  float const reachU = -ex / std::max(ez, 0.05f) * depth_, reachV = -ey / std::max(ez, 0.05f) * depth_;
  float const rayRatio = std::sqrt(reachU * reachU + reachV * reachV);  // texture units per unit of depth

  float const size[2] = {static_cast<float>(field_.width()), static_cast<float>(field_.height())};
  float const start[2] = {(u - std::floor(u)) * size[0] - 0.5f, (v - std::floor(v)) * size[1] - 0.5f};
  float const dir[2] = {reachU * size[0], reachV * size[1]};
  float const sgn[2] = {signOf(dir[0]), signOf(dir[1])};
  auto at = [&](float t, int k) { return start[k] + dir[k] * t; };
  auto gapAt = [&](float t) {
    return field_.sample((at(t, 0) + 0.5f) / size[0], (at(t, 1) + 0.5f) / size[1]) - (1.0f - t);
  };
  // The cell the ray is in at t, or about to enter when on a border.
  auto cellAt = [&](float t, int k) { return sgn[k] < 0.0f ? std::ceil(at(t, k)) - 1.0f : std::floor(at(t, k)); };

  float t = 0.0f, gap = gapAt(0.0f), lastAbove = 0.0f, aboveGap = gap;
  float cell[2] = {cellAt(0.0f, 0), cellAt(0.0f, 1)};
  int steps = 0;
  for (; steps < maxSteps && gap < 0.0f; ++steps) {
    lastAbove = t;
    aboveGap = gap;
    float const c = roots_.sample((at(t, 0) + 0.5f) / size[0], (at(t, 1) + 0.5f) / size[1]);
    float const ratio = c * c * widen;
    float const coneStep = ratio * -gap / (rayRatio + ratio);
    // How far the ray runs in the cell, along each axis it moves on.
    float exit[2] = {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity()};
    for (int k = 0; k < 2; ++k)
      if (sgn[k] != 0.0f) exit[k] = std::max(0.0f, (cell[k] + (sgn[k] > 0.0f ? 1.0f : 0.0f) - at(t, k)) / dir[k]);
    float const cellStep = std::min(exit[0], exit[1]);
    float const from = t;
    // Strictly longer: when both are 0 the cell step still moves on to the next cell.
    bool const byCone = coneStep > cellStep;
    if (byCone) {
      t = std::min(1.0f, t + coneStep);
      gap = gapAt(t);
      cell[0] = cellAt(t, 0);
      cell[1] = cellAt(t, 1);
    } else {
      // The stretch to the cell's exit lies in one bilinear patch: the gap
      // along it is the quadratic through the gaps at its start, middle and end.
      float const end = std::min(1.0f, t + cellStep), mid = 0.5f * (t + end);
      float const gm = gapAt(mid), ge = gapAt(end);
      float next = end, nextGap = ge;
      if (gm >= 0.0f) {
        next = mid;
        nextGap = gm;
      } else if (ge < 0.0f) {
        // g(s) = gap + b s + a s^2 for s in [0, 1] across the stretch.
        float const a = 2.0f * (gap - 2.0f * gm + ge), b = ge - gap - a;
        if (a < 0.0f) {
          float const s = -b / (2.0f * a);
          if (s > 0.0f && s < 1.0f && gap + (b + a * s) * s >= 0.0f) {
            next = t + (end - t) * s;
            nextGap = gapAt(next);
          }
        }
      }
      if (next == end) {
        for (int k = 0; k < 2; ++k)
          if (exit[k] <= cellStep) cell[k] += sgn[k];
      }
      t = next;
      gap = nextGap;
    }
    if (trail) trail->push_back({from, t, byCone});
  }

  float hitT = t;
  bool const found = gap >= 0.0f;
  if (found && t > 0.0f) {
    float lo = lastAbove, hi = t, loGap = aboveGap, hiGap = gap;
    for (int k = 0; k < refineSteps; ++k) {
      float const mid = 0.5f * (lo + hi), g = gapAt(mid);
      if (g >= 0.0f) {
        hi = mid;
        hiGap = g;
      } else {
        lo = mid;
        loGap = g;
      }
    }
    // The surface taken as straight between the bracket's ends: loGap < 0 <= hiGap.
    hitT = hi - (hi - lo) * hiGap / (hiGap - loGap);
  }
  return {u + reachU * hitT, v + reachV * hitT, hitT, found, steps};
}
