// Fuzz target: the TGA decoder on arbitrary bytes must refuse or decode, never
// read out of bounds, leak or crash.
#include <cstddef>
#include <cstdint>

#include "base/exception.h"
#include "base/image.h"
#include "base/imageloadtga.h"

static volatile unsigned sink;

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  try {
    Image* img = ImageLoadTGA::decode(data, size);
    if (img) {
      // Touch the first and last byte of every row the record claims, so that
      // a buffer shorter than its record shows up under the address sanitizer.
      unsigned sum = 0;
      size_t row = img->rowBytes();
      for (int r = 0; r < img->height; ++r) sum += img->data[size_t(r) * row] + img->data[size_t(r) * row + row - 1];
      sink = sum;
      img->unload();
      delete img;
    }
  } catch (Exception const&) {
  }
  return 0;
}
