// Run-time binding of an extension's entry points through the platform lookup.
// Kept apart from the flags so that programs that never bind entry points do
// not need a platform backend linked in.
#include "system/glext.h"

#include <cstdarg>
#include <cstdio>

int load_ext(char const* extension, ...) {
  if (!gl_hasExt(extension)) {
    std::fprintf(stderr, "failed to find extension string %s\n", extension);
    return -2;
  }
  std::printf("load_ext %s\n", extension);

  va_list ap;
  va_start(ap, extension);
  int k = 0;
  int result = -1;
  for (;;) {
    void** var = va_arg(ap, void**);
    if (!var) break;
    char const* name = va_arg(ap, char const*);
    if (!name) {
      result = k;
      break;
    }
    *var = sysGLGetProcAddress(name);
    if (!*var) {
      result = k;
      break;
    }
    ++k;
  }
  va_end(ap);
  return result;
}
