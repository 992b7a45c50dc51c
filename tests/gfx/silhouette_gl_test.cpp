// CURVED_SILHOUETTE on the GL, drawn with OUTPUT_HIT: on the flat plane, whose
// curvature is 0, every hit is the one without it; on the sphere seen at its
// rim, the rays that leave the curved layer are discarded, and no others, and
// the pyramid walk meets that layer where the march does; on a flat mesh
// mapped unevenly, the eye ray runs over the texture in the mesh's own units.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "MaxPyramidTexture.h"
#include "Model3D.h"
#include "OffscreenTarget.h"
#include "Plane.h"
#include "ReliefProgram.h"
#include "ShaderFile.h"
#include "Sphere.h"
#include "Techniques.h"
#include "TextureUnits.h"
#include "base/texture.h"
#include "testsupport/glfixture.h"

namespace {

ReliefProgram::Source source(std::string const& name) {
  ShaderFile file;
  std::string error;
  EXPECT_TRUE(file.read(RB_DATA_DIR "/shaders/" + name, error)) << error;
  return {name, file.text()};
}

int const view = 128;  // pixels each way

struct Camera {
  GLdouble eye[3], up[3];
};

// A normal map of flat normals whose alpha holds the heights (w x h bytes),
// with its max pyramid.
struct Maps {
  Maps(int w, int h, std::vector<unsigned char> const& heights) {
    std::vector<unsigned char> rgba;
    for (unsigned char b : heights) rgba.insert(rgba.end(), {128, 128, 255, b});
    normal.initTextureID(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, normal.id);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_TRUE(pyramid.update(normal, Texture()));
    width = w;
    height = h;
  }
  ~Maps() {
    pyramid.unload();
    normal.unload();
  }
  Texture normal;
  MaxPyramidTexture pyramid;
  int width, height;
};

// The pixels (four floats each: the hit's u and v, the shadow, 1; all 0 where
// nothing was drawn or the fragment was discarded; rows bottom first) of the
// bundled shaders with `set` and OUTPUT_HIT at Poly Depth 2, the mesh seen
// from `cam` towards the origin with a 50 degree field of view.
std::vector<float> drawHits(Model3D const& mesh, Camera const& cam, Maps const& maps, unsigned set, int steps = 64) {
  ReliefProgram program;
  std::string const macros = Techniques::macroString(set, steps) + Techniques::buildLines(set) + "#define OUTPUT_HIT\n";
  EXPECT_TRUE(program.build(source("basic bumpmap.vert"), source("iterative parallax.frag"), macros))
      << macros << program.log();
  program.setUniforms(2.0f);
  program.setPyramidSize(maps.width, maps.height);
  OffscreenTarget target;
  std::string error;
  EXPECT_TRUE(target.create(view, view, 1, GL_RGBA32F, error)) << error;
  target.bind();
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(50.0, 1.0, 0.1, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(cam.eye[0], cam.eye[1], cam.eye[2], 0, 0, 0, cam.up[0], cam.up[1], cam.up[2]);
  maps.normal.bind(1);
  glActiveTexture(GL_TEXTURE0 + TextureUnits::MaxPyramid);
  glBindTexture(GL_TEXTURE_2D, maps.pyramid.name());
  glActiveTexture(GL_TEXTURE0);
  program.use();
  mesh.render();
  ShaderProgram::useNone();
  glActiveTexture(GL_TEXTURE0 + TextureUnits::MaxPyramid);
  glBindTexture(GL_TEXTURE_2D, 0);
  glActiveTexture(GL_TEXTURE0);
  Texture::unbindAll();
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  std::vector<float> out = target.readFloats(0);
  target.unbind();
  return out;
}

unsigned const lerp = Techniques::Iterative | Techniques::IterativeLerp;
unsigned const curved = Techniques::CurvedSilhouette;

}  // namespace

// Hills with noise on the plane seen at 75 degrees from its normal: the same
// pixels drawn, each with the same hit, with the march and with the pyramid.
TEST_F(GLTest, OnTheFlatPlaneTheCurvedSilhouetteChangesNoHit) {
  int const w = 64, h = 64;
  std::mt19937 rng(31);
  std::vector<unsigned char> hills;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float const hill = 0.5f + 0.4f * std::sin(x * 0.4f) * std::cos(y * 0.3f) + (rng() % 20) / 200.0f;
      hills.push_back(static_cast<unsigned char>(std::clamp(hill, 0.0f, 1.0f) * 255.0f + 0.5f));
    }
  Maps const maps(w, h, hills);
  Model3D plane;
  buildBenchPlane(plane);
  double const a = 75.0 * M_PI / 180.0;
  Camera const cam = {{-9.0 * std::cos(a), 0.0, 9.0 * std::sin(a)}, {0, 1, 0}};
  for (unsigned search : {lerp, unsigned(Techniques::MaxPyramid)}) {
    std::vector<float> const flat = drawHits(plane, cam, maps, search), bent = drawHits(plane, cam, maps, search | curved);
    ASSERT_EQ(flat.size(), bent.size());
    int drawn = 0, moved = 0, hidden = 0;
    for (size_t i = 0; i < flat.size(); i += 4) {
      if (flat[i + 3] < 0.5f) continue;
      ++drawn;
      if (bent[i + 3] < 0.5f)
        ++hidden;
      else if (std::fabs(flat[i] - bent[i]) > 1e-6f || std::fabs(flat[i + 1] - bent[i + 1]) > 1e-6f)
        ++moved;
    }
    EXPECT_GT(drawn, view * view / 8) << Techniques::name(search);
    EXPECT_EQ(hidden, 0) << Techniques::name(search);
    EXPECT_EQ(moved, 0) << Techniques::name(search);
  }
}

