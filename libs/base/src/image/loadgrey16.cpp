// ImageSystem::loadGrey16: height maps as 16-bit grey, from the 16-bit decoders
// (PNG, TIFF, the portable any-maps) where the file has 16-bit samples and
// widened from the 8-bit loaders otherwise.
#include <cstdint>
#include <string>

#include "base/image.h"
#include "base/imageloadpng.h"
#include "base/imageloadppm.h"
#include "base/imageloadtiff.h"
#include "base/imagesystem.h"
#include "extension.h"
#include "pixelbuffer.h"

namespace {

// An 8-bit grey, RGB or RGBA picture as 16-bit grey: the luminance as the
// bench's normal-map generator takes it (truncated), times 257, so that a
// widened map holds exactly the heights the generator would put in alpha.
Image* widen(Image const& img, std::string& error) {
  int const channels = img.bitsPerPixel / 8;
  if (img.bitsPerPixel != 8 && img.bitsPerPixel != 24 && img.bitsPerPixel != 32) {
    error = "cannot make heights of a " + std::to_string(img.bitsPerPixel) + "-bit picture";
    return nullptr;
  }
  size_t const bytes = imageBufferBytes(img.width, img.height, 2);
  PixelBuffer pixels;
  if (!bytes || !pixels.allocate(bytes)) {
    error = "no memory for a " + std::to_string(img.width) + "x" + std::to_string(img.height) + " height map";
    return nullptr;
  }
  uint16_t* out = reinterpret_cast<uint16_t*>(pixels.get());
  size_t const n = size_t(img.width) * size_t(img.height);
  for (size_t i = 0; i < n; ++i) {
    unsigned char const* p = img.data + i * size_t(channels);
    int v = p[0];
    if (channels >= 3) v = static_cast<int>((0.3f * float(p[0]) + 0.6f * float(p[1])) + 0.1f * float(p[2]));
    if (v > 255) v = 255;
    out[i] = static_cast<uint16_t>(v * 257);
  }
  return pixels.toImage(img.width, img.height, 16, img.greySource).release();
}

}  // namespace

Image* ImageSystem::loadGrey16(char const* filename, std::string& error) {
  error.clear();
  if (!filename) {
    error = "no file name given";
    return nullptr;
  }
  char const* ext = extensionOf(filename);
  if (extensionIs(ext, "png")) return imageLoadPNG.loadGrey16(filename, error);
  if (extensionIs(ext, "ppm") || extensionIs(ext, "pgm") || extensionIs(ext, "pnm"))
    return ImageLoadPPM::loadGrey16(filename, error);
  if (extensionIs(ext, "tif") || extensionIs(ext, "tiff")) {
    Image* img = imageLoadTIFF.loadGrey16(filename, error);
    if (img || !error.empty()) return img;
  }
  ImagePtr eight(load(filename, error));
  if (!eight) return nullptr;
  return widen(*eight, error);
}
