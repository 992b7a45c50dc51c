// ImageLoadTIFF: TIFF files decoded through libtiff's RGBA interface into
// 24-bit RGB (three samples per pixel) or 32-bit RGBA rows; 16-bit ones also
// scanline by scanline into 16-bit grey for height maps.
#include "base/imageloadtiff.h"

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <vector>

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
    uint16_t samplesPerPixel = 0, photometric = PHOTOMETRIC_MINISBLACK;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
    bool const grey = photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;

    size_t bytes = imageBufferBytes(width, height, 4);
    if (!bytes) throw Exception() << "bad image size: " << width << "x" << height;
    // What the RGBA interface cannot convert is named before anything is read.
    uint16_t bits = 0, format = SAMPLEFORMAT_UINT;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLEFORMAT, &format);
    if (format == SAMPLEFORMAT_IEEEFP)
      throw Exception() << bits << "-bit floating-point samples, which are not read (integer samples only)";
    char unfit[1024] = "";
    if (!TIFFRGBAImageOK(tif.get(), unfit)) throw Exception() << "cannot convert it to RGBA: " << unfit;
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

    return raster.toImage(int(width), int(height), rgb ? 24 : 32, grey).release();
  } catch (Exception const& e) {
    std::cout << "ImageLoadTIFF::load(" << filename << ") error: " << e.message() << std::endl;
    noteFailure(e.message());
  }
  return nullptr;
}

Image* ImageLoadTIFF::loadGrey16(char const* filename, std::string& error) {
  error.clear();
  try {
    int fd = openRegularFileFd(filename, error);
    if (fd < 0) throw Exception() << error;
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFFdOpen(fd, filename, "r"));
    if (!tif) {
      close(fd);
      throw Exception() << "libtiff cannot open the file";
    }
    uint32_t width = 0, height = 0;
    uint16_t bits = 0, samples = 1, format = SAMPLEFORMAT_UINT, planar = PLANARCONFIG_CONTIG, photometric = 0;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    if (bits != 16) return nullptr;  // the 8-bit path reads it
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PLANARCONFIG, &planar);
    if (!TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric)) photometric = PHOTOMETRIC_MINISBLACK;
    bool const grey = photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
    if (!grey && photometric != PHOTOMETRIC_RGB)
      throw Exception() << "16-bit TIFF of photometric interpretation " << photometric << " (grey or RGB only)";
    if (format != SAMPLEFORMAT_UINT) throw Exception() << "16-bit TIFF samples are not unsigned integers";
    if (samples < (grey ? 1 : 3)) throw Exception() << "16-bit TIFF with " << samples << " samples per pixel";
    if (TIFFIsTiled(tif.get()) || (samples > 1 && planar != PLANARCONFIG_CONTIG))
      throw Exception() << "16-bit TIFF in tiles or planes (strips of interleaved samples only)";

    size_t const bytes = imageBufferBytes(width, height, 2);
    if (!bytes) throw Exception() << "bad image size: " << width << "x" << height;
    // One row of every sample; its size is checked against the library's own
    // before a row is read into it.
    size_t const rowSamples = size_t(width) * size_t(samples);
    if (rowSamples / samples != width || rowSamples > kMaxImageBytes / 2)
      throw Exception() << "rows too long: " << width << " x " << samples << " samples";
    if (uint64_t(TIFFScanlineSize64(tif.get())) != uint64_t(rowSamples) * 2)
      throw Exception() << "unexpected scanline size";
    std::vector<uint16_t> row(rowSamples);
    PixelBuffer pixels;
    if (!pixels.allocate(bytes)) throw Exception() << " failed to alloc imgdata buffer ";
    uint16_t* out = reinterpret_cast<uint16_t*>(pixels.get());
    for (uint32_t y = 0; y < height; ++y) {
      if (TIFFReadScanline(tif.get(), row.data(), y, 0) < 0) throw Exception() << "cannot read row " << y;
      for (uint32_t x = 0; x < width; ++x) {
        uint16_t const* p = &row[size_t(x) * samples];
        uint16_t v = p[0];
        if (!grey) {
          float const lum = (0.3f * float(p[0]) + 0.6f * float(p[1])) + 0.1f * float(p[2]);
          v = static_cast<uint16_t>(lum >= 65535.0f ? 65535 : static_cast<int>(lum));
        } else if (photometric == PHOTOMETRIC_MINISWHITE) {
          v = static_cast<uint16_t>(65535 - v);
        }
        *out++ = v;
      }
    }
    return pixels.toImage(int(width), int(height), 16, grey).release();
  } catch (Exception const& e) {
    error = e.message();
    if (error.empty()) error = "cannot read the file";
  }
  return nullptr;
}
