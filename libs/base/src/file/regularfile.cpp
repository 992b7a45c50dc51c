// Opening regular files without blocking: the path is looked at first, so a
// device or FIFO is never even opened, and the opened descriptor is checked
// again, so nothing swapped in meanwhile is accepted.
#include "base/regularfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "filekind.h"

namespace {

int openChecked(char const* path, int flags, std::string& error) {
  if (!path || !*path) {
    error = "no file name given";
    return -1;
  }
  std::string const name = path;
  struct stat st;
  if (::stat(path, &st) == 0 && !S_ISREG(st.st_mode)) {
    error = name + ":" + notRegularReason(st.st_mode);
    return -1;
  }
  int fd = ::open(path, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = name + ": " + std::strerror(errno);
    return -1;
  }
  if (::fstat(fd, &st) != 0) {
    error = name + ": " + std::strerror(errno);
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    error = name + ":" + notRegularReason(st.st_mode);
    ::close(fd);
    return -1;
  }
  // Reads and writes of a regular file never block anyway; clear the flag so
  // that the descriptor behaves like any other.
  int const status = ::fcntl(fd, F_GETFL);
  if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
    error = name + ": " + std::strerror(errno);
    ::close(fd);
    return -1;
  }
  return fd;
}

FILE* streamOf(int fd, char const* mode, char const* path, std::string& error) {
  if (fd < 0) return nullptr;
  FILE* f = ::fdopen(fd, mode);
  if (!f) {
    error = std::string(path) + ": " + std::strerror(errno);
    ::close(fd);
  }
  return f;
}

}  // namespace

int openRegularFileFd(char const* path, std::string& error) { return openChecked(path, O_RDONLY, error); }

FILE* openRegularFile(char const* path, std::string& error) {
  return streamOf(openChecked(path, O_RDONLY, error), "rb", path, error);
}

FILE* openRegularFileForAppend(char const* path, std::string& error) {
  return streamOf(openChecked(path, O_WRONLY | O_APPEND | O_CREAT, error), "ab", path, error);
}
