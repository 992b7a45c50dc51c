// decodePnmRaster: binary P5 and P6 samples into 8-bit grey or RGB rows.
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
