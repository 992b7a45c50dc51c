// Helpers shared by the image tests.
#include "testutil.h"

#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

std::string scratchDir() {
  static char path[256] = "";
  if (!path[0]) {
    std::snprintf(path, sizeof path, "%s/imagetestXXXXXX", fs::temp_directory_path().c_str());
    if (!mkdtemp(path)) std::abort();
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(path, ec);
    });
  }
  return path;
}

std::string writeScratch(std::string const& name, Bytes const& bytes) {
  std::string path = scratchDir() + "/" + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<char const*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

std::string writeScratch(std::string const& name, std::string const& text) {
  return writeScratch(name, Bytes(text.begin(), text.end()));
}

Bytes readWhole(std::string const& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string corpus(std::string const& relative) { return std::string(RB_TEST_DATA_DIR) + "/" + relative; }

int openDescriptors() { return int(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator())); }

Bytes pixels(Image const& img) { return Bytes(img.data, img.data + img.dataBytes()); }

std::string describe(Image const* img) {
  if (!img || !img->data) return "refused";
  char text[64];
  std::snprintf(text, sizeof text, "%dx%dx%d:%08lx", img->width, img->height, img->bitsPerPixel,
                crc32(0, img->data, uInt(img->dataBytes())));
  return text;
}

void put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<unsigned char>(v);
  b[at + 1] = static_cast<unsigned char>(v >> 8);
}

void put32(Bytes& b, size_t at, uint32_t v) {
  put16(b, at, v);
  put16(b, at + 2, v >> 16);
}
