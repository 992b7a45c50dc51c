// Scoped GL state guards: a 2D texture binding with its filters and the unpack
// alignment, and the projection and model-view matrices, each put back as they
// were when the guard ends.
#pragma once

#include <GL/gl.h>

// Saves the active unit's 2D texture binding and the unpack alignment, and
// restores both on destruction. bind() binds another texture meanwhile.
class TextureBindingGuard {
public:
  TextureBindingGuard() {
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &oldTexture);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &oldAlign);
  }
  ~TextureBindingGuard() {
    glPixelStorei(GL_UNPACK_ALIGNMENT, oldAlign);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(oldTexture));
  }
  TextureBindingGuard(TextureBindingGuard const&) = delete;
  TextureBindingGuard& operator=(TextureBindingGuard const&) = delete;

  void bind(GLuint id) { glBindTexture(GL_TEXTURE_2D, id); }

private:
  GLint oldTexture = 0, oldAlign = 4;
};

// Sets texture `id`'s minifying filter for the guard's life, then restores it
// (and the unit's binding).
class MinFilterGuard {
public:
  MinFilterGuard(GLuint id, GLint filter) : texture(id) {
    binding.bind(id);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &oldFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  }
  ~MinFilterGuard() {
    binding.bind(texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, oldFilter);
  }
  MinFilterGuard(MinFilterGuard const&) = delete;
  MinFilterGuard& operator=(MinFilterGuard const&) = delete;

private:
  TextureBindingGuard binding;
  GLuint texture;
  GLint oldFilter = GL_LINEAR_MIPMAP_LINEAR;
};

// Pushes the projection and model-view matrices, leaving model-view current,
// and pops both on destruction.
class MatrixGuard {
public:
  MatrixGuard() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
  }
  ~MatrixGuard() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
  }
  MatrixGuard(MatrixGuard const&) = delete;
  MatrixGuard& operator=(MatrixGuard const&) = delete;
};
