// DisplacedTracer: the eye ray's first crossing of the displaced surface and the light ray's verdict, tetrahedron by tetrahedron and cell by cell, and the threaded batch.
#include "DisplacedTracer.h"
#include "BilinearCell.h"
#include "CellWalk.h"
#include "WorkerThreads.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// What a block's pyramid maximum must clear by before the block is passed
// over: the bilinear blend in double can exceed its texels by rounding alone.
constexpr double slack = 1e-9;

// A stretch's texture-space segment over the field, in cell coordinates, its
// parameter running from 0 to 1 along the stretch. The start is first taken
// modulo the repeat (exact in double), so the cells are solved in small numbers.
CellRay cellRay(HeightField const& field, ShellSegment const& s) {
  double const w = field.width(), h = field.height();
  double const u = s.uv0[0], v = s.uv0[1];
  return {(u - std::floor(u)) * w - 0.5, (v - std::floor(v)) * h - 0.5, (s.uv1[0] - u) * w, (s.uv1[1] - v) * h};
}

bool finiteAll(double const* v, int n) {
  for (int i = 0; i < n; ++i)
    if (!std::isfinite(v[i])) return false;
  return true;
}

// The first place along the stretch (tau in [0, 1]) where the surface is at or
// above the ray, or -1; *cancelled set when the walk gave up. The surface is
// seen from above only: while `armed` is false (the ray came into the shell
// through a side wall or the bottom, under the surface) the ray first has to
// come out above it, which arms it.
double firstCrossing(HeightField const& field, ShellSegment const& s, bool useSkip, std::atomic<bool> const* cancel,
                     bool& armed, bool& cancelled) {
  CellRay const ray = cellRay(field, s);
  if (!finiteAll(&ray.x0, 4) || !std::isfinite(s.d0) || !std::isfinite(s.d1)) return -1.0;
  double const d0 = s.d0, dd = s.d1 - s.d0;
  double tau = -1.0;
  // The ray's height is 1 - d. Armed, a block can be passed where the ray
  // stays above its highest point; not yet armed, where it stays under its
  // lowest.
  auto skip = [&](HeightField::Range r, double tIn, double tOut) {
    double const dIn = d0 + dd * tIn, dOut = d0 + dd * tOut;
    return armed ? r.max + slack < 1.0 - std::max(dIn, dOut) : 1.0 - std::min(dIn, dOut) + slack < r.min;
  };
  auto visit = [&](CellSpan const& span) {
    // The gap, height - (1 - d), as a quadratic from the span's start.
    Quadratic q = heightAlong(span, ray.dx, ray.dy);
    q.b += dd;
    q.c -= 1.0 - (d0 + dd * span.t0);
    double const len = span.t1 - span.t0;
    double from = 0.0;
    if (!armed) {
      double const above = firstNonNegative({-q.a, -q.b, -q.c - 1e-12}, len);
      if (above < 0.0) return false;
      armed = true;
      from = above;
      q = {q.a, q.b + 2.0 * q.a * from, q(from)};
    }
    double const at = firstNonNegative(q, len - from);
    if (at < 0.0) return false;
    tau = std::min(1.0, span.t0 + from + at);
    return true;
  };
  cancelled = walkCells(field, ray, 0.0, 1.0, cancel, useSkip, skip, visit) == WalkEnd::Cancelled;
  return tau;
}

// Whether the surface stands more than the bias above the stretch somewhere.
bool standsAbove(HeightField const& field, ShellSegment const& s, bool useSkip, std::atomic<bool> const* cancel,
                 bool& cancelled) {
  CellRay const ray = cellRay(field, s);
  if (!finiteAll(&ray.x0, 4) || !std::isfinite(s.d0) || !std::isfinite(s.d1)) return false;
  double const d0 = s.d0, dd = s.d1 - s.d0, bias = DisplacedTracer::shadowBias;
  auto skip = [&](HeightField::Range r, double tIn, double tOut) {
    return r.max + slack - (1.0 - std::max(d0 + dd * tIn, d0 + dd * tOut)) <= bias;
  };
  auto visit = [&](CellSpan const& span) {
    Quadratic q = heightAlong(span, ray.dx, ray.dy);
    q.b += dd;
    q.c -= 1.0 - (d0 + dd * span.t0) + bias;
    return highestOver(q, span.t1 - span.t0) > 0.0;
  };
  WalkEnd const end = walkCells(field, ray, 0.0, 1.0, cancel, useSkip, skip, visit);
  cancelled = end == WalkEnd::Cancelled;
  return end == WalkEnd::Stopped;
}

