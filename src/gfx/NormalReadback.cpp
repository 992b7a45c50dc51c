// NormalReadback: level 0 of the normal map as RGB bytes.
#include "NormalReadback.h"

#include <GL/gl.h>

#include <memory>

#include "base/texture.h"

bool readNormalRgb(Texture const& normalMap, std::vector<unsigned char>& rgb, int& width, int& height,
                   std::string& error) {
  int const w = normalMap.id ? normalMap.getWidth() : 0, h = normalMap.id ? normalMap.getHeight() : 0;
  if (w <= 0 || h <= 0) {
    error = "there is no normal map";
    return false;
  }
  std::unique_ptr<unsigned char[]> const data(normalMap.getData(0, GL_RGB, GL_UNSIGNED_BYTE));
  if (!data) {
    error = "the normal map cannot be read back";
    return false;
  }
  rgb.assign(data.get(), data.get() + static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
  width = w;
  height = h;
  return true;
}
