// decodePnmRaster: binary P5 and P6 samples into 8-bit grey or RGB rows.
#include "ppmbinary.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "pixelbuffer.h"

Image* decodePnmRaster(unsigned char const* raster, size_t available, int width, int height, int maxValue,
                       int channels) {
  if (maxValue < 1 || maxValue > 65535 || (channels != 1 && channels != 3)) return nullptr;
  size_t const total = imageBufferBytes(width, height, channels);
  if (!total) return nullptr;
  // total is at most kMaxImageBytes, so twice it cannot overflow.
  size_t const sampleBytes = maxValue > 255 ? 2 : 1;
  if (available / sampleBytes < total) return nullptr;
  PixelBuffer pixels;
  if (!pixels.allocate(total)) return nullptr;
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
  return pixels.toImage(width, height, 8 * channels).release();
}
