// The relief reference's former method, kept as a test oracle: the eye and light rays marched in fixed steps, the eye's
// crossing refined by bisection.
#pragma once

#include "HeightField.h"
#include "ReliefTracer.h"

namespace MarchOracle {

// The surface as the exact reference defines it: texels blended bilinearly in
// double (wrapping), cell coordinates x = u * width - 0.5, y = v * height - 0.5.
double heightAt(HeightField const& field, double u, double v);

// The t of the eye ray's hit in ReliefTracer's model (1 for none): steps of at
// most stepTexels texels along its major axis, the first at or under the
// surface bisected to a double's precision.
double eyeHit(HeightField const& field, float depth, TraceInput const& in, double stepTexels);

// Whether a sample every stepTexels (ends included) along the light ray from
// (u, v, h0) to a unit light, z > 0, has the surface more than shadowBias above.
bool lightBlocked(HeightField const& field, float depth, double u, double v, double h0, float const light[3], double stepTexels);

}  // namespace MarchOracle
