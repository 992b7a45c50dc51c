// MarchOracle: plain fixed-step marches over the height field, with no skipping, for the tests to check the exact
// reference against.
#include "march_oracle.h"

#include <algorithm>
#include <cmath>

namespace {

long stepsFor(HeightField const& field, double du, double dv, double stepTexels) {
  double const texels = std::max(std::fabs(du) * field.width(), std::fabs(dv) * field.height());
  return std::max(1L, static_cast<long>(std::ceil(texels / stepTexels)));
}

}  // namespace

namespace MarchOracle {

double heightAt(HeightField const& field, double u, double v) {
  double const x = (u - std::floor(u)) * field.width() - 0.5, y = (v - std::floor(v)) * field.height() - 0.5;
  double const x0 = std::floor(x), y0 = std::floor(y), fx = x - x0, fy = y - y0;
  long const i = static_cast<long>(x0), j = static_cast<long>(y0);
  double const top = field.texel(i, j) + (double(field.texel(i + 1, j)) - field.texel(i, j)) * fx;
  double const bottom = field.texel(i, j + 1) + (double(field.texel(i + 1, j + 1)) - field.texel(i, j + 1)) * fx;
  return top + (bottom - top) * fy;
}

double eyeHit(HeightField const& field, float depth, TraceInput const& in, double stepTexels) {
  double const len = std::hypot(double(in.eye[0]), double(in.eye[1]), double(in.eye[2]));
  double const ez = std::max(in.eye[2] / len, 0.05);
  double const du = -in.eye[0] / len / ez * depth, dv = -in.eye[1] / len / ez * depth;
  auto gap = [&](double t) { return heightAt(field, in.u + du * t, in.v + dv * t) - (1.0 - t); };
  if (gap(0.0) >= 0.0) return 0.0;
  long const n = stepsFor(field, du, dv, stepTexels);
  for (long k = 1; k <= n; ++k) {
    double hi = static_cast<double>(k) / static_cast<double>(n);
    if (gap(hi) < 0.0) continue;
    double lo = static_cast<double>(k - 1) / static_cast<double>(n);
    for (int i = 0; i < 80 && lo < hi; ++i) {
      double const mid = 0.5 * (lo + hi);
      if (mid <= lo || mid >= hi) break;
      (gap(mid) >= 0.0 ? hi : lo) = mid;
    }
    return hi;
  }
  return 1.0;
}

bool lightBlocked(HeightField const& field, float depth, double u, double v, double h0, float const light[3], double stepTexels) {
  double const lz = std::max(double(light[2]), 0.05);
  double const du = light[0] / lz * depth, dv = light[1] / lz * depth, rise = 1.0 - h0;
  long const n = stepsFor(field, du * rise, dv * rise, stepTexels);
  for (long k = 0; k <= n; ++k) {
    double const s = rise * static_cast<double>(k) / static_cast<double>(n);
    if (heightAt(field, u + du * s, v + dv * s) - (h0 + s) > double(ReliefTracer::shadowBias)) return true;
  }
  return false;
}

}  // namespace MarchOracle
