// ConeTexture: the relaxed cone map of the current heights as an 8-bit texture
// (the square root of each texel's cone ratio in R; nearest, repeating, no
// mipmaps, since a blend of two ratios may exceed the smaller), made from the
// normal map's heights when first needed after each change of them.
#pragma once

#include <GL/gl.h>

class Texture;

class ConeTexture {
public:
  ConeTexture() = default;
  ~ConeTexture() = default;
  ConeTexture(ConeTexture const&) = delete;
  ConeTexture& operator=(ConeTexture const&) = delete;

  // The heights changed: the map is made again when next asked for.
  void invalidate() { current = false; }
  // Makes the map from the normal map's alpha unless it is current; says on
  // the console how long that took. False when there are no heights.
  bool update(Texture const& normalMap);
  bool ready() const { return current && id != 0; }
  // The GL name, 0 when there is none.
  GLuint name() const { return id; }
  void unload();

private:
  GLuint id = 0;
  bool current = false;
};
