// ImageLoadBMP: the decoder of uncompressed 24-bit Windows bitmaps (".bmp").
#pragma once

#include <cstddef>

#include "base/imageloader.h"

class ImageLoadBMP : public ImageLoader {
public:
  // Null for another extension; otherwise the decoded picture, or null after a
  // line "ImageLoadBMP failed to load file <name>: <reason>" on standard error.
  Image* load(char const* filename, char const* extension) override;
  char const* name() const override { return "ImageLoadBMP"; }

  // Decodes a whole file held in memory. Throws an Exception with the reason
  // when the bytes are not a bitmap this decoder reads; never reads outside
  // [bytes, bytes + size).
  static Image* decode(unsigned char const* bytes, size_t size);
};

extern ImageLoadBMP imageLoadBMP;
