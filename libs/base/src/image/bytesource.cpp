// FileByteSource: serves byte ranges of a file from a window that is refilled
// with one read whenever a range falls outside it.
#include "bytesource.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <new>

#include "base/regularfile.h"

namespace {

// Enough for a few hundred rows of a large picture; small enough to stay in
// the cache while the rows are converted.
constexpr size_t kWindowBytes = size_t(256) << 10;

}  // namespace

FileByteSource::~FileByteSource() {
  if (file) std::fclose(file);
}

bool FileByteSource::open(char const* path, std::string& error) {
  file = openRegularFile(path, error);
  if (!file) return false;
  struct stat st;
  if (fstat(fileno(file), &st) != 0 || st.st_size >= INT_MAX) {
    error = std::string(path) + ": too large to read";
    return false;
  }
  length = size_t(st.st_size);
  return true;
}

unsigned char const* FileByteSource::at(size_t offset, size_t count) {
  if (offset > length || count > length - offset) return nullptr;
  if (offset >= windowStart && offset - windowStart <= windowLength &&
      count <= windowLength - (offset - windowStart))
    return window.get() + (offset - windowStart);

  size_t want = count > kWindowBytes ? count : kWindowBytes;
  if (want > windowCapacity) {
    window.reset(new (std::nothrow) unsigned char[want]);
    windowCapacity = window ? want : 0;
    windowLength = 0;
    if (!window) return nullptr;
  }
  if (want > length - offset) want = length - offset;
  size_t got = 0;
  while (got < want) {
    ssize_t n = pread(fileno(file), window.get() + got, want - got, off_t(offset + got));
    if (n <= 0) break;  // the end (the file shrank) or a read error
    got += size_t(n);
  }
  windowStart = offset;
  windowLength = got;
  return windowLength >= count ? window.get() : nullptr;
}