class EyeVisit : public ShellVisitor {
public:
  EyeVisit(HeightField const& field, bool useSkip, std::atomic<bool> const* cancel)
      : field(field), useSkip(useSkip), cancel(cancel) {}

  bool visit(ShellSegment const& s) override {
    // Into the shell through its top, the ray is above the surface (or on it,
    // where the map is white); through a wall or the bottom, under it.
    if (s.entry != ShellFace::Inner) armed = s.entry == ShellFace::Top || s.entry == ShellFace::None;
    if (s.t1 > s.t0) {
      double const at = firstCrossing(field, s, useSkip, cancel, armed, cancelled);
      if (cancelled) return true;
      if (at >= 0.0) return take(s, at);
    }
    // Only rounding can bring an armed ray to the bottom without a crossing.
    if (s.exit == ShellFace::Bottom && armed) return take(s, 1.0);
    return false;
  }

  HeightField const& field;
  bool useSkip;
  std::atomic<bool> const* cancel;
  bool cancelled = false, found = false, armed = false;
  ShellSegment hitSegment{};
  double tau = 0;

private:
  bool take(ShellSegment const& s, double at) {
    found = true;
    hitSegment = s;
    tau = at;
    return true;
  }
};

class LightVisit : public ShellVisitor {
public:
  LightVisit(HeightField const& field, bool useSkip, std::atomic<bool> const* cancel)
      : field(field), useSkip(useSkip), cancel(cancel) {}

  bool visit(ShellSegment const& s) override {
    // Through a bottom face, either way, the ray passes the solid under the relief.
    if (s.entry == ShellFace::Bottom) return blocked = true;
    if (s.t1 > s.t0) {
      blocked = standsAbove(field, s, useSkip, cancel, cancelled);
      if (cancelled || blocked) return true;
    }
    if (s.exit == ShellFace::Bottom) blocked = true;
    return blocked;
  }

  HeightField const& field;
  bool useSkip;
  std::atomic<bool> const* cancel;
  bool cancelled = false, blocked = false;
};

void normalizeInto(double const v[3], float out[3]) {
  double const len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  for (int k = 0; k < 3; ++k) out[k] = len > 0.0 && std::isfinite(len) ? static_cast<float>(v[k] / len) : 0.0f;
}

// Corner i's frame: tangent, handedness * normal x tangent, normal.
void frameOf(ShellVertex const& v, double t[3], double b[3], double n[3]) {
  for (int k = 0; k < 3; ++k) {
    t[k] = v.tangent[k];
    n[k] = v.normal[k];
  }
  b[0] = (n[1] * t[2] - n[2] * t[1]) * v.handedness;
  b[1] = (n[2] * t[0] - n[0] * t[2]) * v.handedness;
  b[2] = (n[0] * t[1] - n[1] * t[0]) * v.handedness;
}

bool toShellRay(DisplacedRay const& in, ShellRay& out) {
  for (int k = 0; k < 3; ++k) {
    out.origin[k] = in.origin[k];
    out.direction[k] = in.direction[k];
  }
  return finiteAll(out.origin, 3) && finiteAll(out.direction, 3);
}

}  // namespace

DisplacedTracer::DisplacedTracer(ShellMesh const& shell, HeightField const& field, float const light[4], bool skipEmptySpace)
    : shell_(shell), field_(field), skip_(skipEmptySpace) {
  for (int k = 0; k < 4; ++k) light_[k] = light[k];
}

bool DisplacedTracer::lightBlocked(double const from[3], int tet, std::atomic<bool> const* cancel, bool& cancelled) const {
  ShellRay ray;
  double tMax = std::numeric_limits<double>::infinity();
  for (int k = 0; k < 3; ++k) {
    ray.origin[k] = from[k];
    ray.direction[k] = light_[3] != 0.0 ? light_[k] / light_[3] - from[k] : light_[k];
  }
  if (light_[3] != 0.0) tMax = 1.0;
  LightVisit visit(field_, skip_, cancel);
  ShellWalkEnd const end = shell_.walk(ray, 0.0, tMax, tet, visit, cancel);
  cancelled = visit.cancelled || end == ShellWalkEnd::Cancelled;
  return visit.blocked;
}

