// What every decoder fuzz target does with a decoded picture: reads the first
// and last byte of every row the record claims, so that a buffer shorter than
// its record shows up under the address sanitizer, then releases it.
#pragma once

#include <cstddef>

#include "base/image.h"

// Keeps the reads from being optimised away.
inline volatile unsigned fuzzSink;

inline void checkAndRelease(Image* img) {
  if (!img) return;
  unsigned sum = 0;
  size_t const row = img->rowBytes();
  for (int r = 0; r < img->height; ++r)
    sum += img->data[size_t(r) * row] + img->data[size_t(r) * row + row - 1];
  fuzzSink = sum;
  img->unload();
  delete img;
}
