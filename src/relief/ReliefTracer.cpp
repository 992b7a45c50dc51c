// ReliefTracer: the eye ray's exact first crossing and the light ray's exact shadow test, cell by cell over the height field, and the threaded batch.
#include "ReliefTracer.h"
#include "BilinearCell.h"
#include "CellWalk.h"
#include "WorkerThreads.h"

#include <algorithm>
#include <cmath>

namespace {

// What a block's pyramid maximum must clear by before the block is passed
// over: the bilinear blend in double can exceed its texels by rounding alone.
constexpr double slack = 1e-9;

void normalized(float const in[3], float out[3]) {
  float const len = std::sqrt(in[0] * in[0] + in[1] * in[1] + in[2] * in[2]);
  if (!(len > 0.0f) || !std::isfinite(len)) {  // no direction: straight up
    out[0] = out[1] = 0.0f;
    out[2] = 1.0f;
    return;
  }
  for (int i = 0; i < 3; ++i) out[i] = in[i] / len;
}

double finiteOrZero(double x) { return std::isfinite(x) ? x : 0.0; }

// A ray from texture coordinate (u, v) reaching (du, dv) texture units per unit
// of its parameter, in cell coordinates. The start is first taken modulo the
// repeat, exactly (a float's fraction is exact in double), so that the cells
// are solved in small numbers. A reach that is not finite becomes none.
CellRay cellRay(HeightField const& field, double u, double v, double du, double dv) {
  if (!std::isfinite(du) || !std::isfinite(dv)) du = dv = 0.0;
  double const w = field.width(), h = field.height();
  return {(u - std::floor(u)) * w - 0.5, (v - std::floor(v)) * h - 0.5, du * w, dv * h};
}

}  // namespace

ReliefTracer::ReliefTracer(HeightField const& field, float depth, bool skipEmptySpace)
    : field_(field), depth_(depth), skip_(skipEmptySpace) {}

bool ReliefTracer::lightBlocked(double u, double v, double h0, float const light[3], std::atomic<bool> const* cancel,
                                bool* cancelled) const {
  double const lz = std::max(light[2], 0.05f);
  CellRay const ray = cellRay(field_, finiteOrZero(u), finiteOrZero(v), light[0] / lz * depth_, light[1] / lz * depth_);
  double const bias = shadowBias;
  // The ray rises, so over a block it is lowest where it enters.
  auto skip = [&](HeightField::Range r, double tIn, double) { return r.max + slack - (h0 + tIn) <= bias; };
  auto visit = [&](CellSpan const& span) {
    Quadratic q = heightAlong(span, ray.dx, ray.dy);
    q.b -= 1.0;
    q.c -= h0 + span.t0 + bias;
    return highestOver(q, span.t1 - span.t0) > 0.0;
  };
  WalkEnd const end = walkCells(field_, ray, 0.0, std::max(0.0, 1.0 - h0), cancel, skip_, skip, visit);
  if (cancelled) *cancelled = end == WalkEnd::Cancelled;
  return end == WalkEnd::Stopped;
}

bool ReliefTracer::trace(TraceInput const& in, TraceResult& out, std::atomic<bool> const* cancel) const {
  float eye[3], light[3];
  normalized(in.eye, eye);
  normalized(in.light, light);

  double const u0 = finiteOrZero(in.u), v0 = finiteOrZero(in.v);
  double const ez = std::max(eye[2], 0.05f);
  double du = -eye[0] / ez * depth_, dv = -eye[1] / ez * depth_;
  if (!std::isfinite(du) || !std::isfinite(dv)) du = dv = 0.0;
  CellRay const ray = cellRay(field_, u0, v0, du, dv);

  // The gap between the surface and the ray, height - (1 - t), is the cell's
  // quadratic plus t - 1; the ray descends, so over a block it is lowest where
  // it leaves. At t = 1 the ray is at height 0, under any surface, so the walk
  // always stops at a hit.
  double tHit = 1.0;
  auto skip = [&](HeightField::Range r, double, double tOut) { return r.max + slack < 1.0 - tOut; };
  auto visit = [&](CellSpan const& span) {
    Quadratic q = heightAlong(span, ray.dx, ray.dy);
    q.b += 1.0;
    q.c -= 1.0 - span.t0;
    double const s = firstNonNegative(q, span.t1 - span.t0);
    if (s < 0.0) return false;
    tHit = std::min(1.0, span.t0 + s);
    return true;
  };
  if (walkCells(field_, ray, 0.0, 1.0, cancel, skip_, skip, visit) == WalkEnd::Cancelled) return false;

  double const uHit = u0 + du * tHit, vHit = v0 + dv * tHit;
  TraceResult r{static_cast<float>(uHit), static_cast<float>(vHit), static_cast<float>(tHit), light[2] > 0.0f, false};
  if (r.lightAbove) {
    bool cancelled = false;
    r.lit = !lightBlocked(uHit, vHit, 1.0 - tHit, light, cancel, &cancelled);
    if (cancelled) return false;
  }
  out = r;
  return true;
}

TraceResult ReliefTracer::trace(TraceInput const& in) const {
  TraceResult out{};
  trace(in, out, nullptr);
  return out;
}

void ReliefTracer::traceAll(TraceInput const* in, TraceResult* out, size_t n, int threads,
                            std::atomic<size_t>* done, std::atomic<bool> const* cancel) const {
  forEachInChunks(n, threads, done, cancel, [&](size_t i) { return trace(in[i], out[i], cancel); });
}
