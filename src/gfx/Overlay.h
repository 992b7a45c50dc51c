// Overlay: text, filled boxes and lines drawn over a picture in pixels (origin
// at the top-left, y downward) with the panel's font, for labels, the wipe line
// and legends. begin() saves the GL state that end() restores.
#pragma once

#include <string>

namespace Overlay {

// Sets up drawing over a w x h picture (the window or an offscreen target).
void begin(int w, int h);
void end();

// Colours are packed 0xAABBGGRR, as everywhere in the panel.
// Text with its top-left corner at (x, y); returns its width in pixels.
float text(float x, float y, std::string const& s, unsigned color, float glyph = 12.0f);
// The width text() would take.
float textWidth(std::string const& s, float glyph = 12.0f);
void box(float x, float y, float w, float h, unsigned color);
void line(float x0, float y0, float x1, float y1, unsigned color, float width = 1.0f);

}  // namespace Overlay
