// ImageLoadTIFF: TIFF files decoded through libtiff's RGBA interface into
// 24-bit RGB (three samples per pixel) or 32-bit RGBA rows.
#include "base/imageloadtiff.h"

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>

#include <tiffio.h>
#include <unistd.h>

#include "base/exception.h"
#include "base/image.h"
#include "base/regularfile.h"
#include "extension.h"
#include "pixelbuffer.h"

ImageLoadTIFF imageLoadTIFF;

namespace {

struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};

}  // namespace

Image* ImageLoadTIFF::load(char const* filename, char const* extension) {
  if (!extensionIs(extension, "tif") && !extensionIs(extension, "tiff")) return nullptr;
  try {
    std::string why;
    int fd = openRegularFileFd(filename, why);
    if (fd < 0) throw Exception() << why;
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFFdOpen(fd, filename, "r"));
    if (!tif) {
      close(fd);  // libtiff closes the descriptor only with the TIFF it opened
      throw Exception() << " couldn't open file " << filename;
    }

    uint32_t width = 0, height = 0;
    uint16_t samplesPerPixel = 0;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);

    size_t bytes = imageBufferBytes(width, height, 4);
    if (!bytes) throw Exception() << "bad image size: " << width << "x" << height;
    PixelBuffer raster;
    if (!raster.allocate(bytes)) throw Exception() << " failed to alloc imgdata buffer ";

    // Stop at the first error: a strip that cannot be decoded fails the file
    // instead of leaving garbage in the picture.
    uint32_t* words = reinterpret_cast<uint32_t*>(raster.get());
    if (!TIFFReadRGBAImageOriented(tif.get(), width, height, words, ORIENTATION_TOPLEFT, 1))
      throw Exception() << " failed to read the image into a RGBA format";

    // Each raster word packs red, green, blue, alpha; spread them into bytes in
    // that order, dropping alpha for three-sample files. Writing never
    // overtakes reading, so this works in place, front to back.
    bool rgb = samplesPerPixel == 3;
    size_t pixelCount = size_t(width) * size_t(height);
    unsigned char* out = raster.get();
    for (size_t i = 0; i < pixelCount; ++i) {
      uint32_t w = words[i];
      out[0] = static_cast<unsigned char>(TIFFGetR(w));
      out[1] = static_cast<unsigned char>(TIFFGetG(w));
      out[2] = static_cast<unsigned char>(TIFFGetB(w));
      if (!rgb) out[3] = static_cast<unsigned char>(TIFFGetA(w));
      out += rgb ? 3 : 4;
    }

    return raster.toImage(int(width), int(height), rgb ? 24 : 32).release();
  } catch (Exception const& e) {
    std::cout << "ImageLoadTIFF::load(" << filename << ") error: " << e.message() << std::endl;
  }
  return nullptr;
}
