// ShaderFile: reading a shader file and polling it for changes.
#include "ShaderFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

bool look(std::string const& path, long long& stamp, long long& bytes) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  stamp = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  bytes = static_cast<long long>(st.st_size);
  return true;
}

}  // namespace

bool ShaderFile::read(std::string const& path, std::string& error) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    error = "cannot read the shader file " + path + ": " + std::strerror(errno);
    return false;
  }
  // Checked before opening: opening a FIFO for reading would wait for a writer.
  if (!S_ISREG(st.st_mode)) {
    error = "the shader file " + path + " is not a regular file";
    return false;
  }
  if (st.st_size == 0) {
    error = "the shader file " + path + " is empty";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (!in || !(text << in.rdbuf())) {
    error = "cannot read the shader file " + path;
    return false;
  }
  long long newStamp = -1, newBytes = -1;
  look(path, newStamp, newBytes);
  filePath = path;
  contents = text.str();
  stamp = newStamp;
  bytes = newBytes;
  return true;
}

bool ShaderFile::changedOnDisk() const {
  long long nowStamp = -1, nowBytes = -1;
  look(filePath, nowStamp, nowBytes);
  return nowStamp != stamp || nowBytes != bytes;
}
