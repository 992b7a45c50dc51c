// ImageLoadPPM: the decoder of portable pixmaps, ASCII (P3) and binary (P6),
// and of binary greymaps (P5): ".ppm", ".pgm" or ".pnm".
#pragma once

#include <cstddef>

#include "base/imageloader.h"

// P3 and P6 give 24-bit RGB, P5 8-bit grey. Binary samples are one byte, or
// two (most significant first) with a maximum value above 255. Samples are
// scaled from 0..maximum value to 0..255 (rounded; above the maximum counts
// as the maximum, negative as 0); with maximum value 255 each text sample
// keeps the low byte of its number. A binary raster the file cannot hold in
// full is refused before anything is allocated. Samples the text lacks are zero,
// and a line "<call> warning: <n> of <total> samples missing, set to zero"
// goes to standard output, <call> being "ImageLoadPPM::load(<name>)" or
// "ImageLoadPPM::decode()".
class ImageLoadPPM : public ImageLoader {
public:
  // Null for another extension, and silently null when the file cannot be
  // read or is not a valid P3, P5 or P6 file.
  Image* load(char const* filename, char const* extension) override;
  char const* name() const override { return "ImageLoadPPM"; }

  // Decodes a P3, P5 or P6 file held in memory; null when the header is
  // invalid or a binary raster is cut short.
  static Image* decode(char const* text, size_t size);
};

extern ImageLoadPPM imageLoadPPM;
