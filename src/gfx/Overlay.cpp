// Overlay: the projection, state and primitives of the overlay pass.
#include "Overlay.h"

#include <GL/gl.h>

#include <memory>

#include "GlGuards.h"

#include "menu/draw.h"

namespace Overlay {

namespace {
// The matrices that begin() pushed, popped by end().
std::unique_ptr<MatrixGuard> matrices;
}  // namespace

void begin(int w, int h) {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  // The whole picture, whatever viewport and scissor box the last view left.
  glViewport(0, 0, w, h);
  glDisable(GL_SCISSOR_TEST);
  matrices.reset(new MatrixGuard);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, w, h, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glActiveTexture(GL_TEXTURE0);
  glEnable(GL_TEXTURE_2D);
}

void end() {
  matrices.reset();
  glPopAttrib();
}

float text(float x, float y, std::string const& s, unsigned color, float glyph) {
  _vec<2, float> const size(glyph, glyph);
  _vec<2, float> const box(4096.0f, glyph * 2.0f);
  return pwn::menuDisplayText(_vec<2, float>(x, y), box, s.c_str(), color, size).x;
}

float textWidth(std::string const& s, float glyph) {
  _vec<2, float> const size(glyph, glyph);
  return pwn::doMenuDisplayText(_vec<2, float>(0, 0), _vec<2, float>(4096.0f, glyph * 2.0f), s.c_str(),
                                0xFFFFFFFFu, size, false)
      .x;
}

void box(float x, float y, float w, float h, unsigned color) {
  pwn::menuDisplayRect(_vec<2, float>(x, y), _vec<2, float>(w, h), color, 0);
}

void line(float x0, float y0, float x1, float y1, unsigned color, float width) {
  glDisable(GL_TEXTURE_2D);
  glLineWidth(width);
  glColor4ub(static_cast<GLubyte>(color & 0xFF), static_cast<GLubyte>((color >> 8) & 0xFF),
             static_cast<GLubyte>((color >> 16) & 0xFF), static_cast<GLubyte>(color >> 24));
  glBegin(GL_LINES);
  glVertex2f(x0, y0);
  glVertex2f(x1, y1);
  glEnd();
  glLineWidth(1.0f);
  glEnable(GL_TEXTURE_2D);
}

}  // namespace Overlay
