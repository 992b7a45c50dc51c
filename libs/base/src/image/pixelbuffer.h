// PixelBuffer: the decoders' guarded pixel allocation (size arithmetic checked
// against overflow and absurd sizes) and its owner until an Image takes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <sys/mman.h>

#include "base/image.h"

// Largest picture any decoder will allocate: 32768 pixels a side and 256 MiB in
// all. Larger files are refused before anything is allocated.
constexpr int64_t kMaxImageSide = 32768;
constexpr uint64_t kMaxImageBytes = uint64_t(256) << 20;

// Bytes for width x height pixels of bytesPerPixel bytes, or 0 when a side is
// not positive, too large, or the total exceeds the limit.
inline size_t imageBufferBytes(int64_t width, int64_t height, int64_t bytesPerPixel) {
  if (width <= 0 || height <= 0 || bytesPerPixel <= 0) return 0;
  if (width > kMaxImageSide || height > kMaxImageSide || bytesPerPixel > 16) return 0;
  uint64_t bytes = uint64_t(width) * uint64_t(height) * uint64_t(bytesPerPixel);
  if (bytes > kMaxImageBytes) return 0;
  return static_cast<size_t>(bytes);
}

// Large pictures are written once from front to back into fresh memory,
// where taking a fault for every small page costs more than the decoding
// itself; large buffers ask for large pages. Only a hint: where the system
// does not offer them, the pages fault in as usual. (The advice may cover the
// allocator's own header page; it changes no contents.)
inline void preferLargePages(void* p, size_t bytes) {
#if defined(MADV_HUGEPAGE)
  constexpr uintptr_t kPage = 4096;
  if (bytes < (size_t(4) << 20)) return;
  uintptr_t begin = reinterpret_cast<uintptr_t>(p) & ~(kPage - 1);
  uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(kPage - 1);
  madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)p;
  (void)bytes;
#endif
}

// Owns a malloc'd pixel buffer until toImage() hands it to an Image.
class PixelBuffer {
public:
  PixelBuffer() = default;
  ~PixelBuffer() { std::free(ptr); }
  PixelBuffer(PixelBuffer const&) = delete;
  PixelBuffer& operator=(PixelBuffer const&) = delete;

  // Allocates (zero-filled when asked); false when memory cannot be had.
  bool allocate(size_t bytes, bool zero = false) {
    std::free(ptr);
    ptr = static_cast<unsigned char*>(zero ? std::calloc(bytes ? bytes : 1, 1)
                                           : std::malloc(bytes ? bytes : 1));
    if (ptr) preferLargePages(ptr, bytes);
    return ptr != nullptr;
  }
  unsigned char* get() const { return ptr; }

  // The decoded picture: a new Image of the given size and depth that takes
  // the buffer over; `greySource` says whether the file stored grey samples.
  // The record is made first, so the buffer always has an owner (and is freed
  // here when the record cannot be had).
  ImagePtr toImage(int width, int height, int bitsPerPixel, bool greySource) {
    ImagePtr img(new Image);
    img->width = width;
    img->height = height;
    img->bitsPerPixel = bitsPerPixel;
    img->greySource = greySource;
    img->data = ptr;
    ptr = nullptr;
    return img;
  }

private:
  unsigned char* ptr = nullptr;
};
