// The toolkit's drawing primitives: filled and outlined rectangles and
// bitmap-font text with word wrap, and the font table that text reads.
#pragma once

#include "math/vec.h"

namespace pwn {

// The menu font: a texture of 16 x 16 glyph cells (code n at column n & 15,
// row (n >> 4) - 2) and each glyph's visible horizontal extent, as fractions
// of the cell width, for codes 32 to 223.
struct FontTable {
  static constexpr int glyphCount = 192;
  struct Extent {
    float start;
    float end;
  };

  FontTable();
  // Every extent back to the whole cell.
  void resetGlyphs();
  Extent const& glyph(unsigned char code) const;

  unsigned int texture;
  Extent glyphs[glyphCount];
};

extern FontTable fontTex;

// All functions draw in the current model-view coordinates and expect
// GL_TEXTURE_2D enabled on the active unit 0 and blending on (the menu system's
// drawing pass); they leave GL_TEXTURE_2D enabled. Colours are packed 0xAABBGGRR
// and one with alpha 0 is not drawn.
void menuDisplayRect(_vec<2, float> const& pos, _vec<2, float> const& size, unsigned int color,
                     int texture);
void menuDisplayRectBorder(_vec<2, float> const& pos, _vec<2, float> const& size,
                           unsigned int color, float lineWidth);
// Lays out `text` in a box of size `box` at `pos` and, when `draw`, draws it.
// Returns the extent of the laid-out text.
_vec<2, float> doMenuDisplayText(_vec<2, float> const& pos, _vec<2, float> const& box,
                                 const char* text, unsigned int color,
                                 _vec<2, float> const& fontSize, bool draw);
_vec<2, float> menuDisplayText(_vec<2, float> const& pos, _vec<2, float> const& box,
                               const char* text, unsigned int color,
                               _vec<2, float> const& fontSize);
// The extent of `text` followed by one space, laid out in `box`; draws nothing.
_vec<2, float> menuTextSize(const char* text, _vec<2, float> const& box,
                            _vec<2, float> const& fontSize);

}  // namespace pwn
