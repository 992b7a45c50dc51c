// HeightTexture: a height map of its own beside the normal map, 16 bits per
// texel (GL_LUMINANCE16: the height in R), for maps whose heights must not be
// cut to the normal map's 8-bit alpha.
#pragma once

#include <string>

#include "base/texture.h"

class HeightField;
class Image;

// Linear, mipmapped (the GL makes the levels), repeating, so that the shader
// reads it as it reads the normal map. The bundled fragment shader reads it on
// texture unit TextureUnits::Height (sampler heightMap) when the program is
// built with the macro `macro`.
class HeightTexture {
public:
  static char const* const macro;  // "HEIGHT_MAP"

  HeightTexture() = default;
  ~HeightTexture() = default;
  HeightTexture(HeightTexture const&) = delete;
  HeightTexture& operator=(HeightTexture const&) = delete;

  // Replaces the texture with a 16-bit grey image (Image's 16-bit form). False,
  // with the reason in `error` and the texture as it was, for another depth or
  // when the GL keeps fewer than 16 bits.
  bool load(Image const& grey16, std::string& error);
  // Replaces the texture with heights in [0, 1], rounded to 16 bits.
  bool load(HeightField const& field, std::string& error);
  bool present() const { return tex.id != 0; }
  Texture const& texture() const { return tex; }
  void unload() { tex.unload(); }

private:
  bool upload(int width, int height, unsigned short const* texels, std::string& error);

  Texture tex;
};
