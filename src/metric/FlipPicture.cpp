// FlipPicture: the picture's storage and its making from 8-bit samples.
#include "FlipPicture.h"

#include <stdexcept>

FlipPicture::FlipPicture(int width, int height) {
  if (width <= 0 || height <= 0 || static_cast<size_t>(width) > kMaxPixels / static_cast<size_t>(height))
    throw std::invalid_argument("picture size not positive or too large");
  w = width;
  h = height;
  rgb.assign(pixels() * 3, 0.0f);
}

FlipPicture FlipPicture::fromBytes(unsigned char const* data, int width, int height, int channels, RowOrder order) {
  if (channels != 1 && channels != 3 && channels != 4) throw std::invalid_argument("channels not 1, 3 or 4");
  FlipPicture pic(width, height);
  size_t const rowBytes = static_cast<size_t>(width) * static_cast<size_t>(channels);
  for (int y = 0; y < height; ++y) {
    int const from = order == RowOrder::TopFirst ? y : height - 1 - y;
    unsigned char const* src = data + static_cast<size_t>(from) * rowBytes;
    float* dst = pic.row(y);
    for (size_t x = 0; x < static_cast<size_t>(width); ++x) {
      unsigned char const* s = src + x * static_cast<size_t>(channels);
      for (size_t c = 0; c < 3; ++c) dst[3 * x + c] = static_cast<float>(s[channels == 1 ? 0 : c]) / 255.0f;
    }
  }
  return pic;
}
