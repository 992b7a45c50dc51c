// HitTexture: one RGBA value of 32-bit floats per pixel of a view, as a
// texture a fragment shader reads at its own pixel (nearest, no mipmaps,
// clamped): the traced hits a reference frame is shaded from.
#pragma once

#include <GL/gl.h>

#include <string>

class HitTexture {
public:
  HitTexture() = default;
  ~HitTexture() { release(); }
  HitTexture(HitTexture const&) = delete;
  HitTexture& operator=(HitTexture const&) = delete;

  // Replaces the texture with width x height RGBA floats, rows bottom first
  // (as a view's pixels are read back). False, with the reason, when the GL
  // has no float textures or refuses the size; the texture is then gone.
  bool load(int width, int height, float const* rgba, std::string& error);
  void release();

  // Binds it on texture unit `unit` (unit 0 stays the active one); unbind()
  // empties that unit.
  void bind(int unit) const;
  static void unbind(int unit);

  bool present() const { return id != 0; }

private:
  GLuint id = 0;
};
