// FlipPicture: an sRGB picture in floats for the image metric: width x height
// pixels of red, green, blue in [0, 1], the top row first.
#pragma once

#include <cstddef>
#include <vector>

// How the rows of a block of pixels are ordered: the top row first (files,
// the metric's pictures and maps) or the bottom row first (glReadPixels).
enum class RowOrder { TopFirst, BottomFirst };

class FlipPicture {
public:
  // The largest picture taken: 2^27 pixels (1.5 GiB of floats).
  static constexpr size_t kMaxPixels = size_t{1} << 27;

  FlipPicture() = default;
  // A black picture. Throws std::invalid_argument for a size that is not
  // positive or is over kMaxPixels.
  FlipPicture(int width, int height);

  // From 8-bit samples, rows tightly packed in `order`: `channels` 1 (grey),
  // 3 (RGB) or 4 (RGBA, alpha ignored). Throws std::invalid_argument for
  // another channel count or a size the constructor refuses.
  static FlipPicture fromBytes(unsigned char const* data, int width, int height, int channels, RowOrder order);
  // What the bench reads back from a frame: RGBA8, the bottom row first.
  static FlipPicture fromRgba8(unsigned char const* rgba, int width, int height) {
    return fromBytes(rgba, width, height, 4, RowOrder::BottomFirst);
  }

  int width() const { return w; }
  int height() const { return h; }
  size_t pixels() const { return static_cast<size_t>(w) * static_cast<size_t>(h); }
  bool sameSize(FlipPicture const& other) const { return w == other.w && h == other.h; }

  // Row y (0 at the top): 3 * width() floats, red, green, blue per pixel.
  float* row(int y) { return rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(w) * 3; }
  float const* row(int y) const { return rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(w) * 3; }
  void set(int x, int y, float r, float g, float b) {
    float* p = row(y) + 3 * static_cast<size_t>(x);
    p[0] = r;
    p[1] = g;
    p[2] = b;
  }

private:
  int w = 0, h = 0;
  std::vector<float> rgb;
};
