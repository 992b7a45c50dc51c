// AsteroidSurface: an asteroid's heights and colours on a square map that
// tiles both ways: craters of many sizes, each a bowl with a raised rim, over
// rolling noise.
#pragma once

#include <cstdint>
#include <vector>

struct AsteroidSurface {
  int size = 0;
  std::vector<float> heights;        // size x size, rows top first, in [0, 1], white up
  std::vector<unsigned char> colour;  // RGB, the same texels

  // The same seed always gives the same surface.
  static AsteroidSurface make(int size, uint32_t seed);
};
