// The max pyramid on the GL: the texture holds the CPU pyramid at every level,
// and the bundled shader's MAX_PYRAMID search, drawn with OUTPUT_HIT over a
// square seen in perspective, meets a flat map where the geometry says and a
// bumpy map that is not a power of two where the CPU search does.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "HeightField.h"
#include "MaxPyramid.h"
#include "MaxPyramidTexture.h"
#include "Model3D.h"
#include "OffscreenTarget.h"
#include "PyramidTracer.h"
#include "ReliefProgram.h"
#include "Techniques.h"
#include "base/texture.h"
#include "testsupport/glfixture.h"

namespace {

std::string readFile(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Heights as bytes: the map itself and, as the bench's normal map holds them,
// in the alpha of flat normals (RGBA8, linear, repeating, one level).
struct Heights {
  int w, h;
  std::vector<unsigned char> bytes;

  HeightField field() const {
    std::vector<float> v(bytes.size());
    for (size_t i = 0; i < v.size(); ++i) v[i] = bytes[i] / 255.0f;
    return HeightField(w, h, v);
  }
  void upload(Texture& normalMap) const {
    std::vector<unsigned char> rgba;
    for (unsigned char b : bytes) rgba.insert(rgba.end(), {128, 128, 255, b});
    normalMap.initTextureID(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, normalMap.id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
};

// The camera looks down -z from (0, 0, distance) at a square of side 2 in the
// z = 0 plane textured once, u along x and v along y, with a 50 degree field of
// view. A pixel centre sees the point (X, Y): the fragment gets texture
// coordinate ((X + 1) / 2, (Y + 1) / 2) and, in tangent space, the eye vector
// (-X, -Y, distance).
struct Camera {
  double distance;
  int size;
  bool sees(int px, int py, float& u, float& v, float eye[3]) const {
    double const half = std::tan(25.0 * 3.14159265358979 / 180.0) * distance;
    double const x = ((px + 0.5) / size * 2.0 - 1.0) * half, y = ((py + 0.5) / size * 2.0 - 1.0) * half;
    u = static_cast<float>((x + 1.0) / 2.0);
    v = static_cast<float>((y + 1.0) / 2.0);
    eye[0] = static_cast<float>(-x);
    eye[1] = static_cast<float>(-y);
    eye[2] = static_cast<float>(distance);
    return std::fabs(x) < 0.98 && std::fabs(y) < 0.98;  // clear of the square's edge
  }
};

Model3D square() {
  Model3D m;
  m.addVtx(-1, -1, 0, 0, 0);
  m.addVtx(1, -1, 0, 1, 0);
  m.addVtx(1, 1, 0, 1, 1);
  m.addVtx(-1, 1, 0, 0, 1);
  m.addTri(0, 1, 2);
  m.addTri(2, 3, 0);
  m.computeBasii();
  return m;
}

}  // namespace

class MaxPyramidGl : public GLTest {
protected:
  // The hits (u, v per pixel, rows bottom first; NaN where nothing was drawn)
  // of the bundled shader with MAX_PYRAMID and OUTPUT_HIT at `steps`.
  std::vector<float> drawHits(Heights const& map, Camera const& cam, int steps) {
    ReliefProgram program;
    std::string const shaders = RB_DATA_DIR "/shaders/";
    std::string const macros = Techniques::macroString(Techniques::MaxPyramid, steps) + "#define OUTPUT_HIT\n";
    bool const built = program.build({"basic bumpmap.vert", readFile(shaders + "basic bumpmap.vert")},
                                     {"iterative parallax.frag", readFile(shaders + "iterative parallax.frag")}, macros);
    EXPECT_TRUE(built) << program.log();
    Texture normalMap;
    map.upload(normalMap);
    MaxPyramidTexture pyramid;
    EXPECT_TRUE(pyramid.update(normalMap));
    program.setUniforms(0.5f);
    program.setPyramidSize(pyramid.mapWidth(), pyramid.mapHeight());

    OffscreenTarget target;
    std::string error;
    EXPECT_TRUE(target.create(cam.size, cam.size, 1, GL_RGBA32F, error)) << error;
    target.bind();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(50.0, 1.0, 0.1, 50.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, cam.distance, 0, 0, 0, 0, 1, 0);
    normalMap.bind(0);
    normalMap.bind(1);
    glActiveTexture(GL_TEXTURE0 + MaxPyramidTexture::unit);
    glBindTexture(GL_TEXTURE_2D, pyramid.name());
    glActiveTexture(GL_TEXTURE0);
    program.use();
    square().render();
    ShaderProgram::useNone();
    glActiveTexture(GL_TEXTURE0 + MaxPyramidTexture::unit);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    Texture::unbindAll();
    std::vector<float> const rgba = target.readFloats(0);
    target.unbind();
    pyramid.unload();
    normalMap.unload();

    std::vector<float> hits(static_cast<size_t>(cam.size * cam.size) * 2, NAN);
    for (size_t i = 0; i < hits.size() / 2; ++i)
      if (rgba[i * 4 + 3] == 1.0f) {
        hits[i * 2] = rgba[i * 4];
        hits[i * 2 + 1] = rgba[i * 4 + 1];
      }
    return hits;
  }
};

TEST_F(MaxPyramidGl, TheTextureHoldsThePyramidAtEveryLevel) {
  // A map that is not a power of two, with random bytes.
  Heights map{24, 10, {}};
  std::mt19937 rng(2);
  for (int i = 0; i < map.w * map.h; ++i) map.bytes.push_back(static_cast<unsigned char>(rng() % 256));
  MaxPyramid const cpu(map.field());
  MaxPyramidTexture texture;
  texture.upload(cpu);
  ASSERT_TRUE(texture.ready());
  EXPECT_EQ(texture.mapWidth(), 24);
  EXPECT_EQ(texture.mapHeight(), 10);
  glBindTexture(GL_TEXTURE_2D, texture.name());
  for (int l = 0; l < cpu.levels(); ++l) {
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, l, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, l, GL_TEXTURE_HEIGHT, &h);
    ASSERT_EQ(w, cpu.width(l));
    ASSERT_EQ(h, cpu.height(l));
    std::vector<float> stored(static_cast<size_t>(w * h));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, l, GL_LUMINANCE, GL_FLOAT, stored.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    for (size_t i = 0; i < stored.size(); ++i) {
      // Floats exactly; 16-bit values rounded up, never under.
      ASSERT_GE(stored[i], cpu.level(l)[i]) << "level " << l << " cell " << i;
      ASSERT_LE(stored[i], cpu.level(l)[i] + (texture.storesFloats() ? 0.0f : 1.0f / 65535)) << "level " << l;
    }
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  texture.unload();
}

TEST_F(MaxPyramidGl, TheShaderMeetsAFlatMapWhereTheGeometrySaysAndABumpyOneWhereTheCpuSearchDoes) {
  Camera const cam{2.4, 96};
  // Flat mid-grey: the ray meets height 128/255 at t = 1 - 128/255.
  Heights flat{32, 32, std::vector<unsigned char>(32 * 32, 128)};
  std::vector<float> const flatHits = drawHits(flat, cam, 32);
  int drawn = 0;
  float worst = 0.0f;
  for (int py = 0; py < cam.size; ++py)
    for (int px = 0; px < cam.size; ++px) {
      float u, v, eye[3];
      if (!cam.sees(px, py, u, v, eye)) continue;
      size_t const i = static_cast<size_t>(py * cam.size + px) * 2;
      ASSERT_FALSE(std::isnan(flatHits[i])) << px << ", " << py;
      float const len = std::sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]);
      float const t = 1.0f - 128.0f / 255.0f, scale = t * 0.1f / (eye[2] / len) / len;
      float const eu = u - eye[0] * scale, ev = v - eye[1] * scale;
      worst = std::max(worst, std::hypot(flatHits[i] - eu, flatHits[i + 1] - ev) * 32.0f);
      ++drawn;
    }
  EXPECT_GT(drawn, 7000);
  EXPECT_LT(worst, 0.02f) << "texels";

  // Hills with noise on a 40 x 24 map: the shader's hits against the CPU
  // search's, with iterations to spare and cut short at 8 (where the
  // searches stop on the way).
  Heights hills{40, 24, {}};
  std::mt19937 rng(8);
  for (int y = 0; y < hills.h; ++y)
    for (int x = 0; x < hills.w; ++x) {
      float const hill = 0.5f + 0.35f * std::sin(x * 0.5f) * std::cos(y * 0.4f) + (rng() % 40) / 400.0f;
      hills.bytes.push_back(static_cast<unsigned char>(std::clamp(hill, 0.0f, 1.0f) * 255.0f + 0.5f));
    }
  HeightField const field = hills.field();
  MaxPyramid const cpu(field);
  PyramidTracer const tracer(field, cpu, 0.1f);
  for (int steps : {256, 8}) {
    std::vector<float> const hits = drawHits(hills, cam, steps);
    std::vector<float> errors;
    int unfinished = 0;
    for (int py = 0; py < cam.size; ++py)
      for (int px = 0; px < cam.size; ++px) {
        float u, v, eye[3];
        if (!cam.sees(px, py, u, v, eye)) continue;
        size_t const i = static_cast<size_t>(py * cam.size + px) * 2;
        PyramidHit const want = tracer.trace(u, v, eye, steps);
        unfinished += !want.found;
        errors.push_back(std::hypot((hits[i] - want.u) * 40.0f, (hits[i + 1] - want.v) * 24.0f));
      }
    std::sort(errors.begin(), errors.end());
    ASSERT_GT(errors.size(), 7000u);
    EXPECT_LT(errors[errors.size() * 95 / 100], 0.05f) << steps << " steps, texels";
    EXPECT_LT(errors[errors.size() * 99 / 100], 0.5f) << steps << " steps, texels";
    EXPECT_EQ(unfinished > 0, steps == 8) << unfinished;
    std::printf("shader against the CPU search, %d steps (%d unfinished): "
                "p50 %.4f, p95 %.4f, p99 %.4f, max %.4f texels\n",
                steps, unfinished, errors[errors.size() / 2], errors[errors.size() * 95 / 100],
                errors[errors.size() * 99 / 100], errors.back());
  }
}
