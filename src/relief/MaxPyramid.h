// MaxPyramid: the highest height over each bilinear cell of a height map and over square blocks of those cells, level by level.
#pragma once

#include <cstddef>
#include <vector>

#include "HeightField.h"

// Level 0 has one cell per texel: cell (i, j) holds the highest of texels
// i..i+1 x j..j+1 (wrapping), so every bilinear sample whose lower-left texel
// is (i, j) lies at or under it. Level 0 is padded to a power of two each way
// (paddedSize()); the padding holds 0, which raises no maximum. Cell (I, J) of
// level L holds the highest of level L - 1's cells 2I..2I+1 x 2J..2J+1 (one
// cell where that level is one cell wide or high), so it bounds the level-0
// cells [I * 2^L, (I + 1) * 2^L) of each axis, clipped at the map's edge.
// Levels go on, halving each way down to one cell, until one cell covers the map.
class MaxPyramid {
public:
  explicit MaxPyramid(HeightField const& field);

  // The smallest power of two at least n (n >= 1; 1 << 30 at most).
  static int paddedSize(int n);
  // How many levels the pyramid of a width x height map has.
  static int levelCount(int width, int height);

  int mapWidth() const { return mapW; }
  int mapHeight() const { return mapH; }
  int levels() const { return static_cast<int>(cells.size()); }
  // A level's size in cells: level 0 padded, then halved (not under 1).
  int width(int level) const;
  int height(int level) const;
  // Cell (x, y) of a level, 0 <= x < width(level), 0 <= y < height(level).
  float at(int level, int x, int y) const;
  // A level's cells, row by row, width(level) to a row.
  std::vector<float> const& level(int l) const { return cells[static_cast<size_t>(l)]; }

private:
  int mapW, mapH;
  std::vector<std::vector<float>> cells;
};
