// PyramidTracer: the MAX_PYRAMID eye-ray search of the bench's fragment shader, step for step on the CPU.
#pragma once

#include "HeightField.h"
#include "MaxPyramid.h"

// Where the search stopped: texture coordinate (u, v) (not wrapped) at ray
// parameter t. found is false when the iteration bound ran out first (then t
// is how far the ray got, still above the surface). iterations counts the
// nodes visited.
struct PyramidHit {
  float u, v, t;
  bool found;
  int iterations;
};

// The ray model is the shader's: eye = normalize(eyeVec), reach = -eye.xy /
// max(eye.z, 0.05) * depth; at t in [0, 1] the ray is at uv + reach * t,
// height 1 - t, and the hit is the first t where the bilinear surface is at or
// above it.
//
// The search works in cell coordinates (texel units less half a texel, so that
// cell (i, j) is the bilinear patch between texel centres i..i+1, j..j+1). It
// starts at the top level with t = 0 and visits one node per iteration:
//  - the node holding the ray's point (wrapped into the map, nudged a
//    1/1024 cell along the ray so that a point on a border belongs to the
//    node the ray enters), and where the ray leaves it, tExit (at most 1);
//  - the ray reaches the node's maximum m at tm = 1 - m. When tm >= tExit
//    the ray passes the node above all of it: t = tExit, and one level up
//    when the border it leaves by is also one of the level above (or the
//    map's edge), so that it enters a new node there too;
//  - otherwise, above level 0, t = max(t, tm) and one level down;
//  - at level 0, from max(t, tm) to tExit the gap between the bilinear patch
//    and the ray is a quadratic in t, whose first root at or after the start
//    is the hit; without one, on to tExit as above.
// Reaching t = 1 is a hit too: there the ray is at height 0, under any surface.
class PyramidTracer {
public:
  // The nudge across node borders, in cells.
  static constexpr float nudge = 1.0f / 1024.0f;

  // The field and the pyramid (made from it) must outlive the tracer.
  PyramidTracer(HeightField const& field, MaxPyramid const& pyramid, float depth);

  // Thread-safe. maxIterations bounds the nodes visited, as ITERATIVE_STEPS
  // does in the shader.
  PyramidHit trace(float u, float v, float const eyeVec[3], int maxIterations) const;

private:
  HeightField const& field_;
  MaxPyramid const& pyramid_;
  float depth_;
};
