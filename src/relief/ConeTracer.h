// ConeTracer: the RELAXED_CONE eye-ray march (cone steps that always reach the exit of the bilinear cell, then bisection), step for step on the CPU as the fragment shader is to run it.
#pragma once

#include <cstdint>
#include <vector>

#include "HeightField.h"

// One step of the march, from ray parameter t0 to t1. cone: the cone set its
// length; otherwise the exit of the bilinear cell (or a point of it found
// under the surface) did.
struct ConeStep {
  float t0, t1;
  bool cone;
};

// Where the march stopped: texture coordinate (u, v) (not wrapped) at ray
// parameter t. found is false when the step bound ran out with the ray still
// above the surface (t is then how far it got). steps counts the march's
// steps, the refinement's not included.
struct ConeHit {
  float u, v, t;
  bool found;
  int steps;
};

// The ray model is the shader's: eye = normalize(eyeVec), reach = -eye.xy /
// max(eye.z, 0.05) * depth; at t in [0, 1] the ray is at uv + reach * t,
// height 1 - t; gap(t) = height there - (1 - t) is >= 0 at or under the
// surface. Positions are taken in cell coordinates, q(t) = fract(uv) * size -
// 0.5 + reach * size * t (cell (i, j) the bilinear patch between texel
// centres i..i+1, j..j+1), and every lookup is made at (q + 0.5) / size.
//
// The march, from t = 0 with the gap there, up to maxSteps steps, while the
// ray is above the surface (gap < 0):
//  1. The cone: ratio = c * c with c the cone texture read with linear
//     filtering at the ray's point (ConeMap::Reading::Linear: the ratios
//     after the 3x3 minimum filter, square roots packed in 16 bits), and the
//     cone step, coneStep = ratio * -gap / (length(reach) + ratio), how far
//     the ray runs before it leaves the cone.
//  2. The cell: the bilinear cell the ray is in (the one it is about to
//     cross when it sits on a cell border: floor along an axis it moves up,
//     ceil - 1 along one it moves down), and cellStep, how far the ray runs
//     until it leaves that cell.
//  3. When coneStep > cellStep the step is the cone step (t capped at 1);
//     the cone vouches for it, and the cell is found again where it ends.
//  4. Otherwise the step runs to the cell's exit, tEnd = min(1, t + cellStep).
//     The cone does not vouch for that stretch, but it lies inside one
//     bilinear patch, where the gap along the ray is a quadratic, which the
//     gaps at t, at the middle and at tEnd determine. The step ends at the
//     middle when that is at or under the surface, else at tEnd when that is,
//     else at the quadratic's highest point when it lies inside and comes out
//     at or above 0 there (the gap is then read there), else at tEnd; a step
//     to tEnd moves on to the next cell across the border(s) it leaves by.
//     Such a step never passes under the surface and out again.
// When the march ends under the surface (and past t = 0), REFINE_STEPS
// bisections of [last t above, t] follow, then the straight-line estimate
// between the bracket's ends, as the shader's RELAXED_CONE does; when the
// steps run out first, the point reached is taken.
//
// With conservative cones no cone step enters the surface; with relaxed
// cones one may, once, and the march stops there with the first crossing
// bracketed.
class ConeTracer {
public:
  // coneTexels: the cone texture for linear reads, the field's size, as
  // ConeMap::pack(ConeMap::generate(field, ..., ConeMap::Reading::Linear))
  // gives it. The field must outlive the tracer.
  ConeTracer(HeightField const& field, std::vector<uint16_t> const& coneTexels, float depth);

  // Thread-safe. widen scales every cone ratio read (1 for the march as it
  // is; tests widen the cones to show that their checks can fail). When trail
  // is given it receives the march's steps.
  ConeHit trace(float u, float v, float const eyeVec[3], int maxSteps, int refineSteps, float widen = 1.0f,
                std::vector<ConeStep>* trail = nullptr) const;

private:
  HeightField const& field_;
  // The texture's square roots, c = v / 65535, sampled as the GL samples a
  // GL_LINEAR, GL_REPEAT texture (HeightField::sample does just that).
  HeightField roots_;
  float depth_;
};