// An all-black height map (the whole relief at its bottom) on the sphere at
// Poly Depth 2, seen from 14 away: around the equator the layer falls 0.098
// texture units of depth per squared texture unit, and the relief is 0.4
// deep, so a ray at more than 68 degrees from the normal turns back out of
// the layer before it reaches the bottom, and one at less reaches it there.
// Pixels at over 78 degrees that the mesh draws without CURVED_SILHOUETTE
// (away from the poles) are discarded with it; those under 60 degrees are
// drawn with it.
TEST_F(GLTest, OnTheSphereTheRaysThatLeaveTheCurvedLayerAreDiscarded) {
  Maps const maps(8, 8, std::vector<unsigned char>(64, 0));
  Model3D sphere;
  buildBenchSphere(sphere);
  Camera const cam = {{-14.0, 0.0, 0.0}, {0, 0, 1}};
  // Each pixel's angle on the true sphere, from its ray through the same view
  // (-1 off it or near the poles).
  std::vector<double> angle(static_cast<size_t>(view * view), -1.0);
  double const half = std::tan(25.0 * M_PI / 180.0);
  for (int py = 0; py < view; ++py)
    for (int px = 0; px < view; ++px) {
      // The camera looks along +x with +z up; +y lies to its left.
      double const sx = ((px + 0.5) / view * 2.0 - 1.0) * half, sy = ((py + 0.5) / view * 2.0 - 1.0) * half;
      double d[3] = {1.0, -sx, sy};
      double const len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
      for (double& c : d) c /= len;
      double const b = -14.0 * d[0], disc = b * b - (196.0 - 16.0);
      if (disc < 0) continue;
      double const t = -b - std::sqrt(disc);
      double const p[3] = {-14.0 + t * d[0], t * d[1], t * d[2]};
      if (std::fabs(p[2]) > 2.5) continue;
      double const cosine = -(p[0] * d[0] + p[1] * d[1] + p[2] * d[2]) / 4.0;
      angle[static_cast<size_t>(py * view + px)] = std::acos(std::min(1.0, cosine)) * 180.0 / M_PI;
    }
  for (unsigned search : {lerp, unsigned(Techniques::MaxPyramid)}) {
    std::vector<float> const flat = drawHits(sphere, cam, maps, search), bent = drawHits(sphere, cam, maps, search | curved);
    int rim = 0, rimKept = 0, inside = 0, insideKept = 0;
    for (size_t i = 0; i < angle.size(); ++i) {
      bool const drawnFlat = flat[4 * i + 3] > 0.5f, drawnBent = bent[4 * i + 3] > 0.5f;
      if (angle[i] > 78.0 && drawnFlat) {  // the mesh's facets lie inside the true outline
        ++rim;
        rimKept += drawnBent;
      } else if (angle[i] >= 0.0 && angle[i] < 60.0) {
        ++inside;
        insideKept += drawnBent;
      }
    }
    ASSERT_GT(rim, 80) << "the view shows the rim";
    ASSERT_GT(inside, view * view / 8);
    EXPECT_LE(rimKept, rim / 100) << Techniques::name(search) << ": " << rim << " pixels at the rim";
    EXPECT_EQ(insideKept, inside) << Techniques::name(search);
  }
}

