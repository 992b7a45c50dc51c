// Periodic value noise: smooth pseudo-random fields that tile seamlessly.
#include "TileNoise.h"

#include <cmath>

float hashUnit(uint32_t a, uint32_t b, uint32_t seed) {
  uint32_t h = seed * 0x9E3779B9u;
  h ^= a + 0x7F4A7C15u + (h << 6) + (h >> 2);
  h *= 0x85EBCA6Bu;
  h ^= b + 0x165667B1u + (h << 6) + (h >> 2);
  h ^= h >> 15;
  h *= 0xC2B2AE35u;
  h ^= h >> 13;
  h *= 0x27D4EB2Fu;
  h ^= h >> 16;
  return static_cast<float>(h >> 8) / 16777216.0f;
}

namespace {

int wrap(int i, int period) {
  int m = i % period;
  return m < 0 ? m + period : m;
}

float smooth(float t) { return t * t * (3.0f - 2.0f * t); }

}  // namespace

float tileNoise(float x, float y, int period, uint32_t seed) {
  float const fx = std::floor(x), fy = std::floor(y);
  int const ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  float const tx = smooth(x - fx), ty = smooth(y - fy);
  // Lattice values are looked up modulo the period, which makes the field repeat.
  auto at = [&](int i, int j) {
    return hashUnit(static_cast<uint32_t>(wrap(i, period)), static_cast<uint32_t>(wrap(j, period)), seed);
  };
  float const top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * tx;
  float const bottom = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * tx;
  return top + (bottom - top) * ty;
}

float tileFractal(float x, float y, int period, int octaves, uint32_t seed) {
  float sum = 0.0f, weight = 1.0f, total = 0.0f;
  for (int o = 0; o < octaves; ++o) {
    sum += weight * tileNoise(x, y, period, seed + static_cast<uint32_t>(o) * 1013u);
    total += weight;
    x *= 2.0f;
    y *= 2.0f;
    period *= 2;
    weight *= 0.5f;
  }
  return sum / total;
}
