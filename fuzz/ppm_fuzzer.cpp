// Fuzz target: the PPM decoder (P3, P5, P6) on arbitrary bytes must refuse or
// decode, never read out of bounds, leak or crash.
#include <cstddef>
#include <cstdint>

#include "base/imageloadppm.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  checkAndRelease(ImageLoadPPM::decode(reinterpret_cast<char const*>(data), size));
  return 0;
}
