// DataFiles: the search for data files.
#include "DataFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace DataFiles {

namespace {

std::string& chosen() {
  static std::string dir;
  return dir;
}

// The folder that holds the running program, with a trailing slash.
std::string programFolder() {
  char path[4096];
  ssize_t const n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return std::string();
  std::string p(path, static_cast<size_t>(n));
  size_t const slash = p.rfind('/');
  return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

std::vector<std::string> folders() {
  if (!chosen().empty()) return {chosen() + "/"};
  std::vector<std::string> out{""};
  std::string const bin = programFolder();
  if (!bin.empty()) out.push_back(bin + "../share/reliefbench/");
#ifdef RB_SOURCE_DATA_DIR
  out.push_back(RB_SOURCE_DATA_DIR "/");
#endif
  return out;
}

bool exists(std::string const& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace

void setFolder(std::string const& dir) {
  std::string d = dir;
  while (d.size() > 1 && d.back() == '/') d.pop_back();
  chosen() = d;
}

std::string const& folder() { return chosen(); }

std::string find(std::string const& name) {
  if (!name.empty() && name[0] == '/') return name;
  for (std::string const& dir : folders())
    if (exists(dir + name)) return dir + name;
  return chosen().empty() ? name : chosen() + "/" + name;
}

std::string places() {
  std::string out;
  for (std::string const& dir : folders()) {
    if (!out.empty()) out += ", ";
    out += dir.empty() ? std::string("the working directory") : dir;
  }
  return out;
}

}  // namespace DataFiles
