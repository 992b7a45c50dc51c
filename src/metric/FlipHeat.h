// FlipHeat: the colour scale of the image metric's heat maps, an error in
// [0, 1] to a packed colour, the ticks of its legend, and the ramp it is made with.
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

// Five colour stops (red, green, blue) spread evenly over t in [0, 4],
// interpolated linearly between neighbours and packed as color() packs them;
// t is clamped to that range. Both heat scales (the image error's and the
// texel error's) are drawn with it.
unsigned ramp(unsigned char const (&stops)[5][3], float t);

}  // namespace FlipHeat
