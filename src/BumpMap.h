// Normal-map generation: a tangent-space normal map with heights in alpha, made
// on the CPU from a height texture.
#pragma once

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

// The arithmetic of gen over pixel buffers: rgb holds width x height texels of
// three bytes, rows tightly packed; rgba receives width x height texels of four
// bytes (R, G, B = the unit normal packed as (n + 1) / 2, A = the height).
// Vectorised and split over the processor's cores for large maps; the bytes are
// exactly those of computeNormalMapReference.
void computeNormalMap(unsigned char const* rgb, int width, int height, float scale,
                      unsigned char* rgba);

// The same result computed texel by texel in the most direct form, the
// definition the fast path is held to.
void computeNormalMapReference(unsigned char const* rgb, int width, int height, float scale,
                               unsigned char* rgba);

}  // namespace BumpMap
