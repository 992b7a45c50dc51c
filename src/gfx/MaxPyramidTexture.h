// MaxPyramidTexture: the max pyramid of the current heights as a texture with one GL level per pyramid level (nearest, float where the GL has it, else 16-bit), made from the current heights (HeightReadback) when first needed after each change of them.
#pragma once

#include <GL/gl.h>

class MaxPyramid;
class Texture;

// Level L of the texture is level L of the pyramid (MaxPyramid.h): level 0 is
// the map's size padded to powers of two, each level halves it, the last is
// one texel. The shader reads it with explicit levels on texture unit
// TextureUnits::MaxPyramid (sampler maxPyramid) and needs the map's size (ReliefProgram::setPyramidSize).
// Values are stored as 32-bit floats with GL_ARB_texture_float, otherwise as
// 16-bit normalised values rounded up, so a stored maximum never lies under
// the heights it bounds.
class MaxPyramidTexture {
public:
  MaxPyramidTexture() = default;
  ~MaxPyramidTexture() = default;
  MaxPyramidTexture(MaxPyramidTexture const&) = delete;
  MaxPyramidTexture& operator=(MaxPyramidTexture const&) = delete;

  // The heights changed: the pyramid is made again when next asked for.
  void invalidate() { current = false; }
  // Makes the pyramid from the heights HeightReadback finds unless it is current; says
  // on the console how long that took. False when there are no heights.
  bool update(Texture const& normalMap, Texture const& heightMap);
  // Uploads a pyramid made elsewhere and makes it current.
  void upload(MaxPyramid const& pyramid);
  bool ready() const { return current && id != 0; }
  // The GL name, 0 when there is none.
  GLuint name() const { return id; }
  // The size of the height map it was made from (0 before the first upload).
  int mapWidth() const { return mapW; }
  int mapHeight() const { return mapH; }
  // Whether the stored values are floats (else 16-bit normalised).
  bool storesFloats() const { return floats; }
  void unload();

private:
  GLuint id = 0;
  bool current = false;
  bool floats = false;
  int mapW = 0, mapH = 0;
};
