// ImageLoadPNG: PNG files decoded through libpng (".png") to 24-bit RGB or
// 32-bit RGBA.
#pragma once

#include <string>

#include "base/imageloader.h"

class ImageLoadPNG : public ImageLoader {
public:
  // Null for another extension; otherwise the decoded picture, or null after a
  // line "ImageLoadPNG::load(<name>) error: <reason>" on standard output.
  Image* load(char const* filename, char const* extension) override;
  char const* name() const override { return "ImageLoadPNG"; }
  // Any PNG as 16-bit grey (see ImageSystem::loadGrey16): 16-bit samples kept,
  // fewer bits widened. Null with the reason in `error`, nothing printed.
  Image* loadGrey16(char const* filename, std::string& error);
};

extern ImageLoadPNG imageLoadPNG;
