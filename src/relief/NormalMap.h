// Normal-map arithmetic over pixel buffers, with no GL: the fast path and the
// direct definition it is held to.
#pragma once

namespace NormalMap {

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

// The same arithmetic from width x height heights in [0, 1] given as they are
// (a 16-bit height map's h / 65535), so that the normals see every step of the
// heights; alpha receives the height truncated to 8 bits. Texel by texel.
void computeNormalMapFromHeights(float const* heights, int width, int height, float scale,
                                 unsigned char* rgba);

}  // namespace NormalMap
