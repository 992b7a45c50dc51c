// The heights of a normal map read back from the GL.
#include "HeightReadback.h"

#include <GL/gl.h>

#include "base/texture.h"

std::unique_ptr<HeightField> readHeights(Texture const& normalMap, std::string& error) {
  int const w = normalMap.id ? normalMap.getWidth() : 0, h = normalMap.id ? normalMap.getHeight() : 0;
  if (w <= 0 || h <= 0) {
    error = "there is no height map";
    return nullptr;
  }
  std::unique_ptr<unsigned char[]> rgba(normalMap.getData(0, GL_RGBA, GL_UNSIGNED_BYTE));
  if (!rgba) {
    error = "the normal map cannot be read back";
    return nullptr;
  }
  return std::unique_ptr<HeightField>(new HeightField(HeightField::fromRgba8(rgba.get(), w, h)));
}
