// FileBuffer: reads a whole file into one zero-terminated block.
#include "base/filebuffer.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

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
  FILE* f = std::fopen(fn, "rb");
  if (!f) return false;
  // The size comes from the end position. Streams that cannot seek, and
  // objects whose end position is not a byte count that fits (directories
  // report huge values), are refused rather than trusted.
  long end = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) end = std::ftell(f);
  if (end < 0 || end >= INT_MAX || std::fseek(f, 0, SEEK_SET) != 0) {
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
