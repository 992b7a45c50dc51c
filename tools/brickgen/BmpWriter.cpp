// Writes 24-bit uncompressed BMP files from top-down RGB pixel rows.
#include "BmpWriter.h"

#include <cstdint>
#include <cstdio>

namespace {

void put16(std::vector<unsigned char>& b, uint16_t v) {
  b.push_back(static_cast<unsigned char>(v & 0xFF));
  b.push_back(static_cast<unsigned char>(v >> 8));
}

void put32(std::vector<unsigned char>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

bool writeBmp24(std::string const& path, int width, int height,
                std::vector<unsigned char> const& rgb, std::string& error) {
  // Keep the file comfortably below 4 GiB so every header field fits.
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
    error = "image size out of range";
    return false;
  }
  size_t const w = static_cast<size_t>(width), h = static_cast<size_t>(height);
  if (rgb.size() != w * h * 3) {
    error = "pixel buffer does not match the image size";
    return false;
  }
  size_t const rowBytes = (w * 3 + 3) & ~size_t(3);  // rows are padded to 4 bytes
  size_t const pixelBytes = rowBytes * h;
  size_t const headerBytes = 14 + 40;

  std::vector<unsigned char> file;
  file.reserve(headerBytes + pixelBytes);
  // File header.
  file.push_back('B');
  file.push_back('M');
  put32(file, static_cast<uint32_t>(headerBytes + pixelBytes));
  put32(file, 0);
  put32(file, static_cast<uint32_t>(headerBytes));
  // Info header: positive height means the rows are stored bottom-up.
  put32(file, 40);
  put32(file, static_cast<uint32_t>(width));
  put32(file, static_cast<uint32_t>(height));
  put16(file, 1);
  put16(file, 24);
  put32(file, 0);  // no compression
  put32(file, static_cast<uint32_t>(pixelBytes));
  put32(file, 2835);  // 72 dpi
  put32(file, 2835);
  put32(file, 0);
  put32(file, 0);

  for (size_t row = h; row-- > 0;) {
    unsigned char const* src = rgb.data() + row * w * 3;
    for (size_t x = 0; x < w; ++x) {  // BMP stores blue, green, red
      file.push_back(src[3 * x + 2]);
      file.push_back(src[3 * x + 1]);
      file.push_back(src[3 * x + 0]);
    }
    for (size_t pad = w * 3; pad < rowBytes; ++pad) file.push_back(0);
  }

  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    error = "cannot open the file for writing";
    return false;
  }
  bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) error = "write failed";
  return ok;
}
