// ShaderFile: reading a shader file and polling it for changes.
#include "ShaderFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/regularfile.h"

namespace {

void stampOf(struct stat const& st, long long& stamp, long long& bytes) {
  stamp = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  bytes = static_cast<long long>(st.st_size);
}

bool look(std::string const& path, long long& stamp, long long& bytes) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  stampOf(st, stamp, bytes);
  return true;
}

}  // namespace

bool ShaderFile::read(std::string const& path, std::string& error) {
  std::string why;
  int const fd = openRegularFileFd(path.c_str(), why);
  if (fd < 0) {
    error = "cannot read the shader file " + why;
    return false;
  }
  // The time and size come from the open file before its text: a save after
  // this point gives a newer time than the one kept.
  struct stat st;
  if (fstat(fd, &st) != 0) {
    error = "cannot read the shader file " + path + ": " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  long long newStamp = -1, newBytes = -1;
  stampOf(st, newStamp, newBytes);
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  int const readErrno = n < 0 ? errno : 0;
  ::close(fd);
  if (readErrno != 0) {
    error = "cannot read the shader file " + path + ": " + std::strerror(readErrno);
    return false;
  }
  if (text.empty()) {
    error = "the shader file " + path + " is empty";
    return false;
  }
  filePath = path;
  contents = text;
  stamp = seenStamp = newStamp;
  bytes = seenBytes = newBytes;
  seenMissing = false;
  return true;
}

bool ShaderFile::changedOnDisk() const {
  long long nowStamp = -1, nowBytes = -1;
  look(filePath, nowStamp, nowBytes);
  return nowStamp != stamp || nowBytes != bytes;
}

ShaderFile::Poll ShaderFile::poll() {
  long long nowStamp = -1, nowBytes = -1;
  if (!look(filePath, nowStamp, nowBytes)) {
    if (seenMissing) return Poll::Same;
    seenMissing = true;
    return Poll::Missing;
  }
  if (!seenMissing && nowStamp == seenStamp && nowBytes == seenBytes) return Poll::Same;
  seenMissing = false;
  seenStamp = nowStamp;
  seenBytes = nowBytes;
  return Poll::Changed;
}
