// writeGreyPng: libpng onto an AtomicFile's stream, one row at a time.
#include "GreyPng.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "base/atomicfile.h"

namespace {

struct Failure {
  std::jmp_buf jump;
  char message[200];
  int savedErrno;
};

void pngError(png_structp png, png_const_charp message) {
  Failure* f = static_cast<Failure*>(png_get_error_ptr(png));
  f->savedErrno = errno;
  std::snprintf(f->message, sizeof f->message, "%s", message);
  std::longjmp(f->jump, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// Encodes rows already packed (big-endian samples for 16 bits). Only plain data
// lives in this frame, so the long jump skips no destructor.
bool encode(FILE* out, int width, int height, int bits, unsigned char const* packed, size_t rowBytes,
            Failure& failure) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, pngError, pngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(failure.jump)) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, out);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bits, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, packed + static_cast<size_t>(y) * rowBytes);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool writeGreyPng(std::string const& path, int width, int height, std::vector<float> const& values, int bits,
                  std::string& error) {
  if (width <= 0 || height <= 0 || (bits != 8 && bits != 16) ||
      values.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
    error = path + ": no picture to write (" + std::to_string(width) + "x" + std::to_string(height) + ")";
    return false;
  }
  size_t const bytes = static_cast<size_t>(bits / 8);
  size_t const rowBytes = static_cast<size_t>(width) * bytes;
  std::vector<unsigned char> packed(values.size() * bytes);
  float const top = bits == 8 ? 255.0f : 65535.0f;
  for (size_t i = 0; i < values.size(); ++i) {
    float const v = values[i] >= 0.0f ? std::min(values[i], 1.0f) : 0.0f;  // NaN reads as 0
    unsigned const level = static_cast<unsigned>(v * top + 0.5f);
    if (bits == 8) {
      packed[i] = static_cast<unsigned char>(level);
    } else {
      packed[2 * i] = static_cast<unsigned char>(level >> 8);
      packed[2 * i + 1] = static_cast<unsigned char>(level & 0xFF);
    }
  }

  AtomicFile file;
  if (!file.open(path, error)) return false;
  Failure failure{};
  if (!encode(file.stream(), width, height, bits, packed.data(), rowBytes, failure)) {
    error = path + ": " + (failure.savedErrno && std::ferror(file.stream()) ? std::strerror(failure.savedErrno)
                           : failure.message[0]                             ? failure.message
                                                                            : "the encoder failed");
    return false;
  }
  return file.commit(error);
}
