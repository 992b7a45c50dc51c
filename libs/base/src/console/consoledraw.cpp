// Console drawing: the input line and the text rows as textured glyph quads in
// a character grid over the scene, with the four opening animations.
#include <cmath>
#include <cstring>

#include <GL/gl.h>

#include "base/console.h"
#include "system/display.h"
#include "system/timer.h"

namespace {
// Glyph cells of the font sheet: 16 x 16, code c in column c & 15 and row
// (c >> 4) - 2 counted from the top (t = 0).
constexpr float cell = 1.0f / 16.0f;

bool isControl(char c) { return static_cast<unsigned char>(c) <= 0x1F; }
}  // namespace

void Console::displayLine(char* line, int count) {
  // Style 3 reveals the text from the right edge: corners left of the
  // revealed part collapse onto x = 0.
  float const hiddenBelow = dropStyle == 3 ? 1.0f - dropProgress : 0.0f;
  auto cornerX = [&](int x) {
    float fx = static_cast<float>(x);
    if (width > 0 && fx / static_cast<float>(width) < hiddenBelow) return 0.0f;
    return fx;
  };

  glBegin(GL_QUADS);
  for (int i = 0; i < count; ++i) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    float s0 = static_cast<float>(c & 15) * cell;
    float t0 = static_cast<float>((c >> 4) - 2) * cell;
    float s1 = s0 + cell, t1 = t0 + cell;
    float x0 = cornerX(i), x1 = cornerX(i + 1);
    glTexCoord2f(s0, t0);
    glVertex2f(x0, 0.0f);
    glTexCoord2f(s1, t0);
    glVertex2f(x1, 0.0f);
    glTexCoord2f(s1, t1);
    glVertex2f(x1, 1.0f);
    glTexCoord2f(s0, t1);
    glVertex2f(x0, 1.0f);
  }
  glEnd();
}

void Console::display() {
  // A grid set to nothing by the "Console" command shows nothing (and would
  // make an invalid projection).
  if (width <= 0 || height <= 0) return;
  int inputRow;
  if (visible)
    inputRow = height - 1;
  else if (idleVisible)
    inputRow = idleDrop;
  else
    return;

  float progress = 1.0f;
  if (dropTime > 0) progress = static_cast<float>((timer.getTime() - dropStart) / dropTime);
  if (!(progress >= 0.0f)) progress = progress < 0.0f ? 0.0f : 1.0f;  // NaN counts as done
  if (progress > 1.0f) progress = 1.0f;
  dropProgress = progress;

  // Everything set below comes back at the end: the attributes (viewport and
  // matrix mode among them) and both matrices.
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  _vec<2, int> const& size = disp.getSize();
  glViewport(0, 0, size[0], size[1]);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  // One unit is one character cell; y grows downwards.
  glOrtho(0, width, height, 0, -1000, 1000);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  float const w = static_cast<float>(width), h = static_cast<float>(height);
  float const p = progress;
  switch (dropStyle) {
    case 1:  // spins and grows out of the centre
      glTranslatef(w * 0.5f, h * 0.5f, 0.0f);
      glScalef(p, p, 1.0f);
      glRotatef(1000.0f - 1000.0f * p, 0.0f, 0.0f, 1.0f);
      glTranslatef(w * -0.5f, h * -0.5f, 0.0f);
      break;
    case 2:  // unrolls as a narrow strip, then widens
      if (p < 0.5f)
        glScalef(0.2f, 2.0f * p, 1.0f);
      else
        glScalef((p - 0.5f) * 1.6f + 0.2f, 1.0f, 1.0f);
      break;
    default:  // 0: none; 3 is done per glyph corner in displayLine
      break;
  }

  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glDisable(GL_ALPHA_TEST);
  GLint clipPlanes = 0;
  glGetIntegerv(GL_MAX_CLIP_PLANES, &clipPlanes);
  for (GLint i = 0; i < clipPlanes; ++i) glDisable(static_cast<GLenum>(GL_CLIP_PLANE0 + i));
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  if (font.id) font.bind();
  glColor4f(1.0f, 1.0f, 1.0f, 0.75f);

  // Input row: the prompt character, then the line being typed.
  static char history_display[Console::inputSize + 1];
  history_display[0] = ']';
  std::memcpy(history_display + 1, input, sizeof input);
  history_display[sizeof history_display - 1] = '\0';
  glTranslatef(0.0f, static_cast<float>(inputRow), 0.0f);
  displayLine(history_display, static_cast<int>(std::strlen(history_display)));

  // Text rows, newest at the bottom, each at most width characters. A line
  // wider than the grid wraps so that its last row holds its last characters;
  // runs of control characters (newlines) separate lines and never show.
  int end = static_cast<int>(std::strlen(text));
  while (end > 0) {
    while (end > 0 && isControl(text[end - 1])) --end;
    if (end == 0) break;
    int begin = end;
    while (begin > 0 && !isControl(text[begin - 1]) && end - begin < width) --begin;
    if (begin == end) break;  // a zero-width grid shows no text
    glTranslatef(0.0f, -1.0f, 0.0f);
    displayLine(text + begin, end - begin);
    end = begin;
  }

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}
