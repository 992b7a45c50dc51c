// ConeTexture: generation and upload of the cone map.
#include "ConeTexture.h"

#include <chrono>
#include <memory>
#include <string>

#include "ConeMap.h"
#include "GlGuards.h"
#include "HeightReadback.h"
#include "base/console.h"
#include "base/texture.h"

bool ConeTexture::update(Texture const& normalMap, Texture const& heightMap) {
  if (current && id) return true;
  std::string error;
  std::unique_ptr<HeightField> const field = readHeights(normalMap, heightMap, error);
  if (!field) return false;
  int const width = field->width(), height = field->height();
  auto const start = std::chrono::steady_clock::now();
  std::vector<uint16_t> const packed = ConeMap::pack(ConeMap::generate(*field));
  double const seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  TextureBindingGuard guard;
  if (!id) glGenTextures(1, &id);
  guard.bind(id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE16, width, height, 0, GL_LUMINANCE, GL_UNSIGNED_SHORT, packed.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
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
