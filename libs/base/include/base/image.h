// Image: the plain in-memory picture (width, height, depth and owned pixel rows,
// row 0 at the top, channels red, green, blue, then alpha; or one 16-bit grey sample).
#pragma once

#include <cstddef>
#include <memory>

#include "math/assert.h"
#include "math/vec.h"

// A plain record with no destructor: whoever receives one from a loader, clone,
// flip or resample owns it, and releases it with unload() and delete - most
// simply by holding it in an ImagePtr (below). The buffer is allocated
// with malloc and released with free; rows follow each other with no gap and
// hold ceil(width * bitsPerPixel / 8) bytes each.
//
// Depths of 8, 24 and 32 bits hold 8-bit channels (grey, RGB, RGBA). A depth
// of 16 is the 16-bit grey form: one uint16_t per pixel in the machine's byte
// order (0 black, 65535 white). Only ImageSystem::loadGrey16 makes it; the
// file loaders never do.
class Image {
public:
  Image();
  // A zero-filled picture of the given size and depth. A non-positive size, or
  // one too large to allocate, leaves data null.
  Image(_vec<2, int> const& size, int bitsPerPixel);

  // All fields to zero; the buffer is not freed.
  void reset();
  // Frees the buffer (if any), then all fields to zero.
  void unload();

  // Bytes in one row: (width * bitsPerPixel) >> 3, plus one for a partial byte.
  size_t rowBytes() const;
  // Bytes in the whole buffer (rowBytes() * height); 0 for a degenerate size.
  size_t dataBytes() const;

  // A new record with the same size and depth and a copy of the buffer.
  Image* clone() const;
  // A new record whose row r is this image's row height - 1 - r.
  Image* flip() const;
  // A new 24-bit image of the given size, nearest sample with truncation.
  Image* resample(_vec<2, int> const& size) const;

  // Address of the pixel at column pos[0], row pos[1]. With wrap, coordinates
  // wrap around (-1 is the last column); without, they are clamped.
  unsigned char* pixel24(_vec<2, int> pos, bool wrap) const {
    ASSERT(data);
    ASSERT(bitsPerPixel >= 24);
    ASSERT(width > 0 && height > 0);
    int x = pos[0], y = pos[1];
    if (wrap) {
      x %= width;
      if (x < 0) x += width;
      y %= height;
      if (y < 0) y += height;
    } else {
      x = x < 0 ? 0 : (x >= width ? width - 1 : x);
      y = y < 0 ? 0 : (y >= height ? height - 1 : y);
    }
    return data + static_cast<size_t>(bitsPerPixel >> 3) *
                      (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x));
  }

  int width;
  int height;
  int bitsPerPixel;
  unsigned char* data;
  // True when the file itself stores grey samples (with or without alpha),
  // whatever depth its loader gave the picture: a grey PNG comes out as RGB,
  // but it holds no colour. Set by every loader (and by loadGrey16) from the
  // file's own colour type; false for images built by hand. Copies, flips and
  // resamples keep it.
  bool greySource;
};

// Releases a record and its buffer: unload(), then delete. Null is ignored.
struct ImageDeleter {
  void operator()(Image* img) const {
    if (img) img->unload();
    delete img;
  }
};

// The owning pointer to an Image.
using ImagePtr = std::unique_ptr<Image, ImageDeleter>;
