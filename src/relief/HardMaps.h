// HardMaps: procedural height maps of known difficulty for measuring relief techniques (thin walls, single-texel spikes, ripples, hemispheres, cliffs).
#pragma once

#include <string>
#include <vector>

#include "HeightField.h"

// Every map is size x size texels, heights in [0, 1], row 0 first, and tiles
// seamlessly: the texel after the last column is the first column again. The
// features are laid out as fractions of the repeat, so a larger map holds the
// same pattern at a finer resolution, except for the walls and spikes, which
// stay one texel wide and so grow thinner against the repeat.
//
//   Walls        16 walls per repeat in each direction: every column x =
//                floor(k * size / 16) and every row y likewise (k = 0..15) is a
//                wall one texel thick at height 1; the floor between them is at
//                wallFloor.
//   Spikes       spikeCount(size) single texels at height 1 on a floor at 0, at
//                pseudo-random places from a fixed seed (the same on every
//                platform), no two within a texel of each other (wrapping), so
//                each spike stands alone among floor texels.
//   Ripple       a radial sinc around the map's centre, distance taken on the
//                torus: sin(pi r) / (pi r) with r in wavelengths of size / 32
//                texels, rescaled so that its trough is 0 and its peak 1.
//   Hemispheres  8 x 8 hemispheres per repeat, each in a square cell of
//                size / 8 texels, radius 0.45 of the cell, profile sqrt(1 -
//                (d / radius)^2) on a floor at 0.
//   Sawtooth     8 teeth per repeat along x, each rising linearly from 0 at its
//                first column to 1 at its last, then a vertical cliff to the
//                next tooth's 0; constant along y.
namespace HardMaps {

enum class Kind { Walls, Spikes, Ripple, Hemispheres, Sawtooth };

// The sizes make() and heights() accept.
constexpr int minSize = 32;
constexpr int maxSize = 8192;
// The walls' floor height.
constexpr float wallFloor = 0.1f;

// Parses a kind's name (as name() gives it, any case). False when unknown.
bool parse(std::string const& text, Kind& kind);
// The kind's name in lower case: "walls", "spikes", "ripple", "hemispheres", "sawtooth".
char const* name(Kind kind);
// The names of all kinds joined by ", ", for messages.
std::string names();

// How many spikes a Spikes map of this size holds: one per 256 texels.
int spikeCount(int size);

// The heights, size * size values row by row. Throws std::invalid_argument when
// size lies outside [minSize, maxSize].
std::vector<float> heights(Kind kind, int size);
// The same as a field.
HeightField make(Kind kind, int size);

}  // namespace HardMaps
