// ConeMap: cone ratios of a height field for cone stepping over its bilinear surface, relaxed or conservative, by a pruned search over a max pyramid and by brute force, their 3x3 minimum filter and their 16-bit packing.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "HeightField.h"

// Units. Horizontal distances are in texture-coordinate units (a texel is 1/W
// wide and 1/H high), heights are the field's, 0 to 1, the relief's full
// depth. A ratio is horizontal texture units per unit of height: the cone
// standing on the surface at x with ratio r holds the points (y, z) with
// |y - x| <= r * (z - h(x)). The eye ray's reach per unit of depth (the
// shader's length(eyeReach)) is in the same units, so a shader uses a ratio
// as it is, whatever the relief's depth.
//
// The surface is the bilinear one the GL samples (HeightField::sample): in
// cell coordinates (texel i's centre at i), cell (i, j) is the square
// [i, i + 1] x [j, j + 1], blending texels i..i+1 x j..j+1 (wrapping).
//
// The two kinds of cone, at a point x with the ray coming down onto it:
//  - Conservative: the cone holds no point of the surface higher than h(x).
//    A ray that starts inside it, above the surface, stays above the surface
//    until it leaves the cone, whatever its direction.
//  - Relaxed: a ray that starts on the cone's axis above the surface meets the
//    surface at most once before it leaves the cone, whatever its direction.
//    A march may then step into the surface once, never through it and out,
//    and a bisection between the last point above and the first under finds
//    the first crossing.
//  Relaxed cones are never narrower than conservative ones. A ray that passes
//  under the surface and out again before a point y has gone under something
//  higher than y between x and y, so y lies beyond a place where the surface
//  falls away from x (a falling edge, seen from x); the relaxed cone need only
//  keep out the places where the surface falls away from x, as a conservative
//  one must keep out everything higher than x.
//
// The raw ratio of texel p holds for every apex x in its footprint S_p =
// [p - 1/2, p + 1/2]^2 (cell coordinates), the part of the map where texel p
// is the nearest. It is the smallest, capped at 1, of these bounds over the
// cells c at offsets o = c - p (each image of the tiled map counting; offsets
// in [-W-1, W] x [-H-1, H], farther cells are never below 1):
//  - low_p, the lowest the surface is over S_p: the lowest of the nine heights
//    at the corners of S_p's quarters (texel p, the four edge midpoints, the
//    four corners; a bilinear patch is lowest at a corner of any rectangle
//    inside it), in double, rounded down to a float.
//  - top_c, the highest of the cell's four texels: the patch never rises
//    above its corners. Only cells with top_c > low_p count.
//  - far = sqrt((g_x / W)^2 + (g_y / H)^2) / (top_c - low_p), with the gaps
//    g = max(0, |o + 1/2| - 1) in texels between S_p and the cell.
//  - For the 16 cells with o in [-2, 1]^2 around S_p the slope bounds them
//    too: with L_p the largest over those cells of sqrt(G_x^2 + G_y^2), where
//    G_x = W * max(|b - a|, |d - c|) (a, b, c, d the cell's texels (i, j),
//    (i+1, j), (i, j+1), (i+1, j+1)) bounds the cell's x slope and G_y = H *
//    max(|c - a|, |d - b|), any segment from S_p to such a cell stays inside
//    them, so the bound is max(far, 1 / L_p).
//  - Relaxed only: the cell counts only when the surface may fall away from
//    S_p in it: when, with the slopes s_x ranging over [b - a, d - c] and s_y
//    over [c - a, d - b] and the offsets from S_p to the cell over
//    D_x = [o_x - 1/2, o_x + 3/2], D_y likewise, min(s_x * D_x) + min(s_y * D_y)
//    < 0 (in double; a sum within 1e-12 of its terms' size of 0 counts too).
//    Otherwise the patch only rises (or stays level) along every line from
//    S_p across it.
// Every bound is computed in double and rounded down to a float, so the raw
// ratio is exactly the smallest of those floats; both generators below give
// the same numbers, bit for bit.
//
// What the shader reads. With nearest filtering, the raw ratio of the nearest
// texel is safe anywhere in its footprint, which is where nearest filtering
// reads it. With linear filtering a blend of four texels can be wider than
// the one nearest, so the texture then holds the ratios after a 3x3 minimum
// filter (wrapping): each of a cell's four texels holds no more than the
// smallest raw ratio of all four, so any blend of them, and its square, is no
// wider than the raw ratio of the texel nearest to the point read. That is
// what makes a linear read safe, and a linear read is what the cone march of
// ConeTracer takes.
namespace ConeMap {

enum class Kind { Relaxed, Conservative };

// How the shader samples the cone texture.
enum class Reading { Nearest, Linear };

// "relaxed" or "conservative".
char const* name(Kind kind);
// Reads a kind's name (any case). False when unknown.
bool parse(std::string const& text, Kind& kind);

// The raw ratios, one per texel in the field's order, as defined above, by
// visiting every cell image for every texel (for tests, on small maps).
std::vector<float> rawBruteForce(HeightField const& field, Kind kind);

// The same numbers, bit for bit, found by a search over a pyramid of cell
// maxima (per direction quadrant of the falling cells, for relaxed cones):
// blocks that cannot beat the best bound found so far are passed over whole.
// threads = 0: one per hardware thread. *rowsDone (when given) grows as rows
// finish, for a caller on another thread to show progress; when *cancel
// becomes true the threads stop after their current row and the result is
// incomplete (the caller drops it).
std::vector<float> raw(HeightField const& field, Kind kind, int threads = 0, std::atomic<long>* rowsDone = nullptr,
                       std::atomic<bool> const* cancel = nullptr);

// The smallest of each texel's 3 x 3 neighbourhood (wrapping); width * height values.
std::vector<float> minFilter3x3(std::vector<float> const& ratios, int width, int height);

// What the cone texture holds for a shader that samples it as `reading`
// says: raw(...) for nearest filtering, minFilter3x3(raw(...)) for linear
// filtering (see above). Relaxed unless told otherwise.
std::vector<float> generate(HeightField const& field, int threads = 0, std::atomic<long>* rowsDone = nullptr,
                            std::atomic<bool> const* cancel = nullptr, Kind kind = Kind::Relaxed,
                            Reading reading = Reading::Nearest);

// One 16-bit value per ratio for a 16-bit texture channel: the largest v with
// unpack(v) <= ratio, so the packed cone never opens wider than the true one
// (packing keeps the order of the ratios, so it may come before or after the
// minimum filter). The square root spends the precision on the small ratios,
// where the cones are tight and their size matters most.
std::vector<uint16_t> pack(std::vector<float> const& ratios);

// The ratio a packed value stands for: (v / 65535)^2. In the shader, with the
// value in the R channel of a texture of its own (GL_LUMINANCE16, GL_REPEAT,
// no mipmaps, GL_NEAREST or GL_LINEAR as generate() was told), linear
// filtering blends the square roots, and the square of a blend is no more
// than the largest of the squares it blends:
//   float c = texture2D(coneMap, uv).r;  float ratio = c * c;
float unpack(uint16_t v);

}  // namespace ConeMap
