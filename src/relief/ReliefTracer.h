// ReliefTracer: the CPU reference for what the relief shader should show, the eye ray's hit and whether the light reaches it.
#pragma once

#include <atomic>
#include <cstddef>

#include "HeightField.h"

// One pixel's inputs, as the vertex shader's varyings give them: the texture
// coordinate where the eye ray enters the relief, and the tangent-space vectors
// from the surface to the eye and to the light (any length).
struct TraceInput {
  float u, v;
  float eye[3];
  float light[3];
};

// Where the eye ray meets the relief: texture coordinate (u, v) (not wrapped),
// at ray parameter t in [0, 1] (the hit's height is 1 - t). lightAbove is false
// when the light lies at or below the polygon's plane; then lit is false too
// and no light ray is traced. Otherwise lit says whether the light ray from the
// hit clears the relief.
struct TraceResult {
  float u, v;
  float t;
  bool lightAbove;
  bool lit;
};

// The relief model of the bench's fragment shader, traced exactly on the CPU.
// The polygon lies at height 1, height 0 lies `depth` texture-coordinate units
// below it, heights come from the field as the GL samples them (bilinear between
// texel centres, wrapping), taken in double precision.
//
// Eye ray: eye = normalize(eyeVec), reach = -eye.xy / max(eye.z, 0.05) * depth;
// at t in [0, 1] the ray is at uv + reach * t, height 1 - t. The hit is the
// first t where the surface is at or above the ray. Over one texel cell (the
// square between four texel centres) the bilinear surface along the ray is a
// quadratic in t, so the ray's first crossing in a cell is solved in closed
// form; the cells are visited in the order the ray passes them, and blocks of
// cells whose pyramid maximum lies below the ray are passed over (CellWalk).
// The hit is the first crossing, to the precision of the arithmetic: there is
// no step size, and no feature is too thin to be found.
//
// Light ray: light = normalize(lightVec); when light.z > 0, reach = light.xy /
// max(light.z, 0.05) * depth, and the ray from the hit (height h0 = 1 - t) is at
// uvHit + reach * s, height h0 + s, for s in [0, 1 - h0]. The hit is in shadow
// when somewhere along it the surface stands more than shadowBias above the
// ray: the highest point of each cell's quadratic, found the same way.
//
// Inputs that are not finite never make a trace run on: a texture coordinate
// that is not finite reads as 0 (as HeightField::sample takes it), a vector that
// is not finite or has no length points straight up, and a reach that is not
// finite (a depth that is not) becomes 0, a ray straight down. A finite but
// absurd depth makes rays millions of cells long; a trace given a cancel flag
// reads it every few hundred cells and gives up once it is set.
class ReliefTracer {
public:
  // The shader's allowance for a surface's own height along the light ray.
  static constexpr float shadowBias = 0.02f;

  // The field must outlive the tracer. skipEmptySpace = false visits every cell
  // (slower, the same results; kept to check the skipping against).
  ReliefTracer(HeightField const& field, float depth, bool skipEmptySpace = true);

  // Thread-safe.
  TraceResult trace(TraceInput const& in) const;
  // The same, but gives up and returns false, leaving *out untouched, once
  // *cancel (when given) becomes true, within a few hundred cells.
  bool trace(TraceInput const& in, TraceResult& out, std::atomic<bool> const* cancel) const;

  // trace() for in[0..n) into out[0..n), split over `threads` threads (0: one
  // per hardware thread). *done (when given) grows as pixels finish, a few
  // hundred at a time, for a caller on another thread to show progress. When
  // *cancel becomes true the threads stop within a few hundred cells of the
  // rays they are tracing; the results not yet written are left as they were.
  void traceAll(TraceInput const* in, TraceResult* out, size_t n, int threads,
                std::atomic<size_t>* done = nullptr, std::atomic<bool> const* cancel = nullptr) const;

  // The light ray alone, from a point at texture coordinate (u, v) and height
  // h0 in [0, 1] towards a normalised light direction with z > 0: whether the
  // surface stands more than shadowBias above it somewhere (as trace() decides
  // `lit`). False with *cancelled set when *cancel becomes true first.
  bool lightBlocked(double u, double v, double h0, float const light[3], std::atomic<bool> const* cancel,
                    bool* cancelled = nullptr) const;

private:
  HeightField const& field_;
  float depth_;
  bool skip_;
};
