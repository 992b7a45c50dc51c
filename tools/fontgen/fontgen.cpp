// fontgen: writes the console's glyph sheet from a TrueType font.
// Usage: fontgen [font.ttf [out.bmp]]
#include <cstdio>
#include <string>

#include "BmpWriter.h"
#include "GlyphSheet.h"

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
  if (!sheet.render(font, 0x20, 0x7F, error) || !writeSheetBmp(sheet, out, error)) {
    std::fprintf(stderr, "fontgen: %s\n", error.c_str());
    return 1;
  }
  std::printf("fontgen: wrote %s from %s\n", out, font);
  return 0;
}
