// GlyphSheet: a 256 x 256 grey picture of 16 x 16 cells, one glyph per cell,
// filled from a TrueType font through FreeType.
#pragma once

#include <string>
#include <vector>

class GlyphSheet {
public:
  static constexpr int cellSize = 16;
  static constexpr int cells = 16;
  static constexpr int size = cellSize * cells;

  GlyphSheet() : pixels(size * size, 0) {}

  // Draws the glyphs of codes first..last into their cells: code c goes to
  // column c & 15 and row (c >> 4) - 2 from the top. False (with the reason in
  // error) when the font cannot be opened or sized.
  bool render(char const* fontPath, int first, int last, std::string& error);

  // Grey level of a pixel, row 0 at the top.
  unsigned char at(int x, int y) const { return pixels[static_cast<size_t>(y) * size + x]; }

private:
  std::vector<unsigned char> pixels;
};
