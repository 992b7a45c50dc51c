// The procedural brick wall: a tileable colour map and its matching height map.
#pragma once

#include <string>
#include <vector>

struct BrickWallMaps {
  int size = 0;                      // width and height in pixels
  std::vector<unsigned char> color;  // size x size RGB, row 0 at the top
  std::vector<unsigned char> height; // size x size grey RGB (R = G = B), 255 = brick face
};

// Builds a square tile of running-bond brickwork: `courses` rows of bricks,
// two bricks per row, every other row shifted by half a brick. The mortar joints
// are low, the brick faces high with bevelled, slightly chipped edges. Both maps
// tile seamlessly: every feature is computed modulo the tile. `size` must be a
// multiple of 4 * courses and at least 32; returns false otherwise.
bool makeBrickWall(int size, int courses, unsigned seed, BrickWallMaps& out, std::string& error);
