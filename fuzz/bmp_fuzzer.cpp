// Fuzz target: the BMP decoder on arbitrary bytes must refuse or decode, never
// read out of bounds, leak or crash.
#include <cstddef>
#include <cstdint>

#include "base/exception.h"
#include "base/imageloadbmp.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  try {
    checkAndRelease(ImageLoadBMP::decode(data, size));
  } catch (Exception const&) {
  }
  return 0;
}
