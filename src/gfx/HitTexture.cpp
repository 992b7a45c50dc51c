// HitTexture: uploading the per-pixel floats and binding them.
#include "HitTexture.h"

#include <GL/glext.h>

#include <string>

#include "system/glext.h"

bool HitTexture::load(int width, int height, float const* rgba, std::string& error) {
  if (!gl_hasExt("GL_ARB_texture_float")) {
    error = "this GL has no float textures (GL_ARB_texture_float) to hold the traced hits";
    return false;
  }
  GLint most = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &most);
  if (width <= 0 || height <= 0 || width > most || height > most) {
    error = "a " + std::to_string(width) + "x" + std::to_string(height) + " view is more than this GL's textures hold (" +
            std::to_string(most) + " a side)";
    return false;
  }
  while (glGetError() != GL_NO_ERROR) {
  }
  GLint oldTex = 0, oldAlign = 4;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &oldTex);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &oldAlign);
  GLuint made = id;
  if (!made) glGenTextures(1, &made);
  glBindTexture(GL_TEXTURE_2D, made);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F_ARB, width, height, 0, GL_RGBA, GL_FLOAT, rgba);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  GLenum const status = glGetError();
  glPixelStorei(GL_UNPACK_ALIGNMENT, oldAlign);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(oldTex));
  if (status != GL_NO_ERROR) {
    glDeleteTextures(1, &made);
    id = 0;
    error = "the GL refused the traced hits' float texture (error " + std::to_string(status) + ")";
    return false;
  }
  id = made;
  return true;
}

void HitTexture::release() {
  if (id) glDeleteTextures(1, &id);
  id = 0;
}

void HitTexture::bind(int unit) const {
  glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
  glBindTexture(GL_TEXTURE_2D, id);
  glActiveTexture(GL_TEXTURE0);
}

void HitTexture::unbind(int unit) {
  glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
  glBindTexture(GL_TEXTURE_2D, 0);
  glActiveTexture(GL_TEXTURE0);
}
