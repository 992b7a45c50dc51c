// Cube-map textures: empty cube maps, per-face uploads and updates, and
// loading six picture files onto the faces.
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cstdio>

#include "base/image.h"
#include "base/imagesystem.h"
#include "base/texture.h"
#include "math/assert.h"
#include "system/glext.h"
#include "texture/mipmapresult.h"
#include "texture/pixelstore.h"

namespace {
bool isFace(int face) {
  return face >= GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB && face <= GL_TEXTURE_CUBE_MAP_NEGATIVE_Z_ARB;
}

// Uploads (or replaces) level 0 of one face from strided data.
bool fillSide(Texture const& t, bool replace, int face, int width, int height, int format,
              int type, unsigned char const* data, int pixelStride, int rowStride) {
  if (!found_GL_ARB_texture_cube_map || !isFace(face) || !t.id) return false;
  glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, t.id);
  int components = 0;
  unsigned char* copy = Texture::extract2DBuffer(&components, width, height, format, type, data,
                                                 pixelStride, rowStride);
  {
    TightPixelStore tight(false);
    if (replace)
      glTexSubImage2D(static_cast<GLenum>(face), 0, 0, 0, width, height,
                      static_cast<GLenum>(format), static_cast<GLenum>(type), copy ? copy : data);
    else
      glTexImage2D(static_cast<GLenum>(face), 0, components, width, height, 0,
                   static_cast<GLenum>(format), static_cast<GLenum>(type), copy ? copy : data);
  }
  delete[] copy;
  return true;
}
}  // namespace

bool Texture::initCubeMap() {
  if (!found_GL_ARB_texture_cube_map) return false;
  initTextureID(GL_TEXTURE_CUBE_MAP_ARB);
  return true;
}

bool Texture::createEmptyCubeMap() {
  unload();
  if (!found_GL_ARB_texture_cube_map) return false;
  initTextureID(GL_TEXTURE_CUBE_MAP_ARB);
  glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, id);
  glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_T, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  return true;
}

bool Texture::createCubeMapSide(int face, int width, int height, int format, int type,
                                unsigned char const* data, int pixelStride, int rowStride) {
  return fillSide(*this, false, face, width, height, format, type, data, pixelStride, rowStride);
}

bool Texture::updateCubeMapSide(int face, int width, int height, int format, int type,
                                unsigned char const* data, int pixelStride, int rowStride) {
  return fillSide(*this, true, face, width, height, format, type, data, pixelStride, rowStride);
}

bool Texture::loadCubeMap(char const* posX, char const* negX, char const* posY, char const* negY,
                          char const* posZ, char const* negZ) {
  unload();
  char const* files[6] = {posX, negX, posY, negY, posZ, negZ};
  for (char const* f : files)
    if (!f) return false;
  if (!found_GL_ARB_texture_cube_map) return false;

  initTextureID(GL_TEXTURE_CUBE_MAP_ARB);
  glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, id);
  for (int i = 0; i < 6; ++i) {
    ImagePtr img(ImageSystem::load(files[i]));
    if (!img) {
      unload();
      return false;
    }
    ASSERT(img->data);
    // Same depths as loadImage: an 8-bit picture is luminance, never read as RGB.
    int components = 0;
    GLenum format = GL_RGB;
    switch (img->bitsPerPixel) {
      case 32:
        components = 4;
        format = GL_RGBA;
        break;
      case 24:
        components = 3;
        format = GL_RGB;
        break;
      case 8:
        components = 1;
        format = GL_LUMINANCE;
        break;
      default:
        std::fprintf(stderr, "Texture::loadCubeMap: cannot upload %s (%d bits per pixel)\n",
                     files[i], img->bitsPerPixel);
        break;
    }
    if (components) {
      TightPixelStore tight(false);
      GLint result =
          gluBuild2DMipmaps(static_cast<GLenum>(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + i), components,
                            img->width, img->height, format, GL_UNSIGNED_BYTE, img->data);
      if (!mipmapsBuilt("loadCubeMap", result)) components = 0;
    }
    if (!components) {
      unload();
      return false;
    }
  }
  glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_T, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  return true;
}
