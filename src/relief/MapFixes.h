// MapFixes: the conversions a loader applies to a user's maps and meshes made in
// another convention (green up, white deep, v up).
#pragma once

#include <cstddef>

#include "HeightField.h"

namespace MapFixes {

// Green up the picture to the bench's green down (or back): G becomes 255 - G
// in each of `texels` texels of `channels` bytes (3 for RGB, 4 for RGBA), the
// other bytes untouched. Applied twice it gives the bytes back.
void flipGreen(unsigned char* pixels, size_t texels, int channels);

// White deep to the bench's white up: each 16-bit sample v becomes 65535 - v.
void invertHeights(unsigned short* samples, size_t count);
// The same on heights in [0, 1]: h becomes 1 - h.
HeightField invertHeights(HeightField const& heights);

// A mesh whose v runs up the picture to the bench's v down it (or back): each
// texture coordinate's v becomes 1 - v. `uv` holds `count` coordinates, the
// first float of each `stride` floats being u and the next v (stride 2 for
// packed pairs). Tangent frames made from the old coordinates must be made
// again: their v direction turns over.
void flipV(float* uv, size_t count, size_t stride = 2);

}  // namespace MapFixes
