// MapFixes: green flips, height inversions and v flips, texel by texel.
#include "MapFixes.h"

#include <utility>
#include <vector>

namespace MapFixes {

void flipGreen(unsigned char* pixels, size_t texels, int channels) {
  size_t const step = static_cast<size_t>(channels);
  for (size_t i = 0; i < texels; ++i) pixels[i * step + 1] = static_cast<unsigned char>(255 - pixels[i * step + 1]);
}

void invertHeights(unsigned short* samples, size_t count) {
  for (size_t i = 0; i < count; ++i) samples[i] = static_cast<unsigned short>(65535 - samples[i]);
}

HeightField invertHeights(HeightField const& heights) {
  size_t const n = static_cast<size_t>(heights.width()) * static_cast<size_t>(heights.height());
  std::vector<float> inverted(heights.texels(), heights.texels() + n);
  for (float& h : inverted) h = 1.0f - h;
  return HeightField(heights.width(), heights.height(), std::move(inverted));
}

void flipV(float* uv, size_t count, size_t stride) {
  for (size_t i = 0; i < count; ++i) uv[i * stride + 1] = 1.0f - uv[i * stride + 1];
}

}  // namespace MapFixes
