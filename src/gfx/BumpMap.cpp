// Normal-map generation on the GL: reads a height texture back, computes the
// normal map with the relief layer's arithmetic and uploads it with mipmaps.
#include "BumpMap.h"

#include <GL/gl.h>

#include <cstdio>
#include <memory>
#include <new>

#include "HeightField.h"
#include "base/texture.h"

namespace BumpMap {

namespace {

// Fills a width x height RGBA buffer with `compute` and uploads it as the
// normal map with mipmaps. Both sizes come from the GL or a height field and
// are far below the size_t limit once multiplied, but a failed allocation must
// not take the program down.
template <typename Compute>
void upload(int width, int height, Texture& normalTex, char const* who, Compute const& compute) {
  size_t const bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
  std::unique_ptr<unsigned char[]> out(new (std::nothrow) unsigned char[bytes]);
  if (!out) {
    std::fprintf(stderr, "%s: no memory for a %d x %d normal map\n", who, width, height);
    return;
  }
  compute(out.get());
  normalTex.build2DMipmaps(width, height, GL_RGBA, GL_UNSIGNED_BYTE, out.get(), 0, 0);
}

}  // namespace

void gen(Texture const& heightTex, Texture& normalTex, float scale) {
  int const width = heightTex.getWidth();
  int const height = heightTex.getHeight();
  if (width <= 0 || height <= 0) {
    std::fprintf(stderr, "BumpMap::gen: the height texture holds no image\n");
    return;
  }
  std::unique_ptr<unsigned char[]> src(heightTex.getData(0, GL_RGB, GL_UNSIGNED_BYTE));
  if (!src) {
    std::fprintf(stderr, "BumpMap::gen: could not read the height texture back\n");
    return;
  }
  upload(width, height, normalTex, "BumpMap::gen",
         [&](unsigned char* out) { NormalMap::computeNormalMap(src.get(), width, height, scale, out); });
}

void genFromHeights(HeightField const& heights, Texture& normalTex, float scale) {
  int const width = heights.width(), height = heights.height();
  upload(width, height, normalTex, "BumpMap::genFromHeights",
         [&](unsigned char* out) { NormalMap::computeNormalMapFromHeights(heights.texels(), width, height, scale, out); });
}

}  // namespace BumpMap
