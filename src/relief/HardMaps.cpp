// HardMaps: the generators of the procedural height maps, their names and their size checks.
#include "HardMaps.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <utility>

namespace {

struct Entry {
  HardMaps::Kind kind;
  char const* name;
};

constexpr Entry kinds[] = {
    {HardMaps::Kind::Walls, "walls"},   {HardMaps::Kind::Spikes, "spikes"},
    {HardMaps::Kind::Ripple, "ripple"}, {HardMaps::Kind::Hemispheres, "hemispheres"},
    {HardMaps::Kind::Sawtooth, "sawtooth"},
};

constexpr double pi = 3.14159265358979323846;

// A small generator of fixed definition (splitmix64), so the spikes stand in
// the same places whatever the standard library.
struct SplitMix {
  uint64_t state;
  uint64_t next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
};

size_t at(int x, int y, int size) {
  return static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x);
}

void walls(std::vector<float>& h, int size) {
  std::vector<bool> line(static_cast<size_t>(size), false);
  for (int k = 0; k < 16; ++k) line[static_cast<size_t>(static_cast<long>(k) * size / 16)] = true;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      h[at(x, y, size)] = line[static_cast<size_t>(x)] || line[static_cast<size_t>(y)] ? 1.0f : HardMaps::wallFloor;
}

void spikes(std::vector<float>& h, int size) {
  SplitMix rng{0x5EEDu};
  int const count = HardMaps::spikeCount(size);
  // One spike per 256 texels blocks at most 9 of them, so free places stay plentiful.
  for (int placed = 0; placed < count;) {
    int const x = rng.below(size), y = rng.below(size);
    bool clear = true;
    for (int dy = -1; dy <= 1 && clear; ++dy)
      for (int dx = -1; dx <= 1 && clear; ++dx)
        clear = h[at((x + dx + size) % size, (y + dy + size) % size, size)] == 0.0f;
    if (!clear) continue;
    h[at(x, y, size)] = 1.0f;
    ++placed;
  }
}

void ripple(std::vector<float>& h, int size) {
  // The sinc's lowest value, at pi r = 4.4934 (where tan x = x).
  constexpr double trough = -0.2172336282112217;
  double const wavelength = size / 32.0, centre = size / 2.0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      // Distances on the torus, from texel centres: continuous across the seams.
      double dx = std::fabs(x + 0.5 - centre), dy = std::fabs(y + 0.5 - centre);
      dx = std::min(dx, size - dx);
      dy = std::min(dy, size - dy);
      double const r = std::hypot(dx, dy) / wavelength;
      double const s = r < 1e-9 ? 1.0 : std::sin(pi * r) / (pi * r);
      h[at(x, y, size)] = static_cast<float>(std::clamp((s - trough) / (1.0 - trough), 0.0, 1.0));
    }
}

void hemispheres(std::vector<float>& h, int size) {
  double const cell = size / 8.0, radius = 0.45 * cell;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double const px = x + 0.5, py = y + 0.5;
      double const lx = px - (std::floor(px / cell) + 0.5) * cell, ly = py - (std::floor(py / cell) + 0.5) * cell;
      double const d = std::hypot(lx, ly) / radius;
      h[at(x, y, size)] = d < 1.0 ? static_cast<float>(std::sqrt(1.0 - d * d)) : 0.0f;
    }
}

void sawtooth(std::vector<float>& h, int size) {
  for (int k = 0; k < 8; ++k) {
    int const begin = static_cast<int>(static_cast<long>(k) * size / 8);
    int const end = static_cast<int>(static_cast<long>(k + 1) * size / 8);
    for (int x = begin; x < end; ++x) {
      float const v = static_cast<float>(x - begin) / static_cast<float>(end - 1 - begin);
      for (int y = 0; y < size; ++y) h[at(x, y, size)] = v;
    }
  }
}

}  // namespace

namespace HardMaps {

bool parse(std::string const& text, Kind& kind) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (Entry const& e : kinds)
    if (lower == e.name) {
      kind = e.kind;
      return true;
    }
  return false;
}

char const* name(Kind kind) {
  for (Entry const& e : kinds)
    if (e.kind == kind) return e.name;
  return "unknown";
}

std::string names() {
  std::string all;
  for (Entry const& e : kinds) all += (all.empty() ? "" : ", ") + std::string(e.name);
  return all;
}

int spikeCount(int size) { return std::max(1, static_cast<int>(static_cast<long>(size) * size / 256)); }

std::vector<float> heights(Kind kind, int size) {
  if (size < minSize || size > maxSize)
    throw std::invalid_argument("hard map size " + std::to_string(size) + " outside " + std::to_string(minSize) +
                                ".." + std::to_string(maxSize));
  std::vector<float> h(static_cast<size_t>(size) * static_cast<size_t>(size), 0.0f);
  switch (kind) {
    case Kind::Walls: walls(h, size); break;
    case Kind::Spikes: spikes(h, size); break;
    case Kind::Ripple: ripple(h, size); break;
    case Kind::Hemispheres: hemispheres(h, size); break;
    case Kind::Sawtooth: sawtooth(h, size); break;
  }
  return h;
}

HeightField make(Kind kind, int size) { return HeightField(size, size, heights(kind, size)); }

}  // namespace HardMaps
