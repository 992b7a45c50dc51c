// MaxPyramidTexture: building the pyramid from the current heights and uploading its levels.
#include "MaxPyramidTexture.h"

#include <GL/glext.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "HeightField.h"
#include "HeightReadback.h"
#include "MaxPyramid.h"
#include "base/console.h"
#include "base/texture.h"
#include "system/glext.h"

bool MaxPyramidTexture::update(Texture const& normalMap, Texture const& heightMap) {
  if (current && id) return true;
  std::string error;
  std::unique_ptr<HeightField> const field = readHeights(normalMap, heightMap, error);
  if (!field) return false;
  int const w = field->width(), h = field->height();
  auto const start = std::chrono::steady_clock::now();
  MaxPyramid const pyramid(*field);
  upload(pyramid);
  double const seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  con.print("max pyramid: %dx%d, %d levels, made in %.3f s\n", w, h, pyramid.levels(), seconds);
  return true;
}

void MaxPyramidTexture::upload(MaxPyramid const& pyramid) {
  GLint oldTex = 0, oldAlign = 4;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &oldTex);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &oldAlign);
  if (!id) glGenTextures(1, &id);
  glBindTexture(GL_TEXTURE_2D, id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  floats = gl_hasExt("GL_ARB_texture_float");
  std::vector<GLushort> shorts;
  for (int l = 0; l < pyramid.levels(); ++l) {
    std::vector<float> const& cells = pyramid.level(l);
    if (floats) {
      glTexImage2D(GL_TEXTURE_2D, l, GL_LUMINANCE32F_ARB, pyramid.width(l), pyramid.height(l), 0, GL_LUMINANCE,
                   GL_FLOAT, cells.data());
    } else {
      shorts.resize(cells.size());
      for (size_t i = 0; i < cells.size(); ++i) shorts[i] = static_cast<GLushort>(std::ceil(cells[i] * 65535.0f));
      glTexImage2D(GL_TEXTURE_2D, l, GL_LUMINANCE16, pyramid.width(l), pyramid.height(l), 0, GL_LUMINANCE,
                   GL_UNSIGNED_SHORT, shorts.data());
    }
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, pyramid.levels() - 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  GLint bits = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_LUMINANCE_SIZE, &bits);
  if (bits < 16)
    con.print("max pyramid: the GL keeps %d bits per value; the search may pass under 16-bit heights\n",
              static_cast<int>(bits));
  glPixelStorei(GL_UNPACK_ALIGNMENT, oldAlign);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(oldTex));
  mapW = pyramid.mapWidth();
  mapH = pyramid.mapHeight();
  current = true;
}

void MaxPyramidTexture::unload() {
  if (id) glDeleteTextures(1, &id);
  id = 0;
  current = false;
  mapW = mapH = 0;
}
