// MappedFile: maps a regular file read-only, with its pages faulted in at
// once (much cheaper than copying it into a fresh buffer page by page); other
// files are read whole through FileBuffer.
#include "mappedfile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

bool MappedFile::open(char const* path) {
  close();
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && st.st_size < INT_MAX) {
    void* p = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (p != MAP_FAILED) {
      ::close(fd);
      data = static_cast<unsigned char const*>(p);
      length = size_t(st.st_size);
      mapped = true;
      return true;
    }
  }
  ::close(fd);
  // Empty files, devices and systems that refuse the mapping.
  if (!fallback.load(path) || !fallback.data) return false;
  data = reinterpret_cast<unsigned char const*>(fallback.data);
  length = size_t(fallback.size);
  return true;
}

void MappedFile::close() {
  if (mapped) munmap(const_cast<unsigned char*>(data), length);
  fallback.unload();
  data = nullptr;
  length = 0;
  mapped = false;
}
