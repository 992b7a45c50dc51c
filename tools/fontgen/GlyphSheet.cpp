// GlyphSheet: rasterising the glyphs of a font into the cells of the sheet.
#include "GlyphSheet.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>

namespace {
// Releases the FreeType library and face however render() returns.
struct FreeTypeSession {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~FreeTypeSession() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};
}  // namespace

bool GlyphSheet::render(char const* fontPath, int first, int last, std::string& error) {
  FreeTypeSession ft;
  if (FT_Init_FreeType(&ft.library)) {
    error = "cannot start FreeType";
    return false;
  }
  if (FT_New_Face(ft.library, fontPath, 0, &ft.face)) {
    error = std::string("cannot open font ") + fontPath;
    return false;
  }
  // 14-pixel em: ascent plus descent of a typical monospaced face fit in a
  // 16-pixel cell with a pixel to spare.
  int const em = 14;
  if (FT_Set_Pixel_Sizes(ft.face, 0, em)) {
    error = "cannot size the font";
    return false;
  }
  FT_Size_Metrics const& m = ft.face->size->metrics;
  double const ascent = m.ascender / 64.0, descent = -m.descender / 64.0;
  int const baseline = static_cast<int>(std::lround((cellSize - (ascent + descent)) / 2 + ascent));

  // Console cells are drawn about as wide as they are high, while a monospaced
  // glyph is only about 0.6 em wide: widen the outlines so each glyph fills
  // most of its cell.
  FT_Load_Char(ft.face, 'M', FT_LOAD_DEFAULT);
  double const advance = ft.face->glyph->advance.x / 64.0;
  double const widen = advance > 0 ? (cellSize - 2) / advance : 1.0;
  FT_Matrix stretch = {static_cast<FT_Fixed>(widen * 65536.0), 0, 0, 0x10000};
  FT_Set_Transform(ft.face, &stretch, nullptr);

  for (int code = first; code <= last; ++code) {
    if (FT_Get_Char_Index(ft.face, static_cast<FT_ULong>(code)) == 0) continue;  // no glyph
    if (FT_Load_Char(ft.face, static_cast<FT_ULong>(code), FT_LOAD_RENDER)) continue;
    FT_GlyphSlot g = ft.face->glyph;
    FT_Bitmap const& bmp = g->bitmap;
    int const cellX = (code & 15) * cellSize, cellY = ((code >> 4) - 2) * cellSize;
    if (cellY < 0 || cellY >= size) continue;
    int const glyphAdvance = static_cast<int>(g->advance.x >> 6);
    int const left = cellX + (cellSize - glyphAdvance) / 2 + g->bitmap_left;
    int const top = cellY + baseline - g->bitmap_top;
    for (unsigned row = 0; row < bmp.rows; ++row) {
      for (unsigned col = 0; col < bmp.width; ++col) {
        int x = left + static_cast<int>(col), y = top + static_cast<int>(row);
        // Clip to the glyph's own cell so no glyph bleeds into a neighbour.
        if (x < cellX || x >= cellX + cellSize || y < cellY || y >= cellY + cellSize) continue;
        unsigned char v = bmp.buffer[static_cast<long>(row) * bmp.pitch + col];
        unsigned char& dst = pixels[static_cast<size_t>(y) * size + x];
        if (v > dst) dst = v;
      }
    }
  }
  return true;
}
