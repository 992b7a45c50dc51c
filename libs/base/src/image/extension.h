// Extension matching for the loaders: a file's extension is compared with a
// loader's own without regard to case.
#pragma once

#include <strings.h>

inline bool extensionIs(char const* extension, char const* wanted) {
  return extension && strcasecmp(extension, wanted) == 0;
}
