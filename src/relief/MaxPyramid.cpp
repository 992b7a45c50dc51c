// MaxPyramid: level 0 from the bilinear cells, each further level from the one below.
#include "MaxPyramid.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "HeightPyramid.h"

int MaxPyramid::paddedSize(int n) {
  if (n < 1 || n > (1 << 30)) throw std::invalid_argument("MaxPyramid: size out of range");
  int p = 1;
  while (p < n) p *= 2;
  return p;
}

int MaxPyramid::levelCount(int width, int height) {
  int const side = std::max(paddedSize(width), paddedSize(height));
  int n = 1;
  for (int s = side; s > 1; s /= 2) ++n;
  return n;
}

int MaxPyramid::width(int level) const { return std::max(1, paddedSize(mapW) >> level); }

int MaxPyramid::height(int level) const { return std::max(1, paddedSize(mapH) >> level); }

float MaxPyramid::at(int level, int x, int y) const {
  return cells[static_cast<size_t>(level)][static_cast<size_t>(y) * static_cast<size_t>(width(level)) +
                                           static_cast<size_t>(x)];
}

MaxPyramid::MaxPyramid(HeightField const& field) : mapW(field.width()), mapH(field.height()) {
  paddedSize(mapW);  // checks the sizes
  paddedSize(mapH);
  auto highest = [](float a, float b) { return std::max(a, b); };
  // Padded rather than clipped: the shader's texture has one GL level per
  // pyramid level, and GL levels halve exactly, so every level must be exactly
  // half the one below for a node's texel to sit where the shader looks.
  std::vector<PyramidLevel<float>> levels = HeightPyramid::build(
      mapW, mapH,
      HeightPyramid::perCell<float>(field.texels(), mapW, mapH,
                                    [&](float a, float b, float c, float d) { return highest(highest(a, b), highest(c, d)); }),
      highest, HeightPyramid::Edge::PadToPowerOfTwo, 0.0f);
  for (PyramidLevel<float>& l : levels) cells.push_back(std::move(l.cells));
}
