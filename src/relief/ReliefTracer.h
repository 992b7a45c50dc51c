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

// The relief model of the bench's fragment shader, traced finely on the CPU.
// The polygon lies at height 1, height 0 lies `depth` texture-coordinate units
// below it, heights come from the field as the GL samples them.
//
// Eye ray: eye = normalize(eyeVec), reach = -eye.xy / max(eye.z, 0.05) * depth;
// at t in [0, 1] the ray is at uv + reach * t, height 1 - t. The hit is the
// first t where the surface is at or above the ray: the ray is marched in steps
// of at most a quarter texel (in the direction it moves most, in texels of the
// map), and the crossing inside the first step that ends under the surface is
// found by bisection down to a thousandth of a texel, then placed where the
// straight line between the last two gaps crosses zero.
//
// Light ray: light = normalize(lightVec); when light.z > 0, reach = light.xy /
// max(light.z, 0.05) * depth, and the ray from the hit (height h0 = 1 - t) is at
// uvHit + reach * s, height h0 + s, for s in [0, 1 - h0]. It is marched in
// steps of at most a quarter texel (both ends included); the hit is in shadow
// when at some step the surface stands more than shadowBias above the ray.
//
// Both marches skip runs of steps that the field's pyramid shows cannot meet
// the surface; a skipped step could not have changed the outcome, so the
// results are exactly those of the plain march.
class ReliefTracer {
public:
  // The shader's allowance for a surface's own height along the light ray.
  static constexpr float shadowBias = 0.02f;

  // The field must outlive the tracer. skipEmptySpace = false marches every
  // step (slower, the same results; kept to check the skipping against).
  ReliefTracer(HeightField const& field, float depth, bool skipEmptySpace = true);

  // Thread-safe.
  TraceResult trace(TraceInput const& in) const;

  // trace() for in[0..n) into out[0..n), split over `threads` threads (0: one
  // per hardware thread). *done (when given) grows as pixels finish, a few
  // hundred at a time, for a caller on another thread to show progress. When
  // *cancel becomes true the threads stop after their current few hundred
  // pixels; the results not yet written are left as they were.
  void traceAll(TraceInput const* in, TraceResult* out, size_t n, int threads,
                std::atomic<size_t>* done = nullptr, std::atomic<bool> const* cancel = nullptr) const;

private:
  struct Ray;

  // The first step k in [0, n] of the eye ray at or under the surface.
  int firstEyeStep(Ray const& ray) const;
  // Whether some step of the light ray has the surface more than shadowBias above it.
  bool lightBlocked(Ray const& ray, float h0) const;
  // Steps of at most a quarter texel over a ray reaching (du, dv) texture units.
  int stepsFor(float du, float dv) const;

  HeightField const& field_;
  float depth_;
  bool skip_;
};
