// Words for what kind of file system object a path names, for refusals.
#pragma once

#include <sys/stat.h>

#include <string>

// " is a FIFO, not a regular file" and the like, to follow a path.
inline std::string notRegularReason(mode_t mode) {
  char const* kind = S_ISDIR(mode)    ? "a directory"
                     : S_ISFIFO(mode) ? "a FIFO"
                     : S_ISCHR(mode)  ? "a character device"
                     : S_ISBLK(mode)  ? "a block device"
                     : S_ISSOCK(mode) ? "a socket"
                                      : "something else";
  return std::string(" is ") + kind + ", not a regular file";
}
