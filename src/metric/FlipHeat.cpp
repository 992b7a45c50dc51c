// FlipHeat: the heat scale's colour stops and their interpolation.
#include "FlipHeat.h"

#include <algorithm>

namespace FlipHeat {

unsigned color(float error) {
  // Red, green, blue at errors 0, 1/4, 1/2, 3/4 and 1.
  static unsigned char const stops[5][3] = {{0, 0, 0}, {70, 20, 120}, {190, 50, 110}, {250, 140, 50}, {255, 250, 190}};
  return ramp(stops, error > 0.0f ? std::min(error, 1.0f) * 4.0f : 0.0f);
}

unsigned ramp(unsigned char const (&stops)[5][3], float t) {
  t = t > 0.0f ? std::min(t, 4.0f) : 0.0f;
  int const i = std::min(3, static_cast<int>(t));
  float const f = t - static_cast<float>(i);
  unsigned out = 0xFF000000u;
  for (int c = 0; c < 3; ++c)
    out |= static_cast<unsigned>(stops[i][c] + (stops[i + 1][c] - stops[i][c]) * f + 0.5f) << (8 * c);
  return out;
}

std::vector<float> legendTicks() { return {0.0f, 0.1f, 0.25f, 0.5f, 0.75f, 1.0f}; }

}  // namespace FlipHeat
