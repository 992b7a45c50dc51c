// ConeMap: cone ratios of a height field for cone stepping, safe for its bilinear surface anywhere in a texel, by brute force and by a pruned search, and their 16-bit packing.
#pragma once

#include <cstdint>
#include <atomic>
#include <vector>

#include "HeightField.h"

// The ratios, one per texel in the field's order, are defined as follows.
//
// Work in depth d = 1 - height (0 at the top of the relief, 1 at the bottom)
// and horizontal distances in texture-coordinate units (a texel is 1/W wide
// and 1/H high). Place texel (i, j)'s centre at (i, j) in texel units. The
// surface is the bilinear one the GL samples (HeightField::sample): cell
// (i, j) is the square [i, i + 1] x [j, j + 1], blending the depths of texels
// i..i+1 x j..j+1 (wrapping). Texel p is read, with nearest filtering,
// anywhere in its footprint S_p = [p - 1/2, p + 1/2] in each direction.
//
// The cone a shader reads at a point x of S_p stands with its apex on the
// surface under x, at depth D(x). It is safe if no surface point w that is
// higher than x lies strictly inside it: |w - x| >= ratio * (D(x) - D(w)).
// A ray then never goes under the surface before it leaves the cone, whatever
// its direction. Rather than over every x and w, the ratio is the minimum of
// lower bounds of |w - x| / (D(x) - D(w)) taken cell by cell:
//
//  - A_p, the deepest the surface is over S_p: the largest of the nine depths
//    at the corners of S_p's quarters (texel p, the four edge midpoints, the
//    four texel corners: a bilinear patch is deepest at a corner of any
//    rectangle inside it), computed in double and rounded up to a float.
//  - For each cell c at offset o = c - p (any integers; each image of the
//    tiled map counts), with shallowest corner depth m_c < A_p:
//    g_x = max(0, |o_x + 1/2| - 1) / W and g_y likewise with H (the gaps
//    between S_p and c), and
//      far(c)  = sqrt(g_x^2 + g_y^2) / (A_p - m_c)            (float)
//    For the 16 cells with o in [-2, 1]^2, around S_p, whose gaps are small,
//    the slope bounds them too: L_p is the largest, over those cells, of
//    sqrt(Gx^2 + Gy^2), where Gx = W * max(|d(i+1,j) - d(i,j)|, |d(i+1,j+1) -
//    d(i,j+1)|) bounds the x derivative inside the cell and Gy likewise with H.
//    Any segment from S_p to such a cell stays inside them, so
//      bound(c) = max(far(c), 1 / L_p)   (1 / L_p in double, rounded down)
//    and elsewhere bound(c) = far(c).
//  - ratio_p = the smallest bound(c), capped at 1 (1 when no cell is
//    shallower than A_p). Cells whose gap reaches a whole map's width are
//    never below 1, so the images with offsets in [-W-2, W+1] x [-H-2, H+1]
//    are the ones that count.
//
// A ratio is horizontal texture units per unit of depth d: the cone's radius
// at depth d above its apex is ratio * (D(x) - d). The eye ray's reach per
// unit of d (the shader's length(eyeReach)) is in the same units, so the
// shader uses the ratio as it is, whatever the relief's depth.
namespace ConeMap {

// Every cell image for every texel, as written above (for tests, on small maps).
std::vector<float> generateBruteForce(HeightField const& field);

// The same numbers, bit for bit, found faster: the cells are visited in order
// of a lower bound on what they can give (a square of cells at gap r whose
// shallowest corner has depth m gives no bound below r / (A_p - m)), squares
// of a quadtree over the cells, and the search stops when no square left can
// beat the best so far. threads = 0: one per hardware thread.
// *rowsDone (when given) grows as rows finish, for a caller on another thread
// to show progress; when *cancel becomes true the threads stop after their
// current row and the result is incomplete (the caller drops it).
std::vector<float> generate(HeightField const& field, int threads = 0, std::atomic<long>* rowsDone = nullptr,
                            std::atomic<bool> const* cancel = nullptr);

// One 16-bit value per ratio for a 16-bit texture channel: the largest v with
// unpack(v) <= ratio, so the packed cone never opens wider than the true one.
// The square root spends the precision on the small ratios, where the cones
// are tight and their size matters most.
std::vector<uint16_t> pack(std::vector<float> const& ratios);

// The ratio a packed value stands for: (v / 65535)^2. In the shader, with the
// value in the R channel of a second texture (the normal map's four channels
// are taken), sampled GL_NEAREST and GL_REPEAT without mipmaps (a blend of two
// texels' ratios may exceed the smaller):
//   float c = texture2D(coneMap, uv).r;  float ratio = c * c;
float unpack(uint16_t v);

}  // namespace ConeMap
