// ImageLoadTIFF: TIFF files decoded through libtiff's RGBA interface (".tif",
// ".tiff") to 24-bit RGB (three samples per pixel) or 32-bit RGBA.
#pragma once

#include "base/imageloader.h"

class ImageLoadTIFF : public ImageLoader {
public:
  // Null for another extension; otherwise the decoded picture, or null after a
  // line "ImageLoadTIFF::load(<name>) error: <reason>" on standard output.
  Image* load(char const* filename, char const* extension) override;
  char const* name() const override { return "ImageLoadTIFF"; }
};

extern ImageLoadTIFF imageLoadTIFF;
