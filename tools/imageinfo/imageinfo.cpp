// imageinfo: loads each file argument through ImageSystem::load and prints
// "FILE: WIDTHxHEIGHT BITS-bit" or "FILE: failed"; with --raw OUT the decoded
// pixels of every loaded file are written to OUT, row 0 first, tightly packed.
#include <cstdio>
#include <cstring>

#include "base/image.h"
#include "base/imagesystem.h"

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: imageinfo [--raw OUT] FILE...\n"
               "  Loads each FILE as the program would and prints its size and depth.\n"
               "  --raw OUT  also writes the decoded pixels (row 0 first, no gaps) of\n"
               "             every loaded file to OUT, one after the other.\n"
               "  Exits 0 when every file loaded, 1 otherwise.\n");
}

}  // namespace

int main(int argc, char** argv) {
  char const* rawPath = nullptr;
  int first = 1;
  while (first < argc && argv[first][0] == '-' && argv[first][1] == '-') {
    if (!std::strcmp(argv[first], "--raw") && first + 1 < argc) {
      rawPath = argv[first + 1];
      first += 2;
    } else if (!std::strcmp(argv[first], "--")) {
      ++first;
      break;
    } else {
      usage();
      return 1;
    }
  }
  if (first >= argc) {
    usage();
    return 1;
  }

  FILE* raw = nullptr;
  if (rawPath) {
    raw = std::fopen(rawPath, "wb");
    if (!raw) {
      std::fprintf(stderr, "imageinfo: cannot write %s\n", rawPath);
      return 1;
    }
  }

  ImageSystem::init();
  bool allLoaded = true;
  for (int i = first; i < argc; ++i) {
    Image* img = ImageSystem::load(argv[i]);
    std::fflush(stderr);
    if (!img) {
      std::printf("%s: failed\n", argv[i]);
      allLoaded = false;
    } else {
      std::printf("%s: %dx%d %d-bit\n", argv[i], img->width, img->height, img->bitsPerPixel);
      if (raw && std::fwrite(img->data, 1, img->dataBytes(), raw) != img->dataBytes()) {
        std::fprintf(stderr, "imageinfo: writing %s failed\n", rawPath);
        allLoaded = false;
      }
      img->unload();
      delete img;
    }
    std::fflush(stdout);
  }
  if (raw && std::fclose(raw) != 0) {
    std::fprintf(stderr, "imageinfo: writing %s failed\n", rawPath);
    allLoaded = false;
  }
  return allLoaded ? 0 : 1;
}
