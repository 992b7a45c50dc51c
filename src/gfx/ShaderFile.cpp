// ShaderFile: reading a shader file and polling it for changes.
#include "ShaderFile.h"

#include <sys/stat.h>

#include <cstdio>

#include "base/regularfile.h"

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
  std::string why;
  FILE* f = openRegularFile(path.c_str(), why);
  if (!f) {
    error = "cannot read the shader file " + why;
    return false;
  }
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  bool const failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) {
    error = "cannot read the shader file " + path;
    return false;
  }
  if (text.empty()) {
    error = "the shader file " + path + " is empty";
    return false;
  }
  long long newStamp = -1, newBytes = -1;
  look(path, newStamp, newBytes);
  filePath = path;
  contents = text;
  stamp = newStamp;
  bytes = newBytes;
  return true;
}

bool ShaderFile::changedOnDisk() const {
  long long nowStamp = -1, nowBytes = -1;
  look(filePath, nowStamp, nowBytes);
  return nowStamp != stamp || nowBytes != bytes;
}
