// ConeTexture: generation and upload of the cone map.
#include "ConeTexture.h"

#include <chrono>
#include <memory>

#include "ConeMap.h"
#include "HeightField.h"
#include "base/console.h"
#include "base/texture.h"

bool ConeTexture::update(Texture const& normalMap) {
  if (current && id) return true;
  int const width = normalMap.id ? normalMap.getWidth() : 0, height = normalMap.id ? normalMap.getHeight() : 0;
  if (width <= 0 || height <= 0) return false;
  std::unique_ptr<unsigned char[]> rgba(normalMap.getData(0, GL_RGBA, GL_UNSIGNED_BYTE));
  if (!rgba) return false;
  auto const start = std::chrono::steady_clock::now();
  std::vector<uint16_t> const packed =
      ConeMap::pack(ConeMap::generate(HeightField::fromRgba8(rgba.get(), width, height)));
  double const seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  GLint oldTex = 0, oldAlign = 4;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &oldTex);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &oldAlign);
  if (!id) glGenTextures(1, &id);
  glBindTexture(GL_TEXTURE_2D, id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE16, width, height, 0, GL_LUMINANCE, GL_UNSIGNED_SHORT, packed.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, oldAlign);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(oldTex));
  current = true;
  w = width;
  h = height;
  con.print("cone map: %dx%d made in %.2f s\n", w, h, seconds);
  return true;
}

void ConeTexture::unload() {
  if (id) glDeleteTextures(1, &id);
  id = 0;
  current = false;
}
