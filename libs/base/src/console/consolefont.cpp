// Console font search: the working directory first, then the resource folder
// next to the executable.
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "base/console.h"

namespace {
// The executable's folder's parent: its full path cut at the second slash
// counted from the end (".../X.app/Contents/MacOS/prog" -> ".../X.app/Contents").
// False when the path cannot be had or has fewer than two slashes.
bool resourceBase(std::string& out) {
  char path[1024];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return false;
  path[n] = '\0';
  char* last = std::strrchr(path, '/');
  if (!last) return false;
  *last = '\0';
  char* second = std::strrchr(path, '/');
  if (!second) return false;
  *second = '\0';
  out = path;
  return true;
}
}  // namespace

bool Console::loadFont() {
  std::string names[6] = {"font.png", "font.bmp", "consoledata/font.png", "consoledata/font.bmp"};
  int count = 4;
  std::string base;
  if (resourceBase(base)) {
    names[count++] = base + "/Resources/consoledata/font.png";
    names[count++] = base + "/Resources/consoledata/font.bmp";
  } else {
    std::fprintf(stderr, "failed to find font file\n");
  }
  // Candidates that are not there are passed over quietly; one that is there but
  // does not load is reported by its loader.
  for (int i = 0; i < count; ++i)
    if (access(names[i].c_str(), R_OK) == 0 && font.load2D(names[i].c_str())) return true;
  std::fprintf(stderr, "failed to find font file\n");
  return false;
}
