// Fuzz target: the 16-bit height-map decoders (ImageSystem::loadGrey16) on
// arbitrary bytes, as a file with the extension FUZZ_EXTENSION ("png", "tif"
// or "pnm"): they must refuse or decode, never read out of bounds, leak or
// crash. Files that are not 16-bit go on to the 8-bit loaders, as they do in
// the bench.
#include <tiffio.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/imagesystem.h"
#include "fuzzcheck.h"

namespace {
std::string path;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ImageSystem::init();
  // The library's warnings about broken files would only slow the runs down.
  TIFFSetWarningHandler(nullptr);
  TIFFSetErrorHandler(nullptr);
  char const* tmp = std::getenv("TMPDIR");
  path = std::string(tmp && *tmp ? tmp : "/tmp") + "/rb-fuzz-grey16-" + std::to_string(getpid()) + "." FUZZ_EXTENSION;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  bool const written = std::fwrite(data, 1, size, f) == size;
  if (std::fclose(f) != 0 || !written) std::abort();
  std::string error;
  checkAndRelease(ImageSystem::loadGrey16(path.c_str(), error));
  std::remove(path.c_str());
  return 0;
}
