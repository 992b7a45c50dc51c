// ImageLoadPPM: the decoder of ASCII portable pixmaps (P3, ".ppm").
#pragma once

#include <cstddef>

#include "base/imageloader.h"

class ImageLoadPPM : public ImageLoader {
public:
  // Null for another extension, and silently null when the file cannot be
  // read or is not a valid P3 pixmap.
  Image* load(char const* filename, char const* extension) override;
  char const* name() const override { return "ImageLoadPPM"; }

  // Decodes P3 text held in memory; null when the header is invalid. Pixels
  // for which the text holds no sample are zero.
  static Image* decode(char const* text, size_t size);
};

extern ImageLoadPPM imageLoadPPM;
