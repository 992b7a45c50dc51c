// writeTarget: resolving a symbolic link before a file is written through it.
#include "linktarget.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

bool writeTarget(std::string const& name, std::string& target, std::string& error) {
  struct stat link;
  if (::lstat(name.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
    target = name;
    return true;
  }
  if (char* resolved = ::realpath(name.c_str(), nullptr)) {
    target = resolved;
    std::free(resolved);
    return true;
  }
  int const why = errno;
  char text[4096];
  ssize_t const n = ::readlink(name.c_str(), text, sizeof text - 1);
  std::string const to = n > 0 ? std::string(text, size_t(n)) : std::string("?");
  error = name + ": is a symbolic link to " + to +
          (why == ENOENT || why == ENOTDIR ? ", which does not exist" : std::string(": ") + std::strerror(why));
  return false;
}
