// ByteSource: bounded random access to a file's bytes for the hand-written
// decoders, from memory or read from the file piece by piece.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

class ByteSource {
public:
  virtual ~ByteSource() = default;
  // The file's length in bytes.
  size_t size() const { return length; }
  // The `count` bytes at `offset`, valid until the next call; null when the
  // file does not hold them all.
  virtual unsigned char const* at(size_t offset, size_t count) = 0;

protected:
  size_t length = 0;
};

// Bytes already in memory.
class MemoryByteSource : public ByteSource {
public:
  MemoryByteSource(unsigned char const* bytes, size_t size) : bytes(bytes) { length = size; }
  unsigned char const* at(size_t offset, size_t count) override {
    return offset <= length && count <= length - offset ? bytes + offset : nullptr;
  }

private:
  unsigned char const* bytes;
};

// A regular file read through a window of a few hundred kilobytes, so that a
// whole picture file is never copied at once. A file that shrinks while it is
// read simply no longer holds the bytes asked for.
class FileByteSource : public ByteSource {
public:
  FileByteSource() = default;
  ~FileByteSource() override;
  FileByteSource(FileByteSource const&) = delete;
  FileByteSource& operator=(FileByteSource const&) = delete;

  // False, with `error` naming the file and the reason, when it cannot be
  // opened, is not a regular file (checked without blocking) or is too large.
  bool open(char const* path, std::string& error);
  unsigned char const* at(size_t offset, size_t count) override;

private:
  FILE* file = nullptr;
  std::unique_ptr<unsigned char[]> window;
  size_t windowCapacity = 0;
  size_t windowStart = 0;
  size_t windowLength = 0;
};
