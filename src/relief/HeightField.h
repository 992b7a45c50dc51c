// A relief's height map on the CPU: bilinear, wrapping lookups as the GL makes them, and a min-max pyramid for bounding them over areas.
#pragma once

#include <cstddef>
#include <vector>

#include "HeightPyramid.h"

// Heights in [0, 1] on a width x height grid, row 0 first (row y covers texture
// coordinate v in [y / height, (y + 1) / height), as the GL samples a texture
// whose first uploaded row is row 0).
//
// The pyramid: level 0 has one cell per texel, cell (i, j) holding the lowest
// and highest of texels i..i+1 x j..j+1 (wrapping): every bilinear sample whose
// lower-left texel is (i, j) lies between them. Cell (I, J) of level L covers
// the level-0 cells [I * 2^L, (I + 1) * 2^L) in each direction, clipped at the
// map's edge; levels go up until one cell covers the map.
class HeightField {
public:
  struct Range {
    float min, max;
  };

  // heights holds width * height values, row by row. Values outside [0, 1] are
  // clamped into it and NaN becomes 0, so every lookup lies in [0, 1]. Throws
  // std::invalid_argument when a size is not positive or does not match.
  HeightField(int width, int height, std::vector<float> heights);

  // Heights from the alpha channel of width * height RGBA texels of four bytes
  // (as in the bench's normal maps): alpha / 255.
  static HeightField fromRgba8(unsigned char const* rgba, int width, int height);
  // Heights from width * height 16-bit grey samples (a 16-bit height map): v / 65535.
  static HeightField fromGrey16(unsigned short const* grey, int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }

  // The texel at (x, y), any integers, wrapping around the map.
  float texel(long x, long y) const;

  // The height the GL returns for texture coordinate (u, v) from a GL_LINEAR,
  // GL_REPEAT texture at level 0: the coordinate wraps into [0, 1), x = u * W
  // - 0.5, and the texels floor(x) and floor(x) + 1 (wrapping) are blended by
  // x - floor(x); the same for v with H. A NaN coordinate reads as 0.
  float sample(float u, float v) const;

  // Bounds that hold every sample(u, v) with u0 <= u <= u1 and v0 <= v <= v1
  // (u0 <= u1, v0 <= v1; any size, wrapping). Conservative: they may be wider
  // than the true extremes, never narrower. They come from at most 16 cells of
  // one level, covering the range with a cell of margin each side, and are
  // widened by a millionth against the rounding of the bilinear blend.
  Range rangeOver(float u0, float v0, float u1, float v1) const;

  // Bounds that hold every texel(x, y) with x0 <= x <= x1, y0 <= y <= y1 (any
  // integers, wrapping), from at most 16 cells of one level. Conservative: they
  // may take in more texels (a range one texel wide, the next one too).
  Range texelRange(long x0, long y0, long x1, long y1) const;

  // The texels themselves, row by row (width() * height() values).
  float const* texels() const { return heights_.data(); }

  // The pyramid as stored, for walks that descend it: levels 0 to
  // levelCount() - 1, level L of levelWidth(L) x levelHeight(L) cells (the
  // last level is 1 x 1), cell (i, j) at levelCells(L)[j * levelWidth(L) + i].
  int levelCount() const { return static_cast<int>(levels_.size()); }
  int levelWidth(int level) const { return levels_[static_cast<size_t>(level)].w; }
  int levelHeight(int level) const { return levels_[static_cast<size_t>(level)].h; }
  Range const* levelCells(int level) const { return levels_[static_cast<size_t>(level)].cells.data(); }

private:
  // Bounds over the level-0 cells [cx0, cx1] x [cy0, cy1] (any integers, wrapping).
  Range cellRange(long cx0, long cy0, long cx1, long cy1) const;
  int width_, height_;
  std::vector<float> heights_;
  // Clipped rather than padded: the walks and the wrapped range queries index
  // the map's own cells, and padding would only add cells outside it.
  std::vector<PyramidLevel<Range>> levels_;
};
