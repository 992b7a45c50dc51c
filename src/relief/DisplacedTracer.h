// DisplacedTracer: the relief as a surface displaced inside a mesh's shell, traced exactly on the CPU from the camera in world space, with the light's verdict at each hit.
#pragma once

#include <atomic>
#include <cstddef>

#include "HeightField.h"
#include "ReliefTracer.h"
#include "ShellMesh.h"

// One pixel's eye ray in world space: from origin (the camera) along direction
// (any length); the ray is traced for t >= 0 at origin + direction * t.
struct DisplacedRay {
  float origin[3];
  float direction[3];
};

// What the eye ray meets. With hit false the ray left every shell without
// meeting the surface (the background shows) and nothing else is set.
// Otherwise:
// - (u, v): the hit's texture coordinate in the hit triangle's own mapping
//   (the blend of its corners' uv, not wrapped into [0, 1)); d: its depth below
//   the mesh in relief depths, in [0, 1] (its height is 1 - d, as the
//   tangent-plane model counts it); t: the ray parameter; position:
//   origin + direction * t.
// - triangle: the index (into the mesh's triangle list, counted in triangles)
//   of the triangle whose prism holds the hit; it may be another than the one
//   the pixel's ray crosses the mesh in.
// - tangent, bitangent, normal: the mesh's frame at the hit, for shading: each
//   the blend of the triangle's corner vectors (tangent, handedness * normal x
//   tangent, normal) by the hit's weights in the prism, normalised (not made
//   orthogonal). Where a blend has no length it is (0, 0, 0).
// - lightAbove: the light lies above the tangent plane there (its direction
//   from the hit has a positive component along the normal). When false, lit is
//   false and no light ray is traced.
// - lit: the light ray from the hit toward the light leaves the shell through
//   its top (or an open border's wall) and never stands more than shadowBias
//   under the surface on its way, through every part of the shell it enters
//   again before it reaches the light. A light ray that leaves through the
//   bottom of a shell has gone into the solid under the relief: shadowed.
struct DisplacedResult {
  bool hit;
  float u, v, d;
  float t;
  float position[3];
  int triangle;
  float tangent[3], bitangent[3], normal[3];
  bool lightAbove;
  bool lit;
};

// The displaced surface: the height field's bilinear surface (as the GL
// samples it, wrapping) carried through the shell's affine maps, the point at
// texture coordinate (u, v) and depth d = 1 - height(u, v) in each
// tetrahedron. On a flat mesh with one frame it is exactly the tangent-plane
// model of ReliefTracer; on a curved one it converges to moving each point of
// the mesh along its interpolated normal as the mesh is refined.
//
// Eye ray: the shell's walk gives, per tetrahedron, the ray's stretch as a
// straight segment in (u, v, d), d linear along it. The segment is followed
// over the texel cells it passes (CellWalk, passing over blocks whose
// pyramid maximum lies below it), and in each cell the gap between the
// bilinear height and the ray's height 1 - d, a quadratic along the
// segment, is solved in closed form for its first crossing: there is no step
// size, and no feature is too thin to be found. A ray that reaches a bottom
// face without a crossing (only rounding can let it) hits there, at d = 1.
//
// Light: homogeneous world coordinates (x, y, z, w) as the GL takes a light's
// position: w != 0 is the point (x, y, z) / w, and the light ray runs from the
// hit to it; w == 0 is a direction, and the ray runs on without end. The light
// ray's stretches are tested as ReliefTracer tests them: blocked where the
// surface stands more than shadowBias above the ray (the highest point of
// each cell's quadratic).
//
// Inputs that are not finite never make a trace run on: a ray that is not
// finite or has no direction misses, and a light that is not finite lights
// nothing (lightAbove false).
class DisplacedTracer {
public:
  static constexpr float shadowBias = ReliefTracer::shadowBias;

  // The shell and the field must outlive the tracer. skipEmptySpace = false
  // visits every cell (slower, the same results).
  DisplacedTracer(ShellMesh const& shell, HeightField const& field, float const light[4], bool skipEmptySpace = true);

  // Thread-safe.
  DisplacedResult trace(DisplacedRay const& ray) const;
  // The same, but gives up and returns false, leaving *out untouched, once
  // *cancel (when given) becomes true, within a few hundred cells.
  bool trace(DisplacedRay const& ray, DisplacedResult& out, std::atomic<bool> const* cancel) const;

  // trace() for in[0..n) into out[0..n) on `threads` threads (0: one per
  // hardware thread), as ReliefTracer::traceAll: *done grows as pixels
  // finish, a few hundred at a time; once *cancel is true the threads stop
  // within a few hundred cells and results not yet written stay as they were.
  void traceAll(DisplacedRay const* in, DisplacedResult* out, size_t n, int threads,
                std::atomic<size_t>* done = nullptr, std::atomic<bool> const* cancel = nullptr) const;

  // The tangent-plane model's inputs for the same pixel, as the bundled vertex
  // shader's varyings give them there: where the ray first crosses the mesh
  // from its front (the polygon as drawn), the texture coordinate, and the
  // tangent-space vectors to the eye (the ray's origin) and to the light, each
  // the blend of its value at the triangle's corners (corner i's frame applied
  // to origin - P_i and to the light's direction from P_i) by the point's
  // weights, as the GL interpolates varyings. *triangle, when given, gets the
  // triangle. False when the ray does not cross the mesh from the front.
  bool tangentPlaneInput(DisplacedRay const& ray, TraceInput& out, int* triangle = nullptr) const;

private:
  bool lightBlocked(double const from[3], int tet, std::atomic<bool> const* cancel, bool& cancelled) const;

  ShellMesh const& shell_;
  HeightField const& field_;
  double light_[4];
  bool skip_;
};
