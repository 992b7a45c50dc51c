// ImageLoadTGA: the decoder of uncompressed TGA files (grey, colour-mapped and
// true colour of 24 or 32 bits) (".tga").
#pragma once

#include <cstddef>

#include "base/imageloader.h"

class ImageLoadTGA : public ImageLoader {
public:
  // Null for another extension; otherwise the decoded picture, or null after a
  // line "ImageLoadTGA <name> failed: <reason>" on standard output.
  Image* load(char const* filename, char const* extension) override;
  char const* name() const override { return "ImageLoadTGA"; }

  // Decodes a whole file held in memory. Throws an Exception with the reason
  // when the bytes are not a TGA this decoder reads; never reads outside
  // [bytes, bytes + size).
  static Image* decode(unsigned char const* bytes, size_t size);
};

extern ImageLoadTGA imageLoadTGA;
