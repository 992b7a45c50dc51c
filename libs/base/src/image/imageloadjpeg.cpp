// ImageLoadJPEG: JPEG files and memory blocks decoded through libjpeg into
// 24-bit RGB rows (grey and CMYK pictures are converted to RGB).
#include "base/imageloadjpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>

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

// The library's error manager extended by the place to jump back to.
struct JpegErrorManager {
  jpeg_error_mgr pub;
  void (*libraryEmitMessage)(j_common_ptr, int);
  std::jmp_buf jump;
};

// Warnings pass through the library's own reporting, except running out of
// data: a truncated file is a failure, not a picture padded with grey.
void emitMessage(j_common_ptr cinfo, int level) {
  JpegErrorManager* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  if (level < 0 && err->pub.msg_code == JWRN_JPEG_EOF) (*err->pub.error_exit)(cinfo);
  err->libraryEmitMessage(cinfo, level);
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

// Decodes from the open file, or from the memory block when file is null.
// The library may jump back into this function; nothing that needs a
// destructor lives here between setjmp and the end of decoding.
Image* decompress(FILE* file, char const* block, unsigned long blockSize) {
  jpeg_decompress_struct cinfo;
  JpegErrorManager jerr;
  unsigned char* volatile pixels = nullptr;

  cinfo.err = jpeg_std_error(&jerr.pub);
  jerr.pub.error_exit = my_error_exit;
  jerr.libraryEmitMessage = jerr.pub.emit_message;
  jerr.pub.emit_message = emitMessage;
  if (setjmp(jerr.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::free(pixels);
    throw Exception() << "jpeg error was hit";
  }
  jpeg_create_decompress(&cinfo);
  if (file) jpeg_stdio_src(&cinfo, file);
  else jpegMemorySource(&cinfo, block, blockSize);
  jpeg_read_header(&cinfo, TRUE);

  // Always three components out, so that the record matches its buffer: the
  // library converts grey and YCbCr to RGB; CMYK is converted here.
  bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&cinfo);

  JDIMENSION width = cinfo.output_width, height = cinfo.output_height;
  size_t bytes = imageBufferBytes(width, height, 3);
  if (!bytes) {
    jpeg_destroy_decompress(&cinfo);
    throw Exception() << "image is too large: " << width << "x" << height;
  }
  pixels = static_cast<unsigned char*>(std::malloc(bytes));
  if (pixels) preferLargePages(pixels, bytes);
  if (!pixels) {
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
      cmykToRgb(row[0], pixels + size_t(line) * rowSize, width, inverted);
    }
  } else {
    // RGB rows go straight into the picture, a few at a time, top first.
    JSAMPROW rows[16];
    while (cinfo.output_scanline < height) {
      JDIMENSION line = cinfo.output_scanline;
      JDIMENSION count = height - line < 16 ? height - line : 16;
      for (JDIMENSION i = 0; i < count; ++i) rows[i] = pixels + size_t(line + i) * rowSize;
      if (jpeg_read_scanlines(&cinfo, rows, count) == 0) break;
    }
  }
  bool complete = cinfo.output_scanline == height;
  if (complete) jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  if (!complete) {
    std::free(pixels);
    throw Exception() << "jpeg error was hit";
  }

  Image* img = new (std::nothrow) Image;
  if (!img) {
    std::free(pixels);
    throw Exception() << "failed to create the Image struct";
  }
  img->width = int(width);
  img->height = int(height);
  img->bitsPerPixel = 24;
  img->data = pixels;
  return img;
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
    Image* img = decompress(f, nullptr, 0);
    std::fclose(f);
    return img;
  } catch (Exception const& e) {
    std::cout << "ImageLoadJPEG::load(" << filename << ") error: " << e.message() << std::endl;
  }
  if (f) std::fclose(f);
  return nullptr;
}

Image* ImageLoadJPEG::loadFromMemory(char const* data, unsigned long size) {
  try {
    return decompress(nullptr, data, size);
  } catch (Exception const& e) {
    std::cout << "ImageLoadJPEG::loadFromMemory() error: " << e.message() << std::endl;
  }
  return nullptr;
}
