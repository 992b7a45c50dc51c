// ImageLoadTIFF: TIFF files decoded through libtiff's RGBA interface (".tif",
// ".tiff") to 24-bit RGB (three samples per pixel) or 32-bit RGBA.
#pragma once

#include <string>

#include "base/imageloader.h"

class ImageLoadTIFF : public ImageLoader {
public:
  // Null for another extension; otherwise the decoded picture, or null after a
  // line "ImageLoadTIFF::load(<name>) error: <reason>" on standard output.
  Image* load(char const* filename, char const* extension) override;
  char const* name() const override { return "ImageLoadTIFF"; }
  // A TIFF of 16-bit unsigned samples (grey or RGB, strips, interleaved) as
  // 16-bit grey (see ImageSystem::loadGrey16), read scanline by scanline. Null
  // with an empty `error` when the samples are not 16 bits wide (the 8-bit path
  // reads those); null with the reason when the file cannot be read.
  Image* loadGrey16(char const* filename, std::string& error);
};

extern ImageLoadTIFF imageLoadTIFF;
