// ImageLoadPPM: the decoder of ASCII portable pixmaps (P3, ".ppm").
#pragma once

#include <cstddef>

#include "base/imageloader.h"

// Samples are scaled from 0..maximum value to 0..255 (rounded; above the
// maximum counts as the maximum, negative as 0); with maximum value 255 each
// sample keeps the low byte of its number. Samples the text lacks are zero,
// and a line "<call> warning: <n> of <total> samples missing, set to zero"
// goes to standard output, <call> being "ImageLoadPPM::load(<name>)" or
// "ImageLoadPPM::decode()".
class ImageLoadPPM : public ImageLoader {
public:
  // Null for another extension, and silently null when the file cannot be
  // read or is not a valid P3 pixmap.
  Image* load(char const* filename, char const* extension) override;
  char const* name() const override { return "ImageLoadPPM"; }

  // Decodes P3 text held in memory; null when the header is invalid.
  static Image* decode(char const* text, size_t size);
};

extern ImageLoadPPM imageLoadPPM;
