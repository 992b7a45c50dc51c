// Fuzz target: the P3 decoder on arbitrary text must refuse or decode, never
// read out of bounds, leak or crash.
#include <cstddef>
#include <cstdint>

#include "base/image.h"
#include "base/imageloadppm.h"

static volatile unsigned sink;

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  Image* img = ImageLoadPPM::decode(reinterpret_cast<char const*>(data), size);
  if (img) {
    // Touch the first and last byte of every row the record claims, so that a
    // buffer shorter than its record shows up under the address sanitizer.
    unsigned sum = 0;
    size_t row = img->rowBytes();
    for (int r = 0; r < img->height; ++r) sum += img->data[size_t(r) * row] + img->data[size_t(r) * row + row - 1];
    sink = sum;
    img->unload();
    delete img;
  }
  return 0;
}
