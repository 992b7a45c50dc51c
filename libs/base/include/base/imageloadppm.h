// ImageLoadPPM: the decoder of portable pixmaps and greymaps, ASCII (P3, P2)
// and binary (P6, P5): ".ppm", ".pgm" or ".pnm".
#pragma once

#include <cstddef>
#include <string>

#include "base/imageloader.h"

// P3 and P6 give 24-bit RGB, P2 and P5 8-bit grey. Binary samples are one
// byte, or two (most significant first) with a maximum value above 255.
// Samples are scaled from 0..maximum value to 0..255 (rounded; above the
// maximum counts as the maximum, negative as 0); with maximum value 255 each
// text sample keeps the low byte of its number. A binary raster the file
// cannot hold in full is refused before anything is allocated. Samples the
// text lacks are zero, and a line "<call> warning: <n> of <total> samples
// missing, set to zero" goes to standard output, <call> being
// "ImageLoadPPM::load(<name>)" or "ImageLoadPPM::decode()".
class ImageLoadPPM : public ImageLoader {
public:
  // Null for another extension; null without a line of its own when the file
  // cannot be read or is not a valid P2, P3, P5 or P6 file (the reason is
  // noted for the image system's message).
  Image* load(char const* filename, char const* extension) override;
  char const* name() const override { return "ImageLoadPPM"; }

  // Decodes a file held in memory; null when the header is invalid or a
  // binary raster is cut short, with the reason in `why`.
  static Image* decode(char const* text, size_t size);
  static Image* decode(char const* text, size_t size, std::string& why);

  // Any of the four forms as 16-bit grey (see ImageSystem::loadGrey16): each
  // sample scaled from 0..maximum value to 0..65535 as the 8-bit form scales
  // to 0..255 (so a 16-bit file keeps its samples and one of maximum value 255
  // is widened by 257), colour files as their luminance. Null with the reason
  // in `error`; only the missing-samples warning is printed.
  static Image* loadGrey16(char const* filename, std::string& error);

private:
  static Image* readFile(char const* filename, std::string& why);
};

extern ImageLoadPPM imageLoadPPM;
