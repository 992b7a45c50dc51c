// ImageLoadPNG: PNG files decoded through libpng into 24-bit RGB or 32-bit RGBA
// rows (palette, grey, 16-bit, packed and interlaced files included), or into
// 16-bit grey for height maps.
#include "base/imageloadpng.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include <png.h>

#include "base/exception.h"
#include "base/image.h"
#include "base/regularfile.h"
#include "extension.h"
#include "pixelbuffer.h"

ImageLoadPNG imageLoadPNG;

namespace {

// The library's own allocations (row buffers, chunk data) are capped: an
// ancillary chunk may claim gigabytes, which the library would otherwise
// allocate and clear before finding the file short. Refused chunks are skipped
// with a warning. The picture itself is allocated here, not by the library.
constexpr png_alloc_size_t kMaxLibraryAlloc = png_alloc_size_t(64) << 20;

png_voidp cappedMalloc(png_structp, png_alloc_size_t size) {
  return size > kMaxLibraryAlloc ? nullptr : std::malloc(size);
}

void libraryFree(png_structp, png_voidp p) { std::free(p); }

// The size and depth of a decoded picture.
struct PngShape {
  png_uint_32 width = 0, height = 0;
  int channels = 0;
  bool grey = false;  // the file's colour type is grey or grey + alpha
};

// The library's own reason for giving up, kept for the caller's message
// instead of printed (the 16-bit path reports it to its caller).
struct PngErrorText {
  char text[160] = {0};
};

void keepError(png_structp png, png_const_charp message) {
  PngErrorText* kept = static_cast<PngErrorText*>(png_get_error_ptr(png));
  std::snprintf(kept->text, sizeof kept->text, "%s", message ? message : "");
  png_longjmp(png, 1);
}

bool hostLittleEndian() {
  uint16_t const probe = 1;
  unsigned char first = 0;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}

// Decodes the open file into pixels (owned by the caller, so that a jump out
// of the library leaves it to free them): 8-bit RGB or RGBA, or with `wide`
// 16-bit grey or RGB samples in the machine's byte order. libpng may jump back into this
// function, so nothing that needs a destructor lives here; the library's
// structures and the row table are released by hand on every path.
PngShape decodePng(FILE* file, PixelBuffer& pixels, bool wide, PngErrorText* kept = nullptr) {
  png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, kept, kept ? keepError : nullptr, nullptr,
                                             nullptr, cappedMalloc, libraryFree);
  if (!png) throw Exception() << "failed to alloc png_ptr";
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    throw Exception() << "failed to create info struct";
  }
  png_infop endInfo = png_create_info_struct(png);
  if (!endInfo) {
    png_destroy_read_struct(&png, &info, nullptr);
    throw Exception() << "failed to create end info struct";
  }

  png_bytep* volatile rows = nullptr;
  // Why the decode stopped, when it was not the library jumping back.
  char const* volatile failure = nullptr;
  volatile bool tooLarge = false;
  png_uint_32 width = 0, height = 0;
  int channels = 0;

  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, &endInfo);
    std::free(rows);
    if (kept && kept->text[0]) throw Exception() << "not a readable PNG (" << kept->text << ")";
    throw Exception() << "png_jmpbuf was hit";
  }

  png_init_io(png, file);
  png_set_read_status_fn(png, nullptr);
  png_read_info(png, info);

  int bitDepth = 0, colourType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);

  if (wide) {
    // Every file comes out as 16-bit grey or RGB, alpha dropped: also the
    // alpha that expanding a transparency chunk (tRNS) adds, which both the
    // palette expansion and the widening to 16 bits do.
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if ((colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS)) png_set_strip_alpha(png);
    if (bitDepth < 16) png_set_expand_16(png);
    if (hostLittleEndian()) png_set_swap(png);
  } else {
    // Every file comes out as 8-bit RGB or RGBA.
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_strip_16(png);
    if (bitDepth < 8) png_set_packing(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  channels = png_get_channels(png, info);
  size_t const sampleBytes = wide ? 2 : 1;
  size_t rowSize = png_get_rowbytes(png, info);
  size_t bytes = imageBufferBytes(width, height, int64_t(channels) * int64_t(sampleBytes));
  bool const layoutOk = wide ? (channels == 1 || channels == 3) : (channels == 3 || channels == 4);
  if (!bytes) {
    tooLarge = true;
    failure = "image is too large: ";
  }
  else if (!layoutOk || rowSize != size_t(width) * size_t(channels) * sampleBytes)
    failure = "unexpected row layout after the transformations";
  else {
    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!pixels.allocate(bytes) || !rows) failure = " failed to alloc imgdata buffer ";
  }
  if (!failure) {
    // All passes of an interlaced file are combined in the picture's own rows.
    for (png_uint_32 r = 0; r < height; ++r) rows[r] = pixels.get() + size_t(r) * rowSize;
    png_read_image(png, rows);
    png_free_data(png, info, PNG_FREE_UNKN, -1);
    png_read_end(png, endInfo);
  }

  png_destroy_read_struct(&png, &info, &endInfo);
  std::free(rows);
  if (failure) {
    if (tooLarge) throw Exception() << failure << width << "x" << height;
    throw Exception() << failure;
  }
  PngShape shape;
  shape.width = width;
  shape.height = height;
  shape.channels = channels;
  shape.grey = !(colourType & PNG_COLOR_MASK_COLOR);
  return shape;
}

}  // namespace

Image* ImageLoadPNG::load(char const* filename, char const* extension) {
  if (!extensionIs(extension, "png")) return nullptr;
  FILE* f = nullptr;
  try {
    std::string why;
    f = openRegularFile(filename, why);
    if (!f) throw Exception() << why;
    PixelBuffer pixels;
    PngShape shape = decodePng(f, pixels, false);
    std::fclose(f);
    return pixels.toImage(int(shape.width), int(shape.height), shape.channels * 8, shape.grey).release();
  } catch (Exception const& e) {
    std::cout << "ImageLoadPNG::load(" << filename << ") error: " << e.message() << std::endl;
    noteFailure(e.message());
  }
  if (f) std::fclose(f);
  return nullptr;
}

Image* ImageLoadPNG::loadGrey16(char const* filename, std::string& error) {
  FILE* f = nullptr;
  try {
    f = openRegularFile(filename, error);
    if (!f) throw Exception() << error;
    PixelBuffer pixels;
    PngErrorText kept;
    PngShape shape = decodePng(f, pixels, true, &kept);
    std::fclose(f);
    f = nullptr;
    if (shape.channels == 3) {
      // RGB to its luminance, front to back in place (the output never
      // overtakes the input).
      uint16_t* samples = reinterpret_cast<uint16_t*>(pixels.get());
      size_t const n = size_t(shape.width) * size_t(shape.height);
      for (size_t i = 0; i < n; ++i) {
        float const lum = (0.3f * float(samples[3 * i]) + 0.6f * float(samples[3 * i + 1])) +
                          0.1f * float(samples[3 * i + 2]);
        samples[i] = static_cast<uint16_t>(lum >= 65535.0f ? 65535 : static_cast<int>(lum));
      }
    }
    return pixels.toImage(int(shape.width), int(shape.height), 16, shape.grey).release();
  } catch (Exception const& e) {
    error = e.message();
  }
  if (f) std::fclose(f);
  return nullptr;
}
