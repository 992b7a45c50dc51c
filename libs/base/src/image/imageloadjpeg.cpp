// ImageLoadJPEG: JPEG files and memory blocks decoded through libjpeg into
// 24-bit RGB rows (grey and CMYK pictures are converted to RGB).
#include "base/imageloadjpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include "base/exception.h"
#include "base/image.h"
#include "base/regularfile.h"
#include "extension.h"
#include "jpegmemorysource.h"
#include "pixelbuffer.h"

ImageLoadJPEG imageLoadJPEG;

namespace {

// The library's error manager extended by the place to jump back to, and by
// what the loader reports of the library's warnings.
struct JpegErrorManager {
  jpeg_error_mgr pub;
  void (*libraryEmitMessage)(j_common_ptr, int);
  std::jmp_buf jump;
  bool headerRead;                       // jpeg_read_header has returned
  char firstWarning[JMSG_LENGTH_MAX];    // the first warning's text, or ""
};

// Warnings are kept for the loader's one warning line instead of going to
// standard error. A file that ends early is decoded as the library does it:
// the source supplies an end marker and the missing rows are filled in - but
// only once the headers are complete; a file cut inside them fails.
void emitMessage(j_common_ptr cinfo, int level) {
  JpegErrorManager* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  if (level >= 0) {
    err->libraryEmitMessage(cinfo, level);
    return;
  }
  if (err->pub.msg_code == JWRN_JPEG_EOF && !err->headerRead) (*err->pub.error_exit)(cinfo);
  if (err->pub.num_warnings++ == 0) (*err->pub.format_message)(cinfo, err->firstWarning);
}

// Converts one row of CMYK samples to RGB. Files written by Adobe store the
// inks inverted (0 is full ink).
void cmykToRgb(JSAMPLE const* in, unsigned char* out, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
    unsigned c = in[0], m = in[1], y = in[2], k = in[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    out[0] = static_cast<unsigned char>((c * k + 127) / 255);
    out[1] = static_cast<unsigned char>((m * k + 127) / 255);
    out[2] = static_cast<unsigned char>((y * k + 127) / 255);
  }
}

// The size of a decoded picture and the first warning the library gave ("" for none).
struct JpegResult {
  int width = 0, height = 0;
  bool grey = false;  // the file's one component is grey
  std::string warning;
};

// Decodes from the open file, or from the memory block when file is null, into
// pixels (owned by the caller, so that a jump out of the library leaves it to
// free them). The library may jump back into this function; nothing that
// needs a destructor lives here between setjmp and the end of decoding.
JpegResult decompress(FILE* file, char const* block, unsigned long blockSize, PixelBuffer& pixels) {
  jpeg_decompress_struct cinfo;
  JpegErrorManager jerr;

  cinfo.err = jpeg_std_error(&jerr.pub);
  jerr.pub.error_exit = my_error_exit;
  jerr.libraryEmitMessage = jerr.pub.emit_message;
  jerr.pub.emit_message = emitMessage;
  jerr.headerRead = false;
  jerr.firstWarning[0] = '\0';
  if (setjmp(jerr.jump)) {
    jpeg_destroy_decompress(&cinfo);
    throw Exception() << "jpeg error was hit";
  }
  jpeg_create_decompress(&cinfo);
  if (file) jpeg_stdio_src(&cinfo, file);
  else jpegMemorySource(&cinfo, block, blockSize);
  jpeg_read_header(&cinfo, TRUE);
  jerr.headerRead = true;

  // Always three components out, so that the record matches its buffer: the
  // library converts grey and YCbCr to RGB; CMYK is converted here.
  bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  bool const grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&cinfo);

  JDIMENSION width = cinfo.output_width, height = cinfo.output_height;
  size_t bytes = imageBufferBytes(width, height, 3);
  if (!bytes) {
    jpeg_destroy_decompress(&cinfo);
    throw Exception() << "image is too large: " << width << "x" << height;
  }
  if (!pixels.allocate(bytes)) {
    jpeg_destroy_decompress(&cinfo);
    throw Exception() << " failed to alloc imgdata buffer ";
  }
  size_t rowSize = size_t(width) * 3;
  if (cmyk) {
    bool inverted = cinfo.saw_Adobe_marker;
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                width * cinfo.output_components, 1);
    while (cinfo.output_scanline < height) {
      JDIMENSION line = cinfo.output_scanline;
      if (jpeg_read_scanlines(&cinfo, row, 1) != 1) break;
      cmykToRgb(row[0], pixels.get() + size_t(line) * rowSize, width, inverted);
    }
  } else {
    // RGB rows go straight into the picture, a few at a time, top first.
    JSAMPROW rows[16];
    while (cinfo.output_scanline < height) {
      JDIMENSION line = cinfo.output_scanline;
      JDIMENSION count = height - line < 16 ? height - line : 16;
      for (JDIMENSION i = 0; i < count; ++i) rows[i] = pixels.get() + size_t(line + i) * rowSize;
      if (jpeg_read_scanlines(&cinfo, rows, count) == 0) break;
    }
  }
  // The sources never suspend, so every row arrives (those past the end of a
  // short file filled in by the library); anything less is refused rather
  // than handed out unwritten.
  bool complete = cinfo.output_scanline == height;
  if (complete) jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  if (!complete) throw Exception() << "jpeg error was hit";

  JpegResult result;
  result.width = int(width);
  result.height = int(height);
  result.grey = grey;
  result.warning = jerr.firstWarning;
  return result;
}

// The decoded picture, after the loader's one warning line (prefix names the
// call and the file) when the library had something to say.
Image* finish(JpegResult const& r, PixelBuffer& pixels, std::string const& prefix) {
  if (!r.warning.empty()) std::cout << prefix << " warning: " << r.warning << std::endl;
  return pixels.toImage(r.width, r.height, 24, r.grey).release();
}

}  // namespace

void my_error_exit(jpeg_common_struct* cinfo) {
  (*cinfo->err->output_message)(cinfo);
  std::cout << "jpeg error: " << cinfo->err->msg_code << std::endl;
  std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

Image* ImageLoadJPEG::load(char const* filename, char const* extension) {
  if (!extensionIs(extension, "jpeg") && !extensionIs(extension, "jpg")) return nullptr;
  FILE* f = nullptr;
  try {
    std::string why;
    f = openRegularFile(filename, why);
    if (!f) throw Exception() << why;
    PixelBuffer pixels;
    JpegResult r = decompress(f, nullptr, 0, pixels);
    std::fclose(f);
    f = nullptr;
    return finish(r, pixels, std::string("ImageLoadJPEG::load(") + filename + ")");
  } catch (Exception const& e) {
    std::cout << "ImageLoadJPEG::load(" << filename << ") error: " << e.message() << std::endl;
    noteFailure(e.message());
  }
  if (f) std::fclose(f);
  return nullptr;
}

Image* ImageLoadJPEG::loadFromMemory(char const* data, unsigned long size) {
  try {
    PixelBuffer pixels;
    JpegResult r = decompress(nullptr, data, size, pixels);
    return finish(r, pixels, "ImageLoadJPEG::loadFromMemory()");
  } catch (Exception const& e) {
    std::cout << "ImageLoadJPEG::loadFromMemory() error: " << e.message() << std::endl;
  }
  return nullptr;
}
