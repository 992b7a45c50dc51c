// Pictures for the metric's tests: flat colours, noise, and black with white from a column on.
#pragma once

#include <random>

#include "FlipPicture.h"

inline FlipPicture flat(int w, int h, float r, float g, float b) {
  FlipPicture p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.set(x, y, r, g, b);
  return p;
}

inline FlipPicture grey(int w, int h, float v) { return flat(w, h, v, v, v); }

inline FlipPicture noise(int w, int h, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  FlipPicture p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.set(x, y, u(rng), u(rng), u(rng));
  return p;
}

// Black with white from column `edge` on.
inline FlipPicture step(int w, int h, int edge) {
  FlipPicture p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = edge; x < w; ++x) p.set(x, y, 1, 1, 1);
  return p;
}
