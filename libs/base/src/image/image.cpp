// Image: construction, release, copies, vertical flip and resampling of the
// plain picture record.
#include "base/image.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr size_t kMaxBytes = size_t(1) << 32;

}  // namespace

Image::Image() { reset(); }

Image::Image(_vec<2, int> const& size, int bpp) {
  reset();
  width = size[0];
  height = size[1];
  bitsPerPixel = bpp;
  // Sizes beyond any real picture are not attempted (they can only be
  // arithmetic gone wrong); the record then has no buffer.
  size_t bytes = dataBytes();
  if (bytes && bytes <= kMaxBytes) data = static_cast<unsigned char*>(std::calloc(bytes, 1));
}

void Image::reset() {
  width = 0;
  height = 0;
  bitsPerPixel = 0;
  data = nullptr;
  greySource = false;
}

void Image::unload() {
  std::free(data);
  reset();
}

size_t Image::rowBytes() const {
  if (width <= 0 || bitsPerPixel <= 0) return 0;
  uint64_t bits = uint64_t(width) * uint64_t(bitsPerPixel);
  return static_cast<size_t>((bits >> 3) + ((bits & 7) ? 1 : 0));
}

size_t Image::dataBytes() const {
  if (height <= 0) return 0;
  uint64_t row = rowBytes();
  if (row && uint64_t(height) > SIZE_MAX / row) return 0;
  return static_cast<size_t>(row * uint64_t(height));
}

Image* Image::clone() const {
  ImagePtr img(new Image);
  img->width = width;
  img->height = height;
  img->bitsPerPixel = bitsPerPixel;
  img->greySource = greySource;
  size_t bytes = dataBytes();
  if (data && bytes) {
    img->data = static_cast<unsigned char*>(std::malloc(bytes));
    if (!img->data) throw std::bad_alloc();
    std::memcpy(img->data, data, bytes);
  }
  return img.release();
}

Image* Image::flip() const {
  ASSERT(data);
  size_t row = rowBytes();
  size_t bytes = dataBytes();
  ImagePtr img(new Image);
  img->width = width;
  img->height = height;
  img->bitsPerPixel = bitsPerPixel;
  img->greySource = greySource;
  img->data = static_cast<unsigned char*>(std::malloc(bytes ? bytes : 1));
  if (!img->data) throw std::bad_alloc();
  for (int r = 0; r < height; ++r)
    std::memcpy(img->data + size_t(r) * row, data + size_t(height - 1 - r) * row, row);
  return img.release();
}

Image* Image::resample(_vec<2, int> const& size) const {
  ASSERT(!(bitsPerPixel&7));
  Image* img = new Image(size, 24);
  img->greySource = greySource;
  int const W = size[0], H = size[1];
  if (!img->data) return img;  // nothing to sample into (a degenerate size)
  unsigned char* out = img->data;
  for (int y = 0; y < H; ++y) {
    // A target of one row or column has no spacing: it takes the first one.
    double v = H > 1 ? double(y) / double(H - 1) : 0.0;
    int sy = static_cast<int>(v * double(height - 1));
    for (int x = 0; x < W; ++x) {
      double u = W > 1 ? double(x) / double(W - 1) : 0.0;
      int sx = static_cast<int>(u * double(width - 1));
      unsigned char const* p = pixel24(_vec<2, int>(sx, sy), false);
      out[0] = p[0];
      out[1] = p[1];
      out[2] = p[2];
      out += 3;
    }
  }
  return img;
}
