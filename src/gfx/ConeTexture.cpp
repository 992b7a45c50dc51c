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
  int const w = normalMap.id ? normalMap.getWidth() : 0, h = normalMap.id ? normalMap.getHeight() : 0;
  if (w <= 0 || h <= 0) return false;
  std::unique_ptr<unsigned char[]> rgba(normalMap.getData(0, GL_RGBA, GL_UNSIGNED_BYTE));
  if (!rgba) return false;
  auto const start = std::chrono::steady_clock::now();
  std::vector<unsigned char> const packed =
      ConeMap::pack(ConeMap::generate(HeightField::fromRgba8(rgba.get(), w, h)));
  double const seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  GLint oldTex = 0, oldAlign = 4;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &oldTex);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &oldAlign);
  if (!id) glGenTextures(1, &id);
  glBindTexture(GL_TEXTURE_2D, id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE8, w, h, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, packed.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, oldAlign);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(oldTex));
  current = true;
  con.print("cone map: %dx%d made in %.2f s\n", w, h, seconds);
  return true;
}

void ConeTexture::unload() {
  if (id) glDeleteTextures(1, &id);
  id = 0;
  current = false;
}
