// The drawing primitives: rectangles, outlines and word-wrapped bitmap text in
// immediate-mode OpenGL, and the font table's glyph lookup.
#include "menu/draw.h"

#include <GL/gl.h>

#include <string>

namespace pwn {

namespace {

bool transparent(unsigned int color) { return (color >> 24) == 0; }

// The colour's bytes in memory order red, green, blue, alpha.
void setColor(unsigned int color) {
  GLubyte const c[4] = {static_cast<GLubyte>(color & 0xFF), static_cast<GLubyte>((color >> 8) & 0xFF),
                        static_cast<GLubyte>((color >> 16) & 0xFF),
                        static_cast<GLubyte>((color >> 24) & 0xFF)};
  glColor4ubv(c);
}

}  // namespace

FontTable::FontTable() : texture(0) { resetGlyphs(); }

void FontTable::resetGlyphs() {
  for (Extent& e : glyphs) e = Extent{0.0f, 1.0f};
}

FontTable::Extent const& FontTable::glyph(unsigned char code) const {
  return glyphs[(code - 32 + glyphCount) % glyphCount];
}

void menuDisplayRect(_vec<2, float> const& pos, _vec<2, float> const& size, unsigned int color,
                     int texture) {
  if (transparent(color)) return;
  setColor(color);
  if (texture)
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
  else
    glDisable(GL_TEXTURE_2D);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(pos.x, pos.y);
  glTexCoord2f(0, 1);
  glVertex2f(pos.x, pos.y + size.y);
  glTexCoord2f(1, 1);
  glVertex2f(pos.x + size.x, pos.y + size.y);
  glTexCoord2f(1, 0);
  glVertex2f(pos.x + size.x, pos.y);
  glEnd();
  if (!texture) glEnable(GL_TEXTURE_2D);
}

void menuDisplayRectBorder(_vec<2, float> const& pos, _vec<2, float> const& size,
                           unsigned int color, float lineWidth) {
  if (transparent(color)) return;
  float const e = 0.001f;
  float const x = pos.x, y = pos.y, w = size.x, h = size.y;
  glLineWidth(lineWidth);
  glDisable(GL_TEXTURE_2D);
  setColor(color);
  glBegin(GL_LINE_LOOP);
  glVertex2f(x + e, y + e);
  glVertex2f(x + e, y + h - e);
  glVertex2f(x + w - e, y + h - e);
  glVertex2f(x + w - e, y + e);
  glEnd();
  glEnable(GL_TEXTURE_2D);
  glLineWidth(1.0f);
}

_vec<2, float> doMenuDisplayText(_vec<2, float> const& pos, _vec<2, float> const& box,
                                 const char* text, unsigned int color,
                                 _vec<2, float> const& fontSize, bool draw) {
  float penX = 0, lineTop = 0, widest = 0;
  if (draw) {
    if (transparent(color)) return _vec<2, float>(0, 0);
    setColor(color);
    glBindTexture(GL_TEXTURE_2D, fontTex.texture);
    glBegin(GL_QUADS);
  }

  unsigned char const* p = reinterpret_cast<unsigned char const*>(text ? text : "");
  for (; *p; ++p) {
    unsigned int c = *p;
    bool lineBreak = false;
    if (c == 13) {
      if (p[1] == 10) ++p;
      lineBreak = true;
    } else if (c == 10) {
      lineBreak = true;
    } else if (c >= 1 && c <= 32 && p[1] > 32) {
      // Wrap before a word that would reach the box's right edge.
      float word = 0;
      for (unsigned char const* q = p + 1; *q > 32; ++q) {
        FontTable::Extent const& g = fontTex.glyph(*q);
        word += g.end - g.start;
      }
      if (word * fontSize.x + penX + 1.0f >= box.x) lineBreak = true;
    }

    if (lineBreak) {
      lineTop += fontSize.y;
      if (lineTop >= box.y) break;
      penX = 0;
      continue;
    }

    unsigned int n = c < 32 ? 32 : c;
    FontTable::Extent const& g = fontTex.glyph(static_cast<unsigned char>(n));
    float const s = g.start, e = g.end;
    if (penX + e * fontSize.x > widest) widest = penX + e * fontSize.x;
    if (draw) {
      float const column = static_cast<float>(n & 15);
      float const row = static_cast<float>(static_cast<int>(n >> 4) - 2);
      float const corners[4][2] = {{s, 0}, {s, 1}, {e, 1}, {e, 0}};
      for (auto const& uv : corners) {
        glTexCoord2f((column + uv[0]) * 0.0625f, (row + uv[1]) * 0.0625f);
        glVertex2f(pos.x + penX + (uv[0] - s) * fontSize.x, pos.y + lineTop + uv[1] * fontSize.y);
      }
    }
    penX += (e - s) * fontSize.x;
  }

  if (draw) glEnd();
  return _vec<2, float>(widest, lineTop + fontSize.y);
}

_vec<2, float> menuDisplayText(_vec<2, float> const& pos, _vec<2, float> const& box,
                               const char* text, unsigned int color,
                               _vec<2, float> const& fontSize) {
  return doMenuDisplayText(pos, box, text, color, fontSize, true);
}

_vec<2, float> menuTextSize(const char* text, _vec<2, float> const& box,
                            _vec<2, float> const& fontSize) {
  std::string withSpace(text ? text : "");
  withSpace += ' ';
  return doMenuDisplayText(_vec<2, float>(0, 0), box, withSpace.c_str(), 0, fontSize, false);
}

}  // namespace pwn
