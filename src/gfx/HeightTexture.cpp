// HeightTexture: uploading 16-bit heights and checking that the GL keeps them.
#include "HeightTexture.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <vector>

#include "GlGuards.h"
#include "HeightField.h"
#include "base/image.h"

char const* const HeightTexture::macro = "HEIGHT_MAP";

bool HeightTexture::load(Image const& img, std::string& error) {
  if (img.bitsPerPixel != 16 || !img.data || img.width <= 0 || img.height <= 0) {
    error = "not a 16-bit grey picture";
    return false;
  }
  return upload(img.width, img.height, reinterpret_cast<unsigned short const*>(img.data), error);
}

bool HeightTexture::load(HeightField const& field, std::string& error) {
  size_t const n = static_cast<size_t>(field.width()) * static_cast<size_t>(field.height());
  std::vector<unsigned short> texels(n);
  float const* h = field.texels();
  for (size_t i = 0; i < n; ++i) texels[i] = static_cast<unsigned short>(std::lround(h[i] * 65535.0f));
  return upload(field.width(), field.height(), texels.data(), error);
}

bool HeightTexture::upload(int width, int height, unsigned short const* texels, std::string& error) {
  TextureBindingGuard guard;
  GLuint id = 0;
  glGenTextures(1, &id);
  guard.bind(id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 2);  // the guard puts the caller's back
  glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE16, width, height, 0, GL_LUMINANCE, GL_UNSIGNED_SHORT, texels);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  GLint bits = 0, w = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_LUMINANCE_SIZE, &bits);
  if (w != width || bits < 16) {
    glDeleteTextures(1, &id);
    error = w != width ? "the GL refused a " + std::to_string(width) + "x" + std::to_string(height) + " texture"
                       : "the GL keeps only " + std::to_string(bits) + " bits of a 16-bit texture";
    return false;
  }
  tex.unload();
  tex.id = id;
  tex.target = GL_TEXTURE_2D;
  return true;
}
