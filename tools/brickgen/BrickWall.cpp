// The procedural brick wall: a tileable colour map and its matching height map.
#include "BrickWall.h"

#include "TileNoise.h"

#include <algorithm>
#include <cmath>

namespace {

struct Rgb {
  float r, g, b;
};

// Fired-clay colours from deep red through orange to brown; each brick picks one
// and varies it a little, so the wall does not look stamped.
Rgb const brickPalette[] = {
    {150, 50, 32}, {196, 98, 50}, {120, 62, 40}, {96, 42, 32},
    {184, 88, 66}, {168, 110, 68}, {136, 44, 30}, {204, 120, 64},
};

float clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

float smoothstep(float e0, float e1, float x) {
  float const t = clamp01((x - e0) / (e1 - e0));
  return t * t * (3.0f - 2.0f * t);
}

unsigned char toByte(float v) {
  return static_cast<unsigned char>(std::lround(std::min(255.0f, std::max(0.0f, v))));
}

// Where a pixel falls in the bond: which brick, and how far inside its face.
struct BrickHit {
  unsigned course = 0, index = 0;  // brick identity, stable across the tile edge
  float lx = 0, ly = 0;            // pixel centre inside the brick's cell
};

BrickHit locate(int x, int y, int size, int courseH, int brickW) {
  BrickHit hit;
  int const course = y / courseH;
  // Odd courses are shifted by half a brick; the shift wraps around the tile.
  int const shift = (course & 1) ? brickW / 2 : 0;
  int const bx = (x + shift) % size;
  hit.course = static_cast<unsigned>(course);
  hit.index = static_cast<unsigned>(bx / brickW);
  hit.lx = static_cast<float>(bx % brickW) + 0.5f;
  hit.ly = static_cast<float>(y % courseH) + 0.5f;
  return hit;
}

// Signed distance from a point of a brick cell to the edge of its face (a
// rounded rectangle inset by half the joint width): negative in the mortar.
float faceDistance(BrickHit const& h, float brickW, float courseH, float halfJoint, float corner) {
  float const dx = std::min(h.lx, brickW - h.lx) - halfJoint;
  float const dy = std::min(h.ly, courseH - h.ly) - halfJoint;
  if (dx < corner && dy < corner) {
    float const ox = corner - dx, oy = corner - dy;
    return corner - std::sqrt(ox * ox + oy * oy);
  }
  return std::min(dx, dy);
}

}  // namespace

bool makeBrickWall(int size, int courses, unsigned seed, BrickWallMaps& out, std::string& error) {
  if (courses < 1 || size < 32 || size > 8192 || size % (4 * courses) != 0) {
    error = "the tile size must be a multiple of four times the course count, 32 to 8192";
    return false;
  }
  int const courseH = size / courses;
  int const brickW = size / 2;
  float const unit = static_cast<float>(size) / 256.0f;  // features are tuned at 256 pixels
  float const halfJoint = 5.0f * unit;
  float const bevel = 4.0f * unit;
  float const corner = 3.0f * unit;
  float const cells = 8.0f / static_cast<float>(size);  // noise lattice: 8 cells per tile

  size_t const n = static_cast<size_t>(size) * static_cast<size_t>(size);
  out.size = size;
  out.color.assign(n * 3, 0);
  out.height.assign(n * 3, 0);

  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float const fx = static_cast<float>(x) * cells, fy = static_cast<float>(y) * cells;
      BrickHit const hit = locate(x, y, size, courseH, brickW);
      float const brickRand = hashUnit(hit.course, hit.index, seed);
      float const brickRand2 = hashUnit(hit.course, hit.index, seed + 7);

      // Chipped, irregular edges: push the face boundary in and out with noise.
      float const chip = (tileFractal(fx * 2.0f, fy * 2.0f, 16, 3, seed + 11) - 0.5f) * 3.0f * unit;
      float const d = faceDistance(hit, static_cast<float>(brickW), static_cast<float>(courseH),
                                   halfJoint, corner) + chip;

      float const grain = tileFractal(fx * 4.0f, fy * 4.0f, 32, 3, seed + 23);  // fine texture
      float const cloud = tileFractal(fx, fy, 8, 3, seed + 31);                // broad blotches
      float const speck = hashUnit(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed + 41);

      // Height: slightly rough mortar at the bottom, a bevel up to a flat face.
      // Faces carry no noise: at the bench's default bump scale a single 8-bit
      // height step already tilts the normal by about 11 degrees, so gentle
      // undulation would show as contour lines.
      float const mortarH = 0.10f + 0.04f * grain;
      float const face = 0.80f + 0.10f * brickRand2;
      float const rise = smoothstep(0.0f, bevel, d);
      float const h = clamp01(mortarH + (face - mortarH) * rise);

      // Colour: lighter sandy mortar; warm brick colour with blotches and grain,
      // a little darker on the bevel where the edge turns away.
      Rgb const mortar = {206.0f, 198.0f, 180.0f};
      float const mortarShade = 0.85f + 0.25f * grain;
      Rgb const base = brickPalette[static_cast<size_t>(brickRand * 8.0f) & 7];
      float const tint = 0.9f + 0.2f * brickRand2;
      float brickShade = tint * (0.78f + 0.32f * cloud) * (0.9f + 0.2f * grain) * (0.82f + 0.18f * rise);
      if (speck > 0.985f) brickShade *= 0.6f;
      float const m = smoothstep(-0.5f * unit, 0.5f * unit, d);  // antialiased face edge
      size_t const i = (static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)) * 3;
      out.color[i + 0] = toByte(mortar.r * mortarShade * (1 - m) + base.r * brickShade * m);
      out.color[i + 1] = toByte(mortar.g * mortarShade * (1 - m) + base.g * brickShade * m);
      out.color[i + 2] = toByte(mortar.b * mortarShade * (1 - m) + base.b * brickShade * m);
      unsigned char const hv = toByte(h * 255.0f);
      out.height[i + 0] = out.height[i + 1] = out.height[i + 2] = hv;
    }
  }
  return true;
}
