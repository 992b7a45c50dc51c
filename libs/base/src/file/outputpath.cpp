// checkOutputPath: the name's extension, its folder and what the name already
// is, judged before any work starts.
#include "base/outputpath.h"

#include <strings.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "file/linktarget.h"

namespace {

bool hasWriteBit(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

bool endsWithNoCase(std::string const& text, std::string const& end) {
  return text.size() >= end.size() && strcasecmp(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}

// ".png", ".png or .jpg", ".png, .jpg or .jpeg".
std::string alternatives(std::vector<std::string> const& extensions) {
  std::string out;
  for (size_t i = 0; i < extensions.size(); ++i)
    out += (i == 0 ? "" : i + 1 == extensions.size() ? " or " : ", ") + extensions[i];
  return out;
}

}  // namespace

bool checkOutputPath(std::string const& path, std::vector<std::string> const& extensions, std::string& error) {
  if (path.empty()) {
    error = "no file name given";
    return false;
  }
  size_t const slash = path.rfind('/');
  std::string const leaf = slash == std::string::npos ? path : path.substr(slash + 1);
  // A symbolic link is written through: the file it leads to is replaced, in
  // that file's folder. One that leads nowhere is refused here, as the writer
  // would refuse it after the work.
  std::string target;
  if (!writeTarget(path, target, error)) return false;
  bool const linked = target != path;
  size_t const targetSlash = target.rfind('/');
  std::string const folder = targetSlash == std::string::npos ? "."
                             : targetSlash == 0                ? "/"
                                                               : target.substr(0, targetSlash);

  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      error = path + ": is a directory";
      return false;
    }
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
      error = path + ": is a device, not a file";
      return false;
    }
    if (!S_ISREG(st.st_mode)) {
      error = path + (S_ISFIFO(st.st_mode) ? ": is a FIFO, not a file" : ": is not a regular file");
      return false;
    }
  }
  if (!extensions.empty()) {
    bool named = false;
    for (std::string const& e : extensions) named |= leaf.size() > e.size() && endsWithNoCase(leaf, e);
    if (!named) {
      error = path + ": needs a " + alternatives(extensions) + " name";
      return false;
    }
  } else if (leaf.empty()) {
    error = path + ": is a directory";
    return false;
  }
  struct stat dir;
  if (::stat(folder.c_str(), &dir) != 0) {
    error = path + (errno == ENOENT || errno == ENOTDIR ? ": no such folder" : std::string(": ") + std::strerror(errno));
    return false;
  }
  if (!S_ISDIR(dir.st_mode)) {
    error = folder + ": is not a folder";
    return false;
  }
  if (!hasWriteBit(dir.st_mode)) {
    error = linked ? path + ": is a symbolic link into " + folder + ", a read-only folder"
                   : folder + ": the folder is read-only";
    return false;
  }
  if (::stat(path.c_str(), &st) == 0 && !hasWriteBit(st.st_mode)) {
    error = path + ": is read-only";
    return false;
  }
  return true;
}
