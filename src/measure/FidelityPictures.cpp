// FidelityPictures: the heat scales, their legends and the panels of a map.
#include "FidelityPictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "FlipHeat.h"

namespace {

int const band = 56;  // the height of the band under the panels
unsigned const white = 0xFFFFFFFFu;
unsigned const offMesh = 0xFF404040u;  // where the image heat map has no pixel of the mesh

// The colour of an error of e texels: dark blue at 0 through cyan, green and
// yellow to red at 8 texels and beyond, on a square-root scale.
unsigned texelColor(float e) {
  static unsigned char const stops[5][3] = {{20, 20, 120}, {0, 170, 220}, {40, 200, 60}, {250, 220, 0}, {230, 30, 20}};
  float const t = std::min(1.0f, std::sqrt(std::max(e, 0.0f) / 8.0f)) * 4.0f;
  int const i = std::min(3, static_cast<int>(t));
  float const f = t - static_cast<float>(i);
  unsigned out = 0xFF000000u;
  for (int c = 0; c < 3; ++c)
    out |= static_cast<unsigned>(stops[i][c] + (stops[i + 1][c] - stops[i][c]) * f + 0.5f) << (8 * c);
  return out;
}

// A tick under a colour bar at x with its label.
void tick(Picture& pic, int x, int barY, char const* text) {
  pic.fill(x, barY + 10, 1, 4, white);
  pic.label(static_cast<float>(x) - 4.0f, static_cast<float>(barY + 15), text, white, 10.0f);
}

// The texel scale under the panel starting at x0: square root from 0 to 8 texels.
void texelLegend(Picture& pic, int x0, int w, int h) {
  int const barX = x0 + 20, barW = w - 40, barY = h + 26;
  for (int i = 0; i < barW; ++i) {
    float const t = static_cast<float>(i) / static_cast<float>(barW - 1);
    pic.fill(barX + i, barY, 1, 10, texelColor(8.0f * t * t));
  }
  for (float e : {0.0f, 0.5f, 1.0f, 2.0f, 4.0f, 8.0f}) {
    char buf[16];
    std::snprintf(buf, sizeof buf, e >= 8.0f ? "%g+" : "%g", static_cast<double>(e));
    tick(pic, barX + static_cast<int>(std::sqrt(e / 8.0f) * static_cast<float>(barW - 1)), barY, buf);
  }
}

// The image metric's scale: linear from 0 to 1.
void imageLegend(Picture& pic, int x0, int w, int h) {
  int const barX = x0 + 20, barW = w - 40, barY = h + 26;
  for (int i = 0; i < barW; ++i)
    pic.fill(barX + i, barY, 1, 10, FlipHeat::color(static_cast<float>(i) / static_cast<float>(barW - 1)));
  for (float e : FlipHeat::legendTicks()) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%g", static_cast<double>(e));
    tick(pic, barX + static_cast<int>(e * static_cast<float>(barW - 1) + 0.5f), barY, buf);
  }
}

}  // namespace

Picture fidelityMapPicture(FidelityMapData const& d) {
  int const w = d.width, h = d.height;
  bool const image = !d.image.empty();
  Picture pic((image ? 3 : 2) * w, h + band, 0xFF000000u);
  pic.put(d.frame, w, h, 0, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      size_t const top = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
      float const e = d.texels[static_cast<size_t>(h - 1 - y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
      if (e >= 0) pic.setPixel(w + x, y, texelColor(e));
      if (image) pic.setPixel(2 * w + x, y, d.mesh[top] ? FlipHeat::color(d.image[top]) : offMesh);
    }
  texelLegend(pic, w, w, h);
  pic.label(8.0f, static_cast<float>(h + 6), d.texelCaption, white, 12.0f);
  pic.label(static_cast<float>(w + 8), 8.0f, "error in texels against the traced reference", white, 12.0f);
  if (image) {
    imageLegend(pic, 2 * w, w, h);
    pic.label(static_cast<float>(2 * w + 8), static_cast<float>(h + 6), d.imageCaption, white, 12.0f);
    pic.label(static_cast<float>(2 * w + 8), 8.0f, "image error against the reference frame", white, 12.0f);
  }
  return pic;
}

Picture framePicture(std::vector<unsigned char> const& frame, int width, int height) {
  Picture pic(width, height, 0xFF000000u);
  pic.put(frame, width, height, 0, 0);
  return pic;
}
