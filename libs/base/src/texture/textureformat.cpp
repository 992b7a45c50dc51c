// Sizes of pixel data: components of a GL pixel format, bits of a component type.
#include <GL/gl.h>
#include <GL/glext.h>

#include "base/texture.h"
#include "math/assert.h"

int Texture::componentsOf(int format) {
  switch (format) {
    case GL_COLOR_INDEX:
    case GL_RED:
    case GL_GREEN:
    case GL_BLUE:
    case GL_ALPHA:
    case GL_LUMINANCE:
    case GL_ALPHA32F_ARB:
    case GL_INTENSITY32F_ARB:
    case GL_LUMINANCE32F_ARB:
      return 1;
    case GL_LUMINANCE_ALPHA:
      return 2;
    case GL_RGB:
    case GL_RGB32F_ARB:
      return 3;
    case GL_RGBA:
    case GL_RGBA32F_ARB:
      return 4;
    default:
      ASSERT(!"got an unknown GL format!");
      return 0;
  }
}

int Texture::bitsOf(int type) {
  switch (type) {
    case GL_BYTE:
    case GL_UNSIGNED_BYTE:
      return 8;
    case GL_SHORT:
    case GL_UNSIGNED_SHORT:
      return 16;
    case GL_INT:
    case GL_UNSIGNED_INT:
    case GL_FLOAT:
      return 32;
    case GL_BITMAP:
      return 1;
    default:
      ASSERT(!"got an unknown GL type!");
      return 0;
  }
}
