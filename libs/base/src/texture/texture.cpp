// Texture: the texture object's lifetime, binding to units, wrap and filter
// modes, size queries and readback.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>
#include <cstdint>
#include <new>

#include "base/texture.h"
#include "base/texturebinding.h"
#include "base/texturesystem.h"
#include "system/glext.h"
#include "texture/pixelstore.h"

void Texture::initTextureID(int t) {
  target = t;
  GLuint name = 0;
  glGenTextures(1, &name);
  id = name;
}

void Texture::unload() {
  if (id) {
    GLuint name = id;
    glDeleteTextures(1, &name);
  }
  id = 0;
  target = 0;
}

void Texture::bind() const {
  unbind();
  if (!target) return;
  glEnable(static_cast<GLenum>(target));
  glBindTexture(static_cast<GLenum>(target), id);
}

void Texture::bind(int unit) const {
  if (found_GL_ARB_multitexture) glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
  bind();
}

void Texture::unbind() {
  glDisable(GL_TEXTURE_1D);
  glDisable(GL_TEXTURE_2D);
  if (found_GL_ARB_texture_cube_map) glDisable(GL_TEXTURE_CUBE_MAP_ARB);
}

void Texture::unbindUnit(int unit) {
  if (found_GL_ARB_multitexture) glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
  unbind();
}

void Texture::unbindAll() {
  for (int unit = TextureSystem::getNumUnits() - 1; unit >= 0; --unit) unbindUnit(unit);
}

void Texture::setWrap1D(int s) {
  if (!id) return;  // nothing to set on an empty texture
  ScopedTextureBinding bound(static_cast<GLenum>(target), id);
  glTexParameteri(static_cast<GLenum>(target), GL_TEXTURE_WRAP_S, s);
}

void Texture::setWrap2D(int s, int t) {
  if (!id) return;  // nothing to set on an empty texture
  ScopedTextureBinding bound(static_cast<GLenum>(target), id);
  glTexParameteri(static_cast<GLenum>(target), GL_TEXTURE_WRAP_S, s);
  glTexParameteri(static_cast<GLenum>(target), GL_TEXTURE_WRAP_T, t);
}

void Texture::setFilter(int mag, int min) {
  if (!id) return;  // nothing to set on an empty texture
  ScopedTextureBinding bound(static_cast<GLenum>(target), id);
  glTexParameteri(static_cast<GLenum>(target), GL_TEXTURE_MAG_FILTER, mag);
  glTexParameteri(static_cast<GLenum>(target), GL_TEXTURE_MIN_FILTER, min);
}

namespace {
// The image target that holds level data: a cube map answers for its +X face.
GLenum levelTarget(int target) {
  return target == GL_TEXTURE_CUBE_MAP_ARB ? GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB)
                                           : static_cast<GLenum>(target);
}

// The queries bind the texture for their own scope only: the caller's binding
// and enables stay as they were.
int levelParameter(Texture const& t, GLenum imageTarget, int level, GLenum name) {
  if (!t.id) return 0;
  ScopedTextureBinding bound(static_cast<GLenum>(t.target), t.id);
  GLint value = 0;
  glGetTexLevelParameteriv(imageTarget, level, name, &value);
  return value;
}

// Reads one level of one image target into a new[] array, rows packed tightly
// whatever the caller's pack settings.
unsigned char* readLevel(Texture const& t, GLenum imageTarget, int level, int format, int type) {
  int components = Texture::componentsOf(format);
  int bits = Texture::bitsOf(type);
  int width = levelParameter(t, imageTarget, level, GL_TEXTURE_WIDTH);
  int height = levelParameter(t, imageTarget, level, GL_TEXTURE_HEIGHT);
  if (width <= 0 || height <= 0) return nullptr;
  size_t const pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  size_t const perPixelBits = static_cast<size_t>(components) * static_cast<size_t>(bits);
  if (pixels > SIZE_MAX / perPixelBits) return nullptr;
  size_t const bytes = (pixels * perPixelBits + 7) >> 3;
  unsigned char* out = new (std::nothrow) unsigned char[bytes];
  if (!out) return nullptr;
  ScopedTextureBinding bound(static_cast<GLenum>(t.target), t.id);
  TightPixelStore tight(true);
  glGetTexImage(imageTarget, level, static_cast<GLenum>(format), static_cast<GLenum>(type), out);
  return out;
}
}  // namespace

int Texture::getWidth() const { return levelParameter(*this, levelTarget(target), 0, GL_TEXTURE_WIDTH); }

int Texture::getHeight() const {
  return levelParameter(*this, levelTarget(target), 0, GL_TEXTURE_HEIGHT);
}

int Texture::getFormat() const {
  return levelParameter(*this, levelTarget(target), 0, GL_TEXTURE_INTERNAL_FORMAT);
}

unsigned char* Texture::getData(int level, int format, int type) const {
  return readLevel(*this, levelTarget(target), level, format, type);
}

unsigned char* Texture::getCubeMapSideData(int face, int level, int format, int type) const {
  if (target != GL_TEXTURE_CUBE_MAP_ARB || face < GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB ||
      face > GL_TEXTURE_CUBE_MAP_NEGATIVE_Z_ARB)
    return nullptr;
  return readLevel(*this, static_cast<GLenum>(face), level, format, type);
}
