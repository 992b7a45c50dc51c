// writeImageFile and writeGreyPng: PNG through libpng, JPEG through libjpeg,
// BMP written directly, each onto an AtomicFile's stream.
#include "base/imagewriter.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "base/atomicfile.h"

namespace {

// The rows of the caller's memory, top row first.
struct Rows {
  unsigned char const* rgb;
  int height;
  int stride;
  unsigned char* row(int top) const {
    long const index = stride >= 0 ? top : height - 1 - top;
    long const step = stride >= 0 ? stride : -long(stride);
    return const_cast<unsigned char*>(rgb + index * step);
  }
};

// What an encoder reports when it gives up: its own message and the errno of
// the moment (a failed write's reason).
struct Failure {
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  int savedErrno;
};

void pngError(png_structp png, png_const_charp message) {
  Failure* f = static_cast<Failure*>(png_get_error_ptr(png));
  f->savedErrno = errno;
  std::snprintf(f->message, sizeof f->message, "%s", message);
  std::longjmp(f->jump, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// Only plain data lives in these two frames, so the long jumps skip no destructor.
// `colorType` and `bits` are libpng's; each row holds the samples as libpng
// takes them (16-bit ones big-endian).
bool encodePng(FILE* out, Rows const& rows, int width, int colorType, int bits, Failure& failure) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, pngError, pngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(failure.jump)) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, out);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(rows.height), bits, colorType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < rows.height; ++y) png_write_row(png, rows.row(y));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

struct JpegFailure {
  jpeg_error_mgr manager;  // first, so the library's pointer is this struct's
  Failure* failure;
};

void jpegError(j_common_ptr cinfo) {
  JpegFailure* f = reinterpret_cast<JpegFailure*>(cinfo->err);
  f->failure->savedErrno = errno;
  (*cinfo->err->format_message)(cinfo, f->failure->message);
  std::longjmp(f->failure->jump, 1);
}

void jpegMessage(j_common_ptr) {}

bool encodeJpeg(FILE* out, Rows const& rows, int width, Failure& failure) {
  jpeg_compress_struct cinfo;
  JpegFailure err;
  cinfo.err = jpeg_std_error(&err.manager);
  err.manager.error_exit = jpegError;
  err.manager.output_message = jpegMessage;
  err.failure = &failure;
  if (setjmp(failure.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, out);
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(rows.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 92, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = rows.row(int(cinfo.next_scanline));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

void put16(std::vector<unsigned char>& out, uint32_t v) {
  out.push_back(static_cast<unsigned char>(v & 0xFF));
  out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void put32(std::vector<unsigned char>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// An uncompressed 24-bit BMP: the file and info headers, then the rows bottom
// first, blue-green-red, each padded to four bytes.
bool encodeBmp(FILE* out, Rows const& rows, int width, Failure& failure) {
  uint32_t const rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~uint32_t(3);
  uint32_t const pixelBytes = rowBytes * static_cast<uint32_t>(rows.height);
  std::vector<unsigned char> head;
  head.push_back('B');
  head.push_back('M');
  put32(head, 54 + pixelBytes);  // file size
  put32(head, 0);                // reserved
  put32(head, 54);               // offset of the pixels
  put32(head, 40);               // info header size
  put32(head, static_cast<uint32_t>(width));
  put32(head, static_cast<uint32_t>(rows.height));  // positive height: bottom row first
  put16(head, 1);                                   // planes
  put16(head, 24);                                  // bits per pixel
  put32(head, 0);                                   // no compression
  put32(head, pixelBytes);
  put32(head, 2835);  // 72 dpi
  put32(head, 2835);
  put32(head, 0);
  put32(head, 0);
  bool ok = std::fwrite(head.data(), 1, head.size(), out) == head.size();
  std::vector<unsigned char> row(rowBytes, 0);
  for (int y = rows.height - 1; ok && y >= 0; --y) {
    unsigned char const* src = rows.row(y);
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) row[static_cast<size_t>(3 * x + c)] = src[3 * x + 2 - c];
    ok = std::fwrite(row.data(), 1, row.size(), out) == row.size();
  }
  if (!ok) failure.savedErrno = errno;
  return ok;
}

// Writes the rows with `encode` onto an AtomicFile at `path`; the one-line
// reason names the file when it fails.
template <typename Encode>
bool writeThrough(std::string const& path, Encode&& encode, std::string& error) {
  AtomicFile file;
  if (!file.open(path, error)) return false;
  Failure failure{};
  if (!encode(file.stream(), failure)) {
    error = path + ": " + (failure.savedErrno && std::ferror(file.stream()) ? std::strerror(failure.savedErrno)
                           : failure.message[0]                             ? failure.message
                                                                            : "the encoder failed");
    return false;  // the destructor removes the temporary file
  }
  return file.commit(error);
}

bool endsWith(std::string const& s, char const* suffix) {
  size_t n = std::strlen(suffix);
  return s.size() > n && strcasecmp(s.c_str() + s.size() - n, suffix) == 0;
}

}  // namespace

bool writeImageFile(std::string const& path, int width, int height, unsigned char const* rgb,
                    int rowStride, std::string& error) {
  bool const png = endsWith(path, ".png"), bmp = endsWith(path, ".bmp");
  if (!png && !bmp && !endsWith(path, ".jpg") && !endsWith(path, ".jpeg")) {
    size_t dot = path.rfind('.');
    std::string ext = dot == std::string::npos || path.find('/', dot) != std::string::npos ? "" : path.substr(dot);
    error = path + (ext.empty() ? ": the name has no picture type" : ": cannot write pictures of type \"" + ext + "\"") +
            " (use .png, .jpg, .jpeg or .bmp)";
    return false;
  }
  long const rowBytes = 3L * width;
  if (!rgb || width <= 0 || height <= 0 || rowStride == INT_MIN || (rowStride < 0 ? -long(rowStride) : rowStride) < rowBytes) {
    error = path + ": no picture to write (" + std::to_string(width) + "x" + std::to_string(height) + ")";
    return false;
  }
  bool const jpeg = !png && !bmp;
  // A BMP's sizes are 32-bit fields: keep the file well under 4 GiB.
  long const most = jpeg ? JPEG_MAX_DIMENSION : bmp ? 16384 : INT_MAX;
  if (width > most || height > most) {
    error = path + ": too large for " + (jpeg ? "JPEG" : "BMP") + " (" + std::to_string(width) + "x" +
            std::to_string(height) + ")";
    return false;
  }
  Rows const rows{rgb, height, rowStride};
  return writeThrough(
      path,
      [&](FILE* out, Failure& failure) {
        return png ? encodePng(out, rows, width, PNG_COLOR_TYPE_RGB, 8, failure)
               : bmp ? encodeBmp(out, rows, width, failure)
                     : encodeJpeg(out, rows, width, failure);
      },
      error);
}

bool writeGreyPng(std::string const& path, int width, int height, std::vector<float> const& values, int bits,
                  std::string& error) {
  if (width <= 0 || height <= 0 || (bits != 8 && bits != 16) ||
      values.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
    error = path + ": no picture to write (" + std::to_string(width) + "x" + std::to_string(height) + ")";
    return false;
  }
  size_t const bytes = static_cast<size_t>(bits / 8);
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
  Rows const rows{packed.data(), height, static_cast<int>(static_cast<size_t>(width) * bytes)};
  return writeThrough(
      path, [&](FILE* out, Failure& failure) { return encodePng(out, rows, width, PNG_COLOR_TYPE_GRAY, bits, failure); },
      error);
}