bool DisplacedTracer::trace(DisplacedRay const& in, DisplacedResult& out, std::atomic<bool> const* cancel) const {
  DisplacedResult r{};
  r.triangle = -1;
  ShellRay ray;
  if (!toShellRay(in, ray)) {
    out = r;
    return true;
  }
  EyeVisit visit(field_, skip_, cancel);
  ShellWalkEnd const end = shell_.walk(ray, 0.0, std::numeric_limits<double>::infinity(), -1, visit, cancel);
  if (visit.cancelled || end == ShellWalkEnd::Cancelled) return false;
  if (!visit.found) {
    out = r;
    return true;
  }

  ShellSegment const& s = visit.hitSegment;
  double const f = visit.tau;
  double const t = s.t0 + (s.t1 - s.t0) * f;
  double bary[3], position[3];
  for (int c = 0; c < 3; ++c) bary[c] = s.bary0[c] + (s.bary1[c] - s.bary0[c]) * f;
  for (int k = 0; k < 3; ++k) position[k] = ray.origin[k] + ray.direction[k] * t;
  r.hit = true;
  r.u = static_cast<float>(s.uv0[0] + (s.uv1[0] - s.uv0[0]) * f);
  r.v = static_cast<float>(s.uv0[1] + (s.uv1[1] - s.uv0[1]) * f);
  r.d = static_cast<float>(std::clamp(s.d0 + (s.d1 - s.d0) * f, 0.0, 1.0));
  r.t = static_cast<float>(t);
  for (int k = 0; k < 3; ++k) r.position[k] = static_cast<float>(position[k]);
  r.triangle = s.triangle;

  double tb[3] = {0, 0, 0}, bb[3] = {0, 0, 0}, nb[3] = {0, 0, 0};
  int const* idx = &shell_.triangles()[3 * static_cast<size_t>(s.triangle)];
  for (int c = 0; c < 3; ++c) {
    double ft[3], fb[3], fn[3];
    frameOf(shell_.vertices()[static_cast<size_t>(idx[c])], ft, fb, fn);
    for (int k = 0; k < 3; ++k) {
      tb[k] += bary[c] * ft[k];
      bb[k] += bary[c] * fb[k];
      nb[k] += bary[c] * fn[k];
    }
  }
  normalizeInto(tb, r.tangent);
  normalizeInto(bb, r.bitangent);
  normalizeInto(nb, r.normal);

  double toLight[3];
  for (int k = 0; k < 3; ++k) toLight[k] = light_[3] != 0.0 ? light_[k] / light_[3] - position[k] : light_[k];
  double const above = toLight[0] * r.normal[0] + toLight[1] * r.normal[1] + toLight[2] * r.normal[2];
  r.lightAbove = above > 0.0 && std::isfinite(above);
  if (r.lightAbove) {
    bool cancelled = false;
    r.lit = !lightBlocked(position, s.tet, cancel, cancelled);
    if (cancelled) return false;
  }
  out = r;
  return true;
}

DisplacedResult DisplacedTracer::trace(DisplacedRay const& in) const {
  DisplacedResult out{};
  trace(in, out, nullptr);
  return out;
}

void DisplacedTracer::traceAll(DisplacedRay const* in, DisplacedResult* out, size_t n, int threads,
                               std::atomic<size_t>* done, std::atomic<bool> const* cancel) const {
  forEachInChunks(n, threads, done, cancel, [&](size_t i) { return trace(in[i], out[i], cancel); });
}

bool DisplacedTracer::tangentPlaneInput(DisplacedRay const& in, TraceInput& out, int* triangle) const {
  ShellRay ray;
  ShellSegment at;
  if (!toShellRay(in, ray) || !shell_.firstTopEntry(ray, 0.0, at)) return false;
  double eye[3] = {0, 0, 0}, light[3] = {0, 0, 0};
  int const* idx = &shell_.triangles()[3 * static_cast<size_t>(at.triangle)];
  for (int c = 0; c < 3; ++c) {
    ShellVertex const& v = shell_.vertices()[static_cast<size_t>(idx[c])];
    double ft[3], fb[3], fn[3];
    frameOf(v, ft, fb, fn);
    double toEye[3], toLight[3];
    for (int k = 0; k < 3; ++k) {
      toEye[k] = ray.origin[k] - v.position[k];
      toLight[k] = light_[k] - v.position[k] * light_[3];
    }
    double const* frame[3] = {ft, fb, fn};
    for (int a = 0; a < 3; ++a) {
      eye[a] += at.bary0[c] * (frame[a][0] * toEye[0] + frame[a][1] * toEye[1] + frame[a][2] * toEye[2]);
      light[a] += at.bary0[c] * (frame[a][0] * toLight[0] + frame[a][1] * toLight[1] + frame[a][2] * toLight[2]);
    }
  }
  out.u = static_cast<float>(at.uv0[0]);
  out.v = static_cast<float>(at.uv0[1]);
  for (int k = 0; k < 3; ++k) {
    out.eye[k] = static_cast<float>(eye[k]);
    out.light[k] = static_cast<float>(light[k]);
  }
  if (triangle) *triangle = at.triangle;
  return true;
}