// Low hills (heights 0.02 to 0.27) on the sphere, seen at its rim, so that
// many rays meet them past a depth of 1 on the straight ray, where only the
// curved layer lets them go: the pyramid's exact walk through that layer and
// the march at 256 steps find the same hits but for the few pixels where the
// march steps over a crest, and discard the same pixels. (Each search bends
// the ray its own way in the shader.)
TEST_F(GLTest, OnTheSphereThePyramidAndTheMarchMeetTheCurvedLayerAlike) {
  int const w = 64, h = 64;
  std::mt19937 rng(31);
  std::vector<unsigned char> hills;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float const hill = 0.12f + 0.1f * std::sin(x * 0.3f) * std::cos(y * 0.2f) + (rng() % 10) / 200.0f;
      hills.push_back(static_cast<unsigned char>(std::clamp(hill, 0.0f, 1.0f) * 255.0f + 0.5f));
    }
  Maps const maps(w, h, hills);
  Model3D sphere;
  buildBenchSphere(sphere);
  Camera const cam = {{-14.0, 0.0, 0.0}, {0, 0, 1}};
  std::vector<float> const march = drawHits(sphere, cam, maps, lerp | curved, 256);
  std::vector<float> const walk = drawHits(sphere, cam, maps, Techniques::MaxPyramid | curved, 1024);
  std::vector<float> const straight = drawHits(sphere, cam, maps, lerp);
  int drawn = 0, discarded = 0, disagree = 0;
  std::vector<double> off;
  for (size_t i = 0; i < march.size(); i += 4) {
    bool const m = march[i + 3] > 0.5f, p = walk[i + 3] > 0.5f;
    drawn += m;
    discarded += straight[i + 3] > 0.5f && !m;
    disagree += m != p;
    if (m && p) off.push_back(std::hypot((march[i] - walk[i]) * w, (march[i + 1] - walk[i + 1]) * h));
  }
  ASSERT_GT(drawn, view * view / 4);
  EXPECT_GT(discarded, 50) << "the curved layer discards at the rim";
  EXPECT_LE(disagree, drawn / 200);
  std::sort(off.begin(), off.end());
  EXPECT_LT(off[off.size() * 95 / 100], 0.1) << "texels";
  EXPECT_LT(off[off.size() * 99 / 100], 0.5) << "texels";
}

// A flat grey map (height 128/255) on a flat square of side 2 mapped 4 times
// along x and 2 times along y, so that a texture unit is 0.5 long along u and
// 1 along v and one of depth sqrt(0.5): the point the eye ray meets lies
// (1 - 128/255) * 0.4 * sqrt(0.5) under the square along the ray, and its
// texture coordinate is its place over the square in those units. With
// CURVED_SILHOUETTE every hit is there (the curvature is 0); without it the
// reach is taken as long along u as along v, and hits lie elsewhere.
TEST_F(GLTest, TheCurvedLayerMeasuresTheEyeRayInTheMeshsTextureUnits) {
  Maps const maps(8, 8, std::vector<unsigned char>(64, 128));
  Model3D square;
  for (int k = 0; k < 4; ++k) {
    float const x = k == 1 || k == 2 ? 1.0f : -1.0f, y = k >= 2 ? 1.0f : -1.0f;
    square.addVtx(x, y, 0, 2.0f * (x + 1.0f), y + 1.0f);
  }
  for (int k : {0, 2}) square.addTri(k, k + 1, (k + 2) % 4);
  square.computeBasii();
  // 60 degrees from the normal, from a direction between +x and +y.
  double const e = 4.0 * std::sin(M_PI / 3.0) / std::sqrt(2.0);
  Camera const cam = {{e, -e, 4.0 * std::cos(M_PI / 3.0)}, {0, 0, 1}};
  double const sink = (1.0 - 128.0 / 255.0) * 0.4 * std::sqrt(0.5);
  for (unsigned extra : {0u, curved}) {
    std::vector<float> const hits = drawHits(square, cam, maps, lerp | extra);
    GLdouble model[16], proj[16];
    GLint const viewport[4] = {0, 0, view, view};
    glMatrixMode(GL_PROJECTION);  // drawHits leaves the view's matrices set
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glMatrixMode(GL_MODELVIEW);
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    std::vector<double> off;
    for (int py = 0; py < view; ++py)
      for (int px = 0; px < view; ++px) {
        size_t const i = 4 * static_cast<size_t>(py * view + px);
        if (hits[i + 3] < 0.5f) continue;
        double n[3], f[3];
        gluUnProject(px + 0.5, py + 0.5, 0.0, model, proj, viewport, &n[0], &n[1], &n[2]);
        gluUnProject(px + 0.5, py + 0.5, 1.0, model, proj, viewport, &f[0], &f[1], &f[2]);
        double const toPlane = n[2] / (n[2] - f[2]), below = sink / (n[2] - f[2]);
        double const x0 = n[0] + (f[0] - n[0]) * toPlane, y0 = n[1] + (f[1] - n[1]) * toPlane;
        if (std::fabs(x0) > 0.9 || std::fabs(y0) > 0.9) continue;  // away from the square's edges
        double const x = x0 + (f[0] - n[0]) * below, y = y0 + (f[1] - n[1]) * below;
        off.push_back(std::hypot(hits[i] - 2.0 * (x + 1.0), hits[i + 1] - (y + 1.0)));
      }
    ASSERT_GT(off.size(), static_cast<size_t>(view * view / 8));
    std::sort(off.begin(), off.end());
    if (extra)
      EXPECT_LT(off.back(), 2e-3) << "texture units";
    else
      EXPECT_GT(off[off.size() / 2], 0.02) << "texture units";
  }
}
