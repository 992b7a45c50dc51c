// PyramidTracer: the node walk and the closed-form solve in one bilinear cell, in the shader's float arithmetic.
#include "PyramidTracer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

float signOf(float x) { return x > 0.0f ? 1.0f : x < 0.0f ? -1.0f : 0.0f; }

// The first root in [0, span] of a*x^2 + b*x + c with c < 0, or -1 when none.
float firstRoot(float a, float b, float c, float span) {
  float const disc = b * b - 4.0f * a * c;
  if (disc < 0.0f) return -1.0f;
  // The two roots as q / a and c / q, which loses no digits to cancellation;
  // with a = 0 the second is the root of the straight line.
  float const q = -0.5f * (b + (b >= 0.0f ? std::sqrt(disc) : -std::sqrt(disc)));
  float const r1 = a != 0.0f ? q / a : -1.0f;
  float const r2 = q != 0.0f ? c / q : -1.0f;
  float root = std::numeric_limits<float>::infinity();
  if (r1 >= 0.0f) root = r1;
  if (r2 >= 0.0f) root = std::min(root, r2);
  return root <= span ? root : -1.0f;
}

}  // namespace

PyramidTracer::PyramidTracer(HeightField const& field, MaxPyramid const& pyramid, float depth)
    : field_(field), pyramid_(pyramid), depth_(depth) {}

PyramidHit PyramidTracer::trace(float u, float v, float const eyeVec[3], int maxIterations) const {
  float const len = std::sqrt(eyeVec[0] * eyeVec[0] + eyeVec[1] * eyeVec[1] + eyeVec[2] * eyeVec[2]);
  float const ex = eyeVec[0] / len, ey = eyeVec[1] / len, ez = eyeVec[2] / len;
  float const reachU = -ex / std::max(ez, 0.05f) * depth_, reachV = -ey / std::max(ez, 0.05f) * depth_;

  float const size[2] = {static_cast<float>(field_.width()), static_cast<float>(field_.height())};
  float const start[2] = {(u - std::floor(u)) * size[0] - 0.5f, (v - std::floor(v)) * size[1] - 0.5f};
  float const dir[2] = {reachU * size[0], reachV * size[1]};
  float const sgn[2] = {signOf(dir[0]), signOf(dir[1])};
  int const top = pyramid_.levels() - 1;

  float t = 0.0f, scale = static_cast<float>(1 << top);
  int level = top, i = 0;
  bool found = false;
  for (; i < maxIterations && !found && t < 1.0f; ++i) {
    // The node under the nudged point, its cell range and the true point in it.
    // border: where the ray leaves the node, on the axis it leaves by (exit).
    float node[2], at[2], tExit = 1.0f, border = 0.0f;
    int exit = 0;
    for (int k = 0; k < 2; ++k) {
      float const p = start[k] + dir[k] * t + sgn[k] * nudge;
      float const q = p - size[k] * std::floor(p / size[k]);
      float const last = std::ceil(size[k] / scale) - 1.0f;
      node[k] = std::min(std::floor(q / scale), last);
      float const lo = node[k] * scale, hi = std::min(lo + scale, size[k]);
      at[k] = q - sgn[k] * nudge;
      if (sgn[k] != 0.0f) {
        float const dist = sgn[k] > 0.0f ? hi - at[k] : at[k] - lo;
        float const leave = t + dist / std::fabs(dir[k]);
        if (leave < tExit) {
          tExit = leave;
          border = sgn[k] > 0.0f ? hi : lo;
          exit = k;
        }
      }
    }
    float const m = pyramid_.at(level, static_cast<int>(node[0]), static_cast<int>(node[1]));
    float const tm = 1.0f - m;
    // Past the node: one level up where the ray enters a new node of the
    // level above too (its border is one of that level's, or the map's edge).
    auto leave = [&] {
      t = tExit;
      if (level < top && (border <= 0.0f || border >= size[exit] || std::fmod(border, 2.0f * scale) == 0.0f)) {
        ++level;
        scale *= 2.0f;
      }
    };
    if (tm >= tExit) {
      leave();
      continue;
    }
    float const from = std::max(t, tm);
    if (level > 0) {
      t = from;
      --level;
      scale *= 0.5f;
      continue;
    }
    // Level 0: the gap between the cell's bilinear patch and the ray along
    // the ray, a quadratic in s = (ray parameter) - from.
    long const cx = static_cast<long>(node[0]), cy = static_cast<long>(node[1]);
    float const a = field_.texel(cx, cy), b = field_.texel(cx + 1, cy);
    float const c = field_.texel(cx, cy + 1), e = field_.texel(cx + 1, cy + 1);
    float const fx = at[0] - node[0] + dir[0] * (from - t), fy = at[1] - node[1] + dir[1] * (from - t);
    float const k = a - b - c + e;
    float const g0 = a + (b - a) * fx + (c - a) * fy + k * fx * fy - (1.0f - from);
    float const g1 = (b - a) * dir[0] + (c - a) * dir[1] + k * (fx * dir[1] + fy * dir[0]) + 1.0f;
    float const g2 = k * dir[0] * dir[1];
    float const s = g0 >= 0.0f ? 0.0f : firstRoot(g2, g1, g0, tExit - from);
    if (s >= 0.0f) {
      t = from + s;
      found = true;
    } else {
      leave();
    }
  }
  if (!found && t >= 1.0f) {
    t = 1.0f;
    found = true;
  }
  return {u + reachU * t, v + reachV * t, t, found, i};
}
