// fontgen: writes the console's glyph sheet from a TrueType font.
// Usage: fontgen [font.ttf [out.bmp]]
#include <cstdio>
#include <string>
#include <vector>

#include "GlyphSheet.h"
#include "base/imagewriter.h"

namespace {

// The sheet's grey level in all three channels of a BMP.
bool writeSheet(GlyphSheet const& sheet, char const* path, std::string& error) {
  int const side = GlyphSheet::size;
  std::vector<unsigned char> rgb;
  rgb.reserve(static_cast<size_t>(side) * static_cast<size_t>(side) * 3);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) rgb.insert(rgb.end(), 3, sheet.at(x, y));
  return writeImageFile(path, side, side, rgb.data(), 3 * side, error);
}

}  // namespace

int main(int argc, char** argv) {
  char const* font = argc > 1 ? argv[1] : "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";
  char const* out = argc > 2 ? argv[2] : "font.bmp";
  if (argc > 3) {
    std::fprintf(stderr, "usage: fontgen [font.ttf [out.bmp]]\n");
    return 2;
  }
  GlyphSheet sheet;
  std::string error;
  // Codes 0x20 to 0x7F fill the top six cell rows.
  if (!sheet.render(font, 0x20, 0x7F, error) || !writeSheet(sheet, out, error)) {
    std::fprintf(stderr, "fontgen: %s\n", error.c_str());
    return 1;
  }
  std::printf("fontgen: wrote %s from %s\n", out, font);
  return 0;
}
