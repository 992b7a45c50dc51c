// decodePnmRaster: binary P5 and P6 samples into 8-bit grey or RGB rows, or
// into 16-bit samples for height maps.
#include "ppmbinary.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "pixelbuffer.h"
#include "ppmheader.h"

std::string pnmRasterShortfall(size_t available, size_t needed) {
  if (available >= needed) return "";
  return "the raster is cut short: the file holds " + std::to_string(available) + " of its " +
         std::to_string(needed) + " bytes";
}

Image* decodePnmRaster(unsigned char const* raster, size_t available, int width, int height, int maxValue,
                       int channels, std::string& why) {
  if (maxValue < 1 || maxValue > 65535 || (channels != 1 && channels != 3)) {
    why = "its maximum value " + std::to_string(maxValue) + " is outside 1 to 65535";
    return nullptr;
  }
  size_t const total = imageBufferBytes(width, height, channels);
  if (!total) {
    why = ppmSizeProblem(width, height, channels);
    return nullptr;
  }
  // total is at most kMaxImageBytes, so twice it cannot overflow.
  size_t const sampleBytes = maxValue > 255 ? 2 : 1;
  if (!(why = pnmRasterShortfall(available, total * sampleBytes)).empty()) return nullptr;
  PixelBuffer pixels;
  if (!pixels.allocate(total)) {
    why = "no memory for its " + std::to_string(total) + " bytes";
    return nullptr;
  }
  unsigned char* out = pixels.get();
  if (maxValue == 255) {
    std::memcpy(out, raster, total);
  } else {
    std::vector<unsigned char> scale(size_t(maxValue) + 1);
    unsigned const m = unsigned(maxValue);
    for (unsigned s = 0; s <= m; ++s) scale[s] = static_cast<unsigned char>((s * 255u + m / 2) / m);
    for (size_t i = 0; i < total; ++i) {
      unsigned s = sampleBytes == 2 ? unsigned(raster[2 * i]) << 8 | raster[2 * i + 1] : raster[i];
      out[i] = scale[s > m ? m : s];
    }
  }
  return pixels.toImage(width, height, 8 * channels, channels == 1).release();
}

bool decodePnmRaster16(unsigned char const* raster, size_t available, int width, int height, int maxValue,
                       int channels, std::vector<uint16_t>& out, std::string& why) {
  size_t const total = imageBufferBytes(width, height, 2 * channels) / 2;
  if (!total) {
    why = ppmSizeProblem(width, height, 2 * channels);
    return false;
  }
  size_t const sampleBytes = maxValue > 255 ? 2 : 1;
  if (!(why = pnmRasterShortfall(available, total * sampleBytes)).empty()) return false;
  out.resize(total);
  uint64_t const m = uint64_t(maxValue);
  for (size_t i = 0; i < total; ++i) {
    uint64_t s = sampleBytes == 2 ? uint64_t(raster[2 * i]) << 8 | raster[2 * i + 1] : raster[i];
    out[i] = static_cast<uint16_t>(((s > m ? m : s) * 65535u + m / 2) / m);
  }
  return true;
}
