// imageinfo: loads each file argument through ImageSystem::load and prints
// "FILE: WIDTHxHEIGHT BITS-bit" or "FILE: failed"; with --raw OUT the decoded
// pixels of every loaded file are written to OUT, row 0 first, tightly packed.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "base/atomicfile.h"
#include "base/image.h"
#include "base/imagesystem.h"

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: imageinfo [--raw OUT] FILE...\n"
               "  Loads each FILE as the program would and prints its size and depth.\n"
               "  --raw OUT  also writes the decoded pixels (row 0 first, no gaps) of\n"
               "             every loaded file to OUT, one after the other. OUT is\n"
               "             replaced once all files are read; it may not be an input.\n"
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

  // The dump goes to a temporary file that replaces OUT only after every file
  // was read, so OUT must not be one of the inputs (the same file under any
  // name): opening it for writing first used to empty that input unread.
  AtomicFile rawFile;
  FILE* raw = nullptr;
  if (rawPath) {
    struct stat out, in;
    for (int i = first; i < argc; ++i)
      if (stat(rawPath, &out) == 0 && stat(argv[i], &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
        std::fprintf(stderr, "imageinfo: the raw output %s is also an input (%s)\n", rawPath, argv[i]);
        return 1;
      }
    std::string error;
    if (!rawFile.open(rawPath, error)) {
      std::fprintf(stderr, "imageinfo: cannot write %s\n", error.c_str());
      return 1;
    }
    raw = rawFile.stream();
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
  std::string error;
  if (raw && !rawFile.commit(error)) {
    std::fprintf(stderr, "imageinfo: cannot write %s\n", error.c_str());
    allLoaded = false;
  }
  return allLoaded ? 0 : 1;
}
