// Hit passes for the GL tests: a mesh drawn with the bundled shaders and OUTPUT_HIT into a float target.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ConeMap.h"
#include "ConeTexture.h"
#include "MaxPyramidTexture.h"
#include "Model3D.h"
#include "OffscreenTarget.h"
#include "ReliefProgram.h"
#include "ShaderFile.h"
#include "TextureUnits.h"
#include "base/texture.h"

namespace hitpass {

inline ReliefProgram::Source bundled(std::string const& name) {
  ShaderFile file;
  std::string error;
  EXPECT_TRUE(file.read(RB_DATA_DIR "/shaders/" + name, error)) << error;
  return {name, file.text()};
}

// A normal map of flat normals whose alpha holds w x h heights (bytes), its
// max pyramid and its cone map of the given kind.
struct FlatMaps {
  FlatMaps(int w, int h, std::vector<unsigned char> const& heights, ConeMap::Kind kind = ConeMap::Kind::Relaxed)
      : w(w), h(h) {
    std::vector<unsigned char> rgba;
    for (unsigned char b : heights) rgba.insert(rgba.end(), {128, 128, 255, b});
    normal.initTextureID(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, normal.id);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_TRUE(maxima.update(normal, Texture()));
    cones.setKind(kind);
    EXPECT_TRUE(cones.update(normal, Texture()));
  }
  ~FlatMaps() {
    cones.unload();
    maxima.unload();
    normal.unload();
  }
  int w, h;
  Texture normal;
  MaxPyramidTexture maxima;
  ConeTexture cones;
};

// A view of size x size pixels from `eye` towards the origin, 50 degrees
// wide; draw() fills in its matrices.
struct View {
  int size;
  GLdouble eye[3], up[3], model[16], proj[16];
  // A point `n` and the unit direction `d` of the pixel's ray.
  void ray(int px, int py, double n[3], double d[3]) const {
    GLint const viewport[4] = {0, 0, size, size};
    double f[3], len = 0;
    gluUnProject(px + 0.5, py + 0.5, 0.0, model, proj, viewport, &n[0], &n[1], &n[2]);
    gluUnProject(px + 0.5, py + 0.5, 1.0, model, proj, viewport, &f[0], &f[1], &f[2]);
    for (int k = 0; k < 3; ++k) len += (f[k] - n[k]) * (f[k] - n[k]);
    for (int k = 0; k < 3; ++k) d[k] = (f[k] - n[k]) / std::sqrt(len);
  }
};

// The pixels (u, v, shadow, 1, rows bottom first; 0 where nothing was drawn or
// the fragment was discarded) of the mesh with `macros` and OUTPUT_HIT at
// polyThickness; with `bytes`, also the same target read back as bytes.
inline std::vector<float> draw(Model3D const& mesh, View& v, FlatMaps const& maps, std::string const& macros,
                               float polyThickness, std::vector<unsigned char>* bytes = nullptr) {
  ReliefProgram program;
  EXPECT_TRUE(program.build(bundled("basic bumpmap.vert"), bundled("iterative parallax.frag"), macros + "#define OUTPUT_HIT\n"))
      << macros << program.log();
  program.setUniforms(polyThickness, maps.cones.width(), maps.cones.height());
  program.setPyramidSize(maps.w, maps.h);
  OffscreenTarget target;
  std::string error;
  EXPECT_TRUE(target.create(v.size, v.size, 1, GL_RGBA32F, error)) << error;
  target.bind();
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(50.0, 1.0, 0.1, 100.0);
  glGetDoublev(GL_PROJECTION_MATRIX, v.proj);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(v.eye[0], v.eye[1], v.eye[2], 0, 0, 0, v.up[0], v.up[1], v.up[2]);
  glGetDoublev(GL_MODELVIEW_MATRIX, v.model);
  maps.normal.bind(1);
  glActiveTexture(GL_TEXTURE0 + TextureUnits::Cone);
  glBindTexture(GL_TEXTURE_2D, maps.cones.name());
  glActiveTexture(GL_TEXTURE0 + TextureUnits::MaxPyramid);
  glBindTexture(GL_TEXTURE_2D, maps.maxima.name());
  program.use();
  mesh.render();
  ShaderProgram::useNone();
  glBindTexture(GL_TEXTURE_2D, 0);
  glActiveTexture(GL_TEXTURE0 + TextureUnits::Cone);
  glBindTexture(GL_TEXTURE_2D, 0);
  glActiveTexture(GL_TEXTURE0);
  Texture::unbindAll();
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  std::vector<float> out = target.readFloats(0);
  if (bytes) *bytes = target.readBytes(0);
  target.unbind();
  return out;
}

}  // namespace hitpass
