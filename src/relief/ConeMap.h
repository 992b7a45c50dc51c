// ConeMap: relaxed cone ratios of a height field for cone stepping, by brute force and by a pruned search, and their 8-bit packing.
#pragma once

#include <vector>

#include "HeightField.h"

// The ratios, one per texel in the field's order, are defined as follows.
//
// Work in depth d = 1 - height (0 at the top of the relief, 1 at the bottom),
// horizontal distances in texture-coordinate units (a texel is 1/W wide and
// 1/H high). The surface is taken as columns: texel c fills the square of
// side one texel around its centre with depth d_c (nearest-texel lookups; the
// ratios bound the texel grid as stored, not its bilinear blend).
//
// The map tiles, so each other texel q is taken once, at the image of it
// nearest to p: horizontal offsets (in texels) in [-(W-1)/2, W/2] x
// [-(H-1)/2, H/2] (integer division).
//
// For a source texel p of depth d_p and a texel q with d_q < d_p (only texels
// higher than p can limit it): a ray starts at depth 0 above p's centre and
// passes through q's centre at depth d_q. It is followed beyond q, its depth
// growing, until it first comes out of the solid, at the boundary of the first
// column deeper than the ray there. Where the ray crosses a column corner
// exactly it passes into the diagonal column. If that exit point e has depth
// d_e < d_p, q limits p's cone to ratio = |e - p| / (d_p - d_e); if the ray
// reaches depth d_p first, q gives no limit. The relaxed cone ratio of p is
// the minimum over all q, capped at 1 (texels with no limit, among them those
// at the highest height, get 1).
//
// A ratio here is for a relief of unit depth; for a relief `depth` texture
// units deep, as the shader draws it, the cone's ratio is ratio / depth.
namespace ConeMap {

// Every q for every p, as written above (for tests, on small maps).
std::vector<float> generateBruteForce(HeightField const& field);

// The same numbers, bit for bit, found faster: the candidates are visited in
// order of a lower bound on what they can give (a region at distance r whose
// highest texel has depth m gives no ratio below r / (d_p - m)), regions being
// the squares of a quadtree bounded by the field's pyramid, and the search
// stops when no region left can beat the best so far. threads = 0: one per
// hardware thread.
std::vector<float> generate(HeightField const& field, int threads = 0);

// One byte per ratio for an 8-bit texture channel: the largest b with
// unpack(b) <= ratio, so the packed cone never opens wider than the true one.
// The square root spends the byte's precision on the small ratios, where the
// cones are tight and their size matters most.
std::vector<unsigned char> pack(std::vector<float> const& ratios);

// The ratio a packed byte stands for: (b / 255)^2. In the shader, with the
// byte in the R channel of a second texture (the normal map's four channels are
// taken), sampled GL_NEAREST and GL_REPEAT without mipmaps (a blend of two
// texels' ratios may exceed the smaller):
//   float c = texture2D(coneMap, uv).r;  float ratio = c * c / depth;
float unpack(unsigned char b);

}  // namespace ConeMap
