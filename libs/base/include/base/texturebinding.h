// ScopedTextureBinding: a texture object bound to one target of the active unit
// for a scope, with the target's previous texture bound again at its end.
#pragma once

#include <GL/gl.h>

class ScopedTextureBinding {
public:
  // target: GL_TEXTURE_1D, GL_TEXTURE_2D or GL_TEXTURE_CUBE_MAP. Binding does
  // not enable the target.
  ScopedTextureBinding(GLenum target, GLuint id) : target(target) {
    glGetIntegerv(bindingOf(target), &previous);
    glBindTexture(target, id);
  }
  ~ScopedTextureBinding() { glBindTexture(target, static_cast<GLuint>(previous)); }
  ScopedTextureBinding(ScopedTextureBinding const&) = delete;
  ScopedTextureBinding& operator=(ScopedTextureBinding const&) = delete;

private:
  static GLenum bindingOf(GLenum target) {
    switch (target) {
      case GL_TEXTURE_1D:
        return GL_TEXTURE_BINDING_1D;
      case GL_TEXTURE_CUBE_MAP:
        return GL_TEXTURE_BINDING_CUBE_MAP;
      default:
        return GL_TEXTURE_BINDING_2D;
    }
  }

  GLenum target;
  GLint previous = 0;
};
