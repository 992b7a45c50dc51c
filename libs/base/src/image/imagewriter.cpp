// writeImageFile: PNG through libpng, JPEG through libjpeg, both onto an
// AtomicFile's stream.
#include "base/imagewriter.h"

#include <strings.h>

#include <cerrno>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>

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
bool encodePng(FILE* out, Rows const& rows, int width, Failure& failure) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, pngError, pngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(failure.jump)) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, out);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(rows.height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
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

bool endsWith(std::string const& s, char const* suffix) {
  size_t n = std::strlen(suffix);
  return s.size() > n && strcasecmp(s.c_str() + s.size() - n, suffix) == 0;
}

}  // namespace

bool writeImageFile(std::string const& path, int width, int height, unsigned char const* rgb,
                    int rowStride, std::string& error) {
  bool const png = endsWith(path, ".png");
  if (!png && !endsWith(path, ".jpg") && !endsWith(path, ".jpeg")) {
    size_t dot = path.rfind('.');
    std::string ext = dot == std::string::npos || path.find('/', dot) != std::string::npos ? "" : path.substr(dot);
    error = path + (ext.empty() ? ": the name has no picture type" : ": cannot write pictures of type \"" + ext + "\"") +
            " (use .png, .jpg or .jpeg)";
    return false;
  }
  long const rowBytes = 3L * width;
  if (!rgb || width <= 0 || height <= 0 || rowStride == INT_MIN || (rowStride < 0 ? -long(rowStride) : rowStride) < rowBytes) {
    error = path + ": no picture to write (" + std::to_string(width) + "x" + std::to_string(height) + ")";
    return false;
  }
  if (!png && (width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION)) {
    error = path + ": too large for JPEG (" + std::to_string(width) + "x" + std::to_string(height) + ")";
    return false;
  }

  AtomicFile file;
  if (!file.open(path, error)) return false;
  Rows const rows{rgb, height, rowStride};
  Failure failure{};
  bool const encoded = png ? encodePng(file.stream(), rows, width, failure)
                           : encodeJpeg(file.stream(), rows, width, failure);
  if (!encoded) {
    error = path + ": " + (failure.savedErrno && std::ferror(file.stream()) ? std::strerror(failure.savedErrno)
                           : failure.message[0]                             ? failure.message
                                                                            : "the encoder failed");
    return false;  // the destructor removes the temporary file
  }
  return file.commit(error);
}
