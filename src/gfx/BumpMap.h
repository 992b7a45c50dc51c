// Normal-map generation: a tangent-space normal map with heights in alpha, made
// on the CPU from a height texture.
#pragma once

#include "NormalMap.h"

class HeightField;
class Texture;

namespace BumpMap {

// Reads heightTex back, derives per texel the normal of the height field from
// central differences of its four neighbours (wrapping at the borders) and the
// height itself (the luminance, in alpha), and replaces normalTex with the
// result: a mipmapped GL_RGBA texture of the same size. A larger scale gives
// steeper normals. A scale of 0 (or one so small that the normals cannot be
// computed, or not a number) gives a flat map. An empty height texture leaves
// normalTex as it was, with a message on standard error.
void gen(Texture const& heightTex, Texture& normalTex, float scale);

// The same from heights given at full precision (a 16-bit height map read back
// through HeightReadback): the normals follow every step of the heights; alpha
// holds them cut to 8 bits, for shaders that read heights there.
void genFromHeights(HeightField const& heights, Texture& normalTex, float scale);

}  // namespace BumpMap
