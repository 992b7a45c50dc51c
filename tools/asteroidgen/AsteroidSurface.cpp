// AsteroidSurface: craters and noise, then a rock colour that follows them.
#include "AsteroidSurface.h"

#include <algorithm>
#include <cmath>

#include "TileNoise.h"

namespace {

struct Crater {
  float x, y, radius, depth;
};

// A crater's height at `t` radii from its centre: a bowl under the plain
// inside, a rim that stands above it around the edge, nothing far out.
float craterProfile(float t) {
  float const bowl = t < 1.0f ? t * t - 1.0f : 0.0f;
  float const rimT = (t - 1.0f) / 0.3f;
  return bowl + 0.3f * std::exp(-rimT * rimT);
}

// The shorter way from a to b on a loop of length n.
float wrapped(float a, float b, float n) {
  float d = std::fabs(a - b);
  return std::min(d, n - d);
}

}  // namespace

AsteroidSurface AsteroidSurface::make(int size, uint32_t seed) {
  AsteroidSurface s;
  s.size = size;
  float const n = static_cast<float>(size);
  // Many small craters, few large ones; the deepest is about a third of its radius.
  std::vector<Crater> craters;
  for (uint32_t i = 0; i < 70; ++i) {
    float const a = hashUnit(i, 1, seed), r = n * (0.012f + 0.09f * std::pow(hashUnit(i, 2, seed), 3.0f));
    craters.push_back(Crater{hashUnit(i, 3, seed) * n, hashUnit(i, 4, seed) * n, r, 0.6f + 0.4f * a});
  }
  std::vector<float> h(static_cast<size_t>(size) * static_cast<size_t>(size));
  float lo = 1e30f, hi = -1e30f;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float const fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
      float v = 0.03f * n * tileFractal(fx / n * 6.0f, fy / n * 6.0f, 6, 5, seed);
      for (Crater const& c : craters) {
        float const dx = wrapped(fx, c.x, n), dy = wrapped(fy, c.y, n);
        float const t = std::sqrt(dx * dx + dy * dy) / c.radius;
        if (t < 2.0f) v += c.depth * 0.35f * c.radius * craterProfile(t);
      }
      h[static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)] = v;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  s.heights.resize(h.size());
  s.colour.resize(3 * h.size());
  for (size_t i = 0; i < h.size(); ++i) {
    float const height = 0.02f + 0.96f * (h[i] - lo) / std::max(hi - lo, 1e-6f);
    s.heights[i] = height;
    // Grey-brown rock, darker in the hollows, with patches of its own.
    float const x = static_cast<float>(i % static_cast<size_t>(size)), y = static_cast<float>(i / static_cast<size_t>(size));
    float const patch = tileFractal(x / n * 10.0f, y / n * 10.0f, 10, 4, seed + 7);
    float const shade = (0.55f + 0.45f * height) * (0.75f + 0.5f * patch);
    float const rgb[3] = {0.50f, 0.45f, 0.40f};
    for (int c = 0; c < 3; ++c)
      s.colour[3 * i + static_cast<size_t>(c)] =
          static_cast<unsigned char>(std::min(255.0f, 255.0f * rgb[c] * shade + 0.5f));
  }
  return s;
}
