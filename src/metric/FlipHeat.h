// FlipHeat: the colour scale of the image metric's heat maps, an error in
// [0, 1] to a packed colour, and the ticks of its legend.
#pragma once

#include <vector>

namespace FlipHeat {

// The colour of an error, packed 0xAABBGGRR (alpha 255): black at 0 through
// purple, magenta and orange to pale yellow at 1, linear in the error and
// brighter at every step. Errors outside [0, 1] (and NaN) take the nearer end.
unsigned color(float error);

// The errors a legend marks. The scale is linear: along a bar drawn with
// color(i / (n - 1)) for i = 0 ... n - 1, a tick for error e sits at e * (n - 1).
std::vector<float> legendTicks();

}  // namespace FlipHeat
