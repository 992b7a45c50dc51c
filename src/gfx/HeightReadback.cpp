// HeightReadback: the heights read back from the separate height map or from
// the normal map's alpha.
#include "HeightReadback.h"

#include <GL/gl.h>

#include "base/texture.h"

namespace {

// The size of a texture's level 0, 0 x 0 for none.
void sizeOf(Texture const& t, int& w, int& h) {
  w = t.id ? t.getWidth() : 0;
  h = t.id ? t.getHeight() : 0;
}

}  // namespace

std::unique_ptr<HeightField> readHeights(Texture const& normalMap, Texture const& heightMap, std::string& error) {
  bool const separate = heightMap.id != 0;
  Texture const& source = separate ? heightMap : normalMap;
  int w = 0, h = 0;
  sizeOf(source, w, h);
  if (w <= 0 || h <= 0) {
    error = "there is no height map";
    return nullptr;
  }
  if (separate) {
    std::unique_ptr<unsigned char[]> grey(source.getData(0, GL_LUMINANCE, GL_UNSIGNED_SHORT));
    if (!grey) {
      error = "the height map cannot be read back";
      return nullptr;
    }
    return std::unique_ptr<HeightField>(
        new HeightField(HeightField::fromGrey16(reinterpret_cast<unsigned short const*>(grey.get()), w, h)));
  }
  std::unique_ptr<unsigned char[]> rgba(source.getData(0, GL_RGBA, GL_UNSIGNED_BYTE));
  if (!rgba) {
    error = "the normal map cannot be read back";
    return nullptr;
  }
  return std::unique_ptr<HeightField>(new HeightField(HeightField::fromRgba8(rgba.get(), w, h)));
}
