// MaxPyramid: level 0 from the bilinear cells, each further level from the one below.
#include "MaxPyramid.h"

#include <algorithm>
#include <stdexcept>

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
  int const n = levelCount(mapW, mapH);
  cells.resize(static_cast<size_t>(n));

  // Level 0: the bilinear cells, then zeros out to the padded size.
  size_t const w0 = static_cast<size_t>(width(0));
  std::vector<float>& base = cells[0];
  base.assign(w0 * static_cast<size_t>(height(0)), 0.0f);
  for (int y = 0; y < mapH; ++y)
    for (int x = 0; x < mapW; ++x)
      base[static_cast<size_t>(y) * w0 + static_cast<size_t>(x)] =
          std::max(std::max(field.texel(x, y), field.texel(x + 1, y)),
                   std::max(field.texel(x, y + 1), field.texel(x + 1, y + 1)));

  for (int l = 1; l < n; ++l) {
    int const w = width(l), h = height(l), wb = width(l - 1), hb = height(l - 1);
    std::vector<float> const& below = cells[static_cast<size_t>(l - 1)];
    std::vector<float>& here = cells[static_cast<size_t>(l)];
    here.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        int const x0 = std::min(2 * x, wb - 1), x1 = std::min(2 * x + 1, wb - 1);
        int const y0 = std::min(2 * y, hb - 1), y1 = std::min(2 * y + 1, hb - 1);
        auto cell = [&](int cx, int cy) {
          return below[static_cast<size_t>(cy) * static_cast<size_t>(wb) + static_cast<size_t>(cx)];
        };
        here[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] =
            std::max(std::max(cell(x0, y0), cell(x1, y0)), std::max(cell(x0, y1), cell(x1, y1)));
      }
  }
}
