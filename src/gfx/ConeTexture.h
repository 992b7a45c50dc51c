// ConeTexture: the cone map of the current heights as a 16-bit texture (the
// square root of each texel's cone ratio in R, GL_LUMINANCE16; nearest,
// repeating, no mipmaps, since a blend of two ratios may exceed the smaller),
// made from the current heights (HeightReadback) when first needed after each change of them.
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
  // Makes the map from the heights HeightReadback finds unless it is current; says on
  // the console how long that took. False when there are no heights.
  bool update(Texture const& normalMap, Texture const& heightMap);
  bool ready() const { return current && id != 0; }
  // The GL name, 0 when there is none.
  GLuint name() const { return id; }
  // The map's size in texels, 0 x 0 when there is none.
  int width() const { return ready() ? w : 0; }
  int height() const { return ready() ? h : 0; }
  void unload();

private:
  GLuint id = 0;
  bool current = false;
  int w = 0, h = 0;
};
