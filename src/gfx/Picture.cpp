// Picture: pixels in memory, the label pass through an offscreen target, saving.
#include "Picture.h"

#include <GL/gl.h>

#include <algorithm>

#include "GlGuards.h"
#include "OffscreenTarget.h"
#include "Overlay.h"
#include "base/imagewriter.h"

Picture::Picture(int width, int height, unsigned background)
    : w(std::max(width, 1)), h(std::max(height, 1)), rgba(static_cast<size_t>(w) * static_cast<size_t>(h) * 4) {
  fill(0, 0, w, h, background);
}

void Picture::setPixel(int x, int y, unsigned color) {
  if (x < 0 || y < 0 || x >= w || y >= h) return;
  unsigned char* p = &rgba[4 * (static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x))];
  for (int c = 0; c < 4; ++c) p[c] = static_cast<unsigned char>(color >> (8 * c));
}

void Picture::fill(int x, int y, int bw, int bh, unsigned color) {
  for (int j = std::max(y, 0); j < std::min(y + bh, h); ++j)
    for (int i = std::max(x, 0); i < std::min(x + bw, w); ++i) setPixel(i, j, color);
}

void Picture::put(std::vector<unsigned char> const& bottomUp, int tw, int th, int x, int y) {
  if (bottomUp.size() < static_cast<size_t>(tw) * static_cast<size_t>(th) * 4) return;
  for (int j = 0; j < th; ++j) {
    int const row = y + j;
    if (row < 0 || row >= h) continue;
    for (int i = 0; i < tw; ++i) {
      int const col = x + i;
      if (col < 0 || col >= w) continue;
      unsigned char const* s = &bottomUp[4 * (static_cast<size_t>(th - 1 - j) * static_cast<size_t>(tw) + static_cast<size_t>(i))];
      unsigned char* d = &rgba[4 * (static_cast<size_t>(row) * static_cast<size_t>(w) + static_cast<size_t>(col))];
      std::copy(s, s + 3, d);
      d[3] = 255;
    }
  }
}

void Picture::label(float x, float y, std::string const& text, unsigned color, float glyph) {
  labels.push_back(Label{x, y, text, color, glyph});
}

bool Picture::save(std::string const& path, std::string& error) const {
  std::vector<unsigned char> out = rgba;
  if (!labels.empty()) {
    // The pixels go up as a texture drawn over the whole target, the labels on
    // top; the target is read back (bottom row first) into `out` top first.
    OffscreenTarget target;
    if (!target.create(w, h, 1, GL_RGBA8, error)) return false;
    GLuint tex = 0;
    {
      TextureBindingGuard guard;
      glGenTextures(1, &tex);
      guard.bind(tex);
      glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }

    target.bind();
    Overlay::begin(w, h);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, tex);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);  // texture row 0 (the top) at overlay y = 0
    glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    glTexCoord2f(0, 1);
    glVertex2f(0, static_cast<float>(h));
    glTexCoord2f(1, 1);
    glVertex2f(static_cast<float>(w), static_cast<float>(h));
    glTexCoord2f(1, 0);
    glVertex2f(static_cast<float>(w), 0);
    glEnd();
    glEnable(GL_BLEND);
    for (Label const& l : labels) Overlay::text(l.x, l.y, l.text, l.color, l.glyph);
    Overlay::end();
    target.unbind();
    glDeleteTextures(1, &tex);
    std::vector<unsigned char> const back = target.readBytes(0);
    size_t const row = 4 * static_cast<size_t>(w);
    for (int j = 0; j < h; ++j)
      std::copy(back.data() + static_cast<size_t>(h - 1 - j) * row, back.data() + static_cast<size_t>(h - j) * row,
                out.data() + static_cast<size_t>(j) * row);
  }
  std::vector<unsigned char> rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
  for (size_t i = 0, n = static_cast<size_t>(w) * static_cast<size_t>(h); i < n; ++i)
    std::copy(&out[4 * i], &out[4 * i + 3], &rgb[3 * i]);
  return writeImageFile(path, w, h, rgb.data(), w * 3, error);
}
