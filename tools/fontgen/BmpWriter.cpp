// BMP output of the glyph sheet: file and info headers, then bottom-up rows.
#include "BmpWriter.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "GlyphSheet.h"

namespace {
void put16(std::vector<unsigned char>& out, unsigned v) {
  out.push_back(static_cast<unsigned char>(v & 0xFF));
  out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}
void put32(std::vector<unsigned char>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}
}  // namespace

bool writeSheetBmp(GlyphSheet const& sheet, char const* path, std::string& error) {
  int const side = GlyphSheet::size;
  uint32_t const rowBytes = static_cast<uint32_t>(side * 3);  // 768: already a multiple of 4
  uint32_t const pixelBytes = rowBytes * side;
  std::vector<unsigned char> out;
  out.reserve(54 + pixelBytes);
  out.push_back('B');
  out.push_back('M');
  put32(out, 54 + pixelBytes);  // file size
  put32(out, 0);                // reserved
  put32(out, 54);               // offset of the pixels
  put32(out, 40);               // info header size
  put32(out, static_cast<uint32_t>(side));
  put32(out, static_cast<uint32_t>(side));  // positive height: bottom row first
  put16(out, 1);                            // planes
  put16(out, 24);                           // bits per pixel
  put32(out, 0);                            // no compression
  put32(out, pixelBytes);
  put32(out, 2835);  // 72 dpi
  put32(out, 2835);
  put32(out, 0);
  put32(out, 0);
  for (int y = side - 1; y >= 0; --y)
    for (int x = 0; x < side; ++x)
      for (int c = 0; c < 3; ++c) out.push_back(sheet.at(x, y));

  FILE* f = std::fopen(path, "wb");
  if (!f) {
    error = std::string("cannot create ") + path;
    return false;
  }
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) error = std::string("cannot write ") + path;
  return ok;
}
