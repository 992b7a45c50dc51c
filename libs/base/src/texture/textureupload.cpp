// Texture uploads: pictures from files and Images, mipmapped 1D and 2D
// textures from strided buffers, empty textures and sub-image updates.
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "base/image.h"
#include "base/imagesystem.h"
#include "base/texture.h"
#include "math/assert.h"
#include "texture/mipmapresult.h"
#include "texture/pixelstore.h"

namespace {
// Tight copy of width x height pixels read at the given strides; null when no
// copy is needed or it cannot be made (then allocFailure is printed).
unsigned char* repack(int components, int width, int height, int type,
                      unsigned char const* data, int pixelStride, int rowStride,
                      char const* allocFailure) {
  if (!data || width <= 0 || height <= 0) return nullptr;
  size_t const pixelBytes = (static_cast<size_t>(components) * Texture::bitsOf(type)) >> 3;
  if (pixelBytes == 0) return nullptr;  // bitmaps are never repacked
  if (static_cast<size_t>(width) > SIZE_MAX / pixelBytes) return nullptr;
  size_t const rowBytes = pixelBytes * static_cast<size_t>(width);
  size_t const pixelStep = pixelStride > 0 && static_cast<size_t>(pixelStride) > pixelBytes
                               ? static_cast<size_t>(pixelStride) : pixelBytes;
  size_t const rowStep = rowStride > 0 && static_cast<size_t>(rowStride) > rowBytes
                             ? static_cast<size_t>(rowStride) : rowBytes;
  if (pixelStep == pixelBytes && rowStep == rowBytes) return nullptr;

  unsigned char* out = nullptr;
  if (rowBytes <= SIZE_MAX / static_cast<size_t>(height))
    out = new (std::nothrow) unsigned char[rowBytes * static_cast<size_t>(height)];
  if (!out) {
    std::printf("%s", allocFailure);
    std::fflush(stdout);
    return nullptr;
  }
  unsigned char* dst = out;
  for (int y = 0; y < height; ++y) {
    unsigned char const* src = data + static_cast<size_t>(y) * rowStep;
    for (int x = 0; x < width; ++x, src += pixelStep, dst += pixelBytes)
      std::memcpy(dst, src, pixelBytes);
  }
  return out;
}

void setDefaultMipmapParameters(GLenum target, bool twoD) {
  glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_REPEAT);
  if (twoD) glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
}
}  // namespace

unsigned char* Texture::extract2DBuffer(int* components, int width, int height, int format,
                                        int type, unsigned char const* data, int pixelStride,
                                        int rowStride) {
  int c = componentsOf(format);
  if (components) *components = c;
  return repack(c, width, height, type, data, pixelStride, rowStride,
                "Texture::build2DMipmaps failed to allocate temporary buffer");
}

unsigned char* Texture::extract1DBuffer(int* components, int width, int format, int type,
                                        unsigned char const* data, int pixelStride) {
  int c = componentsOf(format);
  if (components) *components = c;
  return repack(c, width, 1, type, data, pixelStride, 0,
                "Texture::build1DMipmaps failed to allocate temporary buffer");
}

bool Texture::build2DMipmaps(int width, int height, int format, int type,
                             unsigned char const* data, int pixelStride, int rowStride) {
  unload();
  initTextureID(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, id);
  int components = 0;
  unsigned char* copy =
      extract2DBuffer(&components, width, height, format, type, data, pixelStride, rowStride);
  GLint result;
  {
    TightPixelStore tight(false);
    result = gluBuild2DMipmaps(GL_TEXTURE_2D, components, width, height,
                               static_cast<GLenum>(format), static_cast<GLenum>(type),
                               copy ? copy : data);
  }
  delete[] copy;
  if (!mipmapsBuilt("build2DMipmaps", result)) {
    unload();  // no usable image
    return false;
  }
  setDefaultMipmapParameters(GL_TEXTURE_2D, true);
  return true;
}

bool Texture::build1DMipmaps(int width, int format, int type, unsigned char const* data,
                             int pixelStride) {
  unload();
  initTextureID(GL_TEXTURE_1D);
  glBindTexture(GL_TEXTURE_1D, id);
  int components = 0;
  unsigned char* copy = extract1DBuffer(&components, width, format, type, data, pixelStride);
  GLint result;
  {
    TightPixelStore tight(false);
    result = gluBuild1DMipmaps(GL_TEXTURE_1D, components, width, static_cast<GLenum>(format),
                               static_cast<GLenum>(type), copy ? copy : data);
  }
  delete[] copy;
  if (!mipmapsBuilt("build1DMipmaps", result)) {
    unload();  // no usable image
    return false;
  }
  setDefaultMipmapParameters(GL_TEXTURE_1D, false);
  return true;
}

bool Texture::loadImage(Image const& img) {
  ASSERT(img.data);
  int format;
  switch (img.bitsPerPixel) {
    case 32:
      format = GL_RGBA;
      break;
    case 24:
      format = GL_RGB;
      break;
    case 8:
      format = GL_LUMINANCE;
      break;
    default:
      std::fprintf(stderr, "Texture::loadImage: cannot upload an image of %d bits per pixel\n",
                   img.bitsPerPixel);
      return false;
  }
  if (img.width <= 0 || img.height <= 0) {
    std::fprintf(stderr, "Texture::loadImage: cannot upload an image of %d x %d pixels\n",
                 img.width, img.height);
    return false;
  }
  size_t const pixelBytes = static_cast<size_t>(img.bitsPerPixel / 8);
  if (static_cast<size_t>(img.width) > INT_MAX / pixelBytes) {
    std::fprintf(stderr, "Texture::loadImage: image too wide (%d pixels)\n", img.width);
    return false;
  }
  int rowStride = static_cast<int>(static_cast<size_t>(img.width) * pixelBytes);
  return build2DMipmaps(img.width, img.height, format, GL_UNSIGNED_BYTE, img.data,
                        static_cast<int>(pixelBytes), rowStride);
}

bool Texture::load2D(char const* filename) {
  ImagePtr img(ImageSystem::load(filename));
  return img && img->data && loadImage(*img);
}

bool Texture::createEmpty(int width, int height, int format, int type, int components) {
  unload();
  size_t const bits = static_cast<size_t>(bitsOf(type));
  if (components == 0) components = componentsOf(format);
  if (width <= 0 || height <= 0 || components <= 0) return false;
  size_t const w = static_cast<size_t>(width), h = static_cast<size_t>(height);
  size_t const c = static_cast<size_t>(components);
  if (w > SIZE_MAX / h || w * h > SIZE_MAX / c || w * h * c > SIZE_MAX / bits) return false;
  size_t const bytes = (bits * w * h * c + 7) >> 3;
  unsigned char* zeros = new (std::nothrow) unsigned char[bytes]();
  if (!zeros) return false;

  initTextureID(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, id);
  {
    TightPixelStore tight(false);
    glTexImage2D(GL_TEXTURE_2D, 0, components, width, height, 0, static_cast<GLenum>(format),
                 static_cast<GLenum>(type), zeros);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  delete[] zeros;
  return true;
}

void Texture::updateData2D(int width, int height, int format, int type, void* data) {
  if (!id) return;
  glBindTexture(GL_TEXTURE_2D, id);
  TightPixelStore tight(false);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, static_cast<GLenum>(format),
                  static_cast<GLenum>(type), data);
}
