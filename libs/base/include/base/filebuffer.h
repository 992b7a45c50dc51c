// FileBuffer: a whole file read into memory, followed by one zero byte.
#pragma once

class FileBuffer {
public:
  FileBuffer() { reset(); }
  // reset(), then load(path).
  explicit FileBuffer(char const* path);
  // Releases the content; copies are refused so that one buffer has one owner.
  ~FileBuffer() { unload(); }
  FileBuffer(FileBuffer const&) = delete;
  FileBuffer& operator=(FileBuffer const&) = delete;
  FileBuffer(FileBuffer&& o) noexcept : data(o.data), size(o.size) { o.reset(); }
  FileBuffer& operator=(FileBuffer&& o) noexcept;

  // Both fields to zero; nothing is freed.
  void reset() {
    data = nullptr;
    size = 0;
  }
  // Frees the data, then both fields to zero.
  void unload();
  // Reads the whole file. False, with a line on standard error naming the file
  // and the reason, when it is missing, is not a regular file (checked without
  // blocking, so a FIFO cannot stall the caller) or is too large for an int
  // size; a short read prints a line and still succeeds.
  bool load(char const* path);

  char* data;
  int size;
};
