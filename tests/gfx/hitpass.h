// Hit passes for the GL tests: a mesh drawn with the bundled shaders and OUTPUT_HIT into a float target.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ConeMap.h"
#include "ConeTexture.h"
#include "HeightField.h"
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

// Clears the bound target and looks from `eye` at the origin, 50 degrees
// wide, culling back faces.
inline void look(GLdouble const eye[3], GLdouble const up[3], double far) {
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(50.0, 1.0, 0.1, far);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(eye[0], eye[1], eye[2], 0, 0, 0, up[0], up[1], up[2]);
}

// A square of side 2 in the z = 0 plane, counter-clockwise from +z, showing
// `uRepeats` copies of the texture along x and `vRepeats` along y.
inline Model3D squareMesh(float uRepeats = 1.0f, float vRepeats = 1.0f) {
  Model3D m;
  for (auto [x, y] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) m.addVtx(x, y, 0, uRepeats * (x + 1) / 2, vRepeats * (y + 1) / 2);
  for (int k : {0, 2}) m.addTri(k, k + 1, (k + 2) % 4);
  m.computeBasii();
  return m;
}

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
  look(v.eye, v.up, 100.0);
  glGetDoublev(GL_PROJECTION_MATRIX, v.proj);
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

// The square of side 2 in the z = 0 plane, textured once (u along x, v along
// y), seen down -z from (0, 0, 2.4) with a 50 degree field of view by a view
// of `size` pixels each way.
struct Square {
  static constexpr double distance = 2.4;
  int size;
  Model3D mesh = squareMesh();
  explicit Square(int size) : size(size) {}
  // A pixel centre sees the point (X, Y): the fragment gets texture coordinate
  // ((X + 1) / 2, (Y + 1) / 2) and the tangent-space eye vector (-X, -Y,
  // distance). False for pixels near the square's edge or off it.
  bool sees(int px, int py, float& u, float& v, float eye[3]) const {
    double const half = std::tan(25.0 * 3.14159265358979 / 180.0) * distance;
    double const x = ((px + 0.5) / size * 2.0 - 1.0) * half, y = ((py + 0.5) / size * 2.0 - 1.0) * half;
    u = static_cast<float>((x + 1.0) / 2.0);
    v = static_cast<float>((y + 1.0) / 2.0);
    eye[0] = static_cast<float>(-x);
    eye[1] = static_cast<float>(-y);
    eye[2] = static_cast<float>(distance);
    return std::fabs(x) < 0.98 && std::fabs(y) < 0.98;
  }
  std::vector<float> draw(FlatMaps const& maps, std::string const& macros, std::vector<unsigned char>* bytes = nullptr) const {
    View v = {size, {0, 0, distance}, {0, 1, 0}, {}, {}};
    return hitpass::draw(mesh, v, maps, macros, 0.5f, bytes);
  }
  // The texel distance of each seen pixel's hit (four floats a pixel, rows
  // bottom first) from the hit `trace(u, v, eye)` gives (its u, v and found)
  // on a w x h map, sorted; `unfinished` counts the traces that found nothing.
  template <class Trace>
  std::vector<float> errors(std::vector<float> const& hits, int w, int h, Trace trace, int& unfinished) const {
    std::vector<float> out;
    unfinished = 0;
    for (int py = 0; py < size; ++py)
      for (int px = 0; px < size; ++px) {
        float u, v, eye[3];
        if (!sees(px, py, u, v, eye)) continue;
        size_t const i = static_cast<size_t>(py * size + px) * 4;
        auto const want = trace(u, v, eye);
        unfinished += !want.found;
        out.push_back(std::hypot((hits[i] - want.u) * w, (hits[i + 1] - want.v) * h));
      }
    std::sort(out.begin(), out.end());
    return out;
  }
};

// Hills with noise, w x h, as bytes and as the height field the bytes stand for.
struct Hills {
  std::vector<unsigned char> bytes;
  HeightField field;
};
inline Hills hills(int w, int h, float amp, float fx, float fy, unsigned noise) {
  std::mt19937 rng(8);
  std::vector<unsigned char> bytes;
  std::vector<float> heights;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float const hill = 0.5f + amp * std::sin(x * fx) * std::cos(y * fy) + (rng() % noise) / 400.0f;
      bytes.push_back(static_cast<unsigned char>(std::clamp(hill, 0.0f, 1.0f) * 255.0f + 0.5f));
      heights.push_back(bytes.back() / 255.0f);
    }
  return {bytes, HeightField(w, h, heights)};
}

}  // namespace hitpass
