// Picture: an RGBA picture in memory, rows top first, that tiles and boxes are
// put into and labels are written on with the panel's font (in one offscreen
// GL pass), then saved as PNG or JPEG: contact sheets and error maps.
#pragma once

#include <string>
#include <vector>

class Picture {
public:
  Picture(int width, int height, unsigned background = 0xFF000000u);

  int width() const { return w; }
  int height() const { return h; }

  // Copies a w x h RGBA read-back (rows bottom first, as glReadPixels gives
  // them) with its top-left corner at (x, y).
  void put(std::vector<unsigned char> const& bottomUp, int w, int h, int x, int y);
  // Fills a box; colours are packed 0xAABBGGRR.
  void fill(int x, int y, int w, int h, unsigned color);
  void setPixel(int x, int y, unsigned color);
  // Writes text with its top-left corner at (x, y) when the picture is saved.
  void label(float x, float y, std::string const& text, unsigned color = 0xFFFFFFFFu, float glyph = 12.0f);

  // Draws the labels and writes the file (format from the extension).
  bool save(std::string const& path, std::string& error) const;

private:
  struct Label {
    float x, y;
    std::string text;
    unsigned color;
    float glyph;
  };
  int w, h;
  std::vector<unsigned char> rgba;
  std::vector<Label> labels;
};
