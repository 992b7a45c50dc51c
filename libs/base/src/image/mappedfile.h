// MappedFile: a whole file's bytes in memory for the hand-written decoders,
// mapped read-only where the system allows and read into a FileBuffer
// otherwise.
#pragma once

#include <cstddef>

#include "base/filebuffer.h"

class MappedFile {
public:
  MappedFile() = default;
  ~MappedFile() { close(); }
  MappedFile(MappedFile const&) = delete;
  MappedFile& operator=(MappedFile const&) = delete;

  // False when the file cannot be opened or read (no message).
  bool open(char const* path);
  void close();

  unsigned char const* bytes() const { return data; }
  size_t size() const { return length; }

private:
  unsigned char const* data = nullptr;
  size_t length = 0;
  bool mapped = false;
  FileBuffer fallback;
};
