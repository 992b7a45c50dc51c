// FileBuffer: reads a whole file into one zero-terminated block.
#include "base/filebuffer.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/regularfile.h"
#include "math/assert.h"

FileBuffer::FileBuffer(char const* path) {
  reset();
  load(path);
}

FileBuffer& FileBuffer::operator=(FileBuffer&& o) noexcept {
  if (this != &o) {
    unload();
    data = o.data;
    size = o.size;
    o.reset();
  }
  return *this;
}

void FileBuffer::unload() {
  std::free(data);
  reset();
}

bool FileBuffer::load(char const* fn) {
  unload();
  ASSERT(fn);
  std::string error;
  FILE* f = openRegularFile(fn, error);
  if (!f) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  // The size comes from the end position; one that does not fit an int is
  // refused rather than trusted.
  long end = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) end = std::ftell(f);
  if (end < 0 || end >= INT_MAX || std::fseek(f, 0, SEEK_SET) != 0) {
    std::fprintf(stderr, "%s: too large to read whole\n", fn);
    std::fclose(f);
    return false;
  }
  size = static_cast<int>(end);
  // Zero-filled, so that bytes a short read leaves behind are defined.
  data = static_cast<char*>(std::calloc(size_t(size) + 1, 1));
  if (!data) {
    size = 0;
    std::fclose(f);
    return false;
  }
  data[size] = 0;
  size_t got = std::fread(data, 1, size_t(size), f);
  if (got < size_t(size))
    std::printf("got a size %d readsize %d from file %s\n", size, static_cast<int>(got), fn);
  data[got] = 0;
  std::fclose(f);
  return data != nullptr;
}
