// The check of GLU's result after a mipmap build, shared by the 1D, 2D and
// cube-map uploads.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

// True when GLU built the mipmaps (result 0); otherwise one line on standard
// error names the call and GLU's error, and the result is false.
inline bool mipmapsBuilt(char const* what, GLint result) {
  if (result == 0) return true;
  std::fprintf(stderr, "Texture::%s: %s\n", what,
               reinterpret_cast<char const*>(gluErrorString(static_cast<GLenum>(result))));
  return false;
}
