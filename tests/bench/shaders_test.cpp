// The relief shaders on llvmpipe: every technique combination compiles and
// links behind the technique panel's macro string, each technique changes the
// rendered picture, and the plain shader lights the normal map the right way.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "BumpMap.h"
#include "Model3D.h"
#include "base/texture.h"
#include "ReliefProgram.h"
#include "Sphere.h"
#include "Techniques.h"
#include "glscene.h"

namespace {

using Frame = std::vector<unsigned char>;

enum { Parallax = 1, LimitEye = 2, Iterative = 4, IterativeLerp = 8, ShadowTrace = 16, LimitLight = 32 };

std::string macroString(int flags, int steps) { return Techniques::macroString(static_cast<unsigned>(flags), steps); }

std::string readFile(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

ReliefProgram::Source const vertSource{"basic bumpmap.vert", readFile(RB_DATA_DIR "/shaders/basic bumpmap.vert")};
ReliefProgram::Source const fragSource{"iterative parallax.frag",
                                       readFile(RB_DATA_DIR "/shaders/iterative parallax.frag")};

// The bench's program behind a macro string.
struct BenchProgram : ReliefProgram {
  explicit BenchProgram(std::string const& macros) { linked = build(vertSource, fragSource, macros); }
  bool linked;
};

// A square of side 2 in the z = 0 plane, counter-clockwise from +z, showing
// `repeats` copies of the texture each way.
Model3D square(float repeats) {
  Model3D m;
  m.addVtx(-1, -1, 0, 0, 0);
  m.addVtx(1, -1, 0, repeats, 0);
  m.addVtx(1, 1, 0, repeats, repeats);
  m.addVtx(-1, 1, 0, 0, repeats);
  m.addTri(0, 1, 2);
  m.addTri(2, 3, 0);
  m.computeBasii();
  return m;
}

struct View {
  GLdouble eye[3];
  GLdouble up[3];
  GLfloat light[4];  // world space
};

Frame draw(BenchProgram& p, Texture const& color, Texture const& normal, Model3D const& mesh, View const& v,
           GLTestContext& ctx) {
  glViewport(0, 0, ctx.width(), ctx.height());
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(50.0, 1.0, 0.1, 50.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(v.eye[0], v.eye[1], v.eye[2], 0, 0, 0, v.up[0], v.up[1], v.up[2]);
  glLightfv(GL_LIGHT0, GL_POSITION, v.light);  // under the camera: eye space
  color.bind(0);
  normal.bind(1);
  p.setUniforms(0.5f);
  p.use();
  mesh.render();
  ShaderProgram::useNone();
  Texture::unbindAll();
  Frame f = ctx.readPixels();
  ctx.swap();
  return f;
}

// Share of pixels where some channel differs by more than 16 levels.
double changed(Frame const& a, Frame const& b) {
  size_t n = 0;
  for (size_t i = 0; i + 3 < a.size(); i += 4) {
    int d = 0;
    for (int c = 0; c < 3; ++c) d = std::max(d, std::abs(a[i + static_cast<size_t>(c)] - b[i + static_cast<size_t>(c)]));
    if (d > 16) ++n;
  }
  return static_cast<double>(n) / static_cast<double>(a.size() / 4);
}

double brightness(Frame const& f) {
  double sum = 0;
  for (size_t i = 0; i + 3 < f.size(); i += 4) sum += f[i] + f[i + 1] + f[i + 2];
  return sum / static_cast<double>(f.size() / 4);
}

// Frames go to a folder for a look when RB_SAVE_FRAMES names one.
void keep(Frame const& f, std::string const& name, GLTestContext& ctx) {
  if (char const* dir = std::getenv("RB_SAVE_FRAMES")) writePNG(std::string(dir) + "/" + name + ".png", f, ctx.width(), ctx.height());
}

}  // namespace

class ReliefShaders : public ReliefGLTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(color.load2D(RB_DATA_DIR "/cheap brick.bmp"));
    ASSERT_TRUE(height.load2D(RB_DATA_DIR "/bumptest.bmp"));
    BumpMap::gen(height, normal, 100.0f);
    setLightAndMaterial();
  }
  void TearDown() override {
    color.unload();
    height.unload();
    normal.unload();
    ReliefGLTest::TearDown();
  }
  Texture color, height, normal;
};

TEST_F(ReliefShaders, EveryTechniqueCombinationCompilesAndLinks) {
  // Without any macro (the bench's first build) and with all 64 technique sets
  // at the extreme and the default step counts.
  BenchProgram first("");
  EXPECT_TRUE(first.linked) << first.log();
  for (int steps : {1, 32, 256})
    for (int flags = 0; flags < 64; ++flags) {
      BenchProgram p(macroString(flags, steps));
      ASSERT_TRUE(p.linked) << macroString(flags, steps) << p.log();
    }
}

TEST_F(ReliefShaders, TheSphereShowsNoStepAtItsTextureSeam) {
  // A white, flat-relief sphere seen head-on at longitude 0, where the seam
  // runs down the middle of the picture, lit from the camera: along the
  // equator the brightness changes no faster at the seam than beside it.
  Model3D sphereMesh;
  buildBenchSphere(sphereMesh);
  Texture white, flat;
  std::vector<unsigned char> const rgb(8 * 8 * 3, 255);
  ASSERT_TRUE(white.build2DMipmaps(8, 8, GL_RGB, GL_UNSIGNED_BYTE, rgb.data(), 0, 0));
  BumpMap::gen(white, flat, 100.0f);
  BenchProgram p(macroString(0, 32));
  View const v = {{12.0, 0.0, 0.0}, {0, 0, 1}, {12.0f, 0.0f, 0.0f, 1.0f}};
  Frame const f = draw(p, white, flat, sphereMesh, v, *ctx);
  keep(f, "seam", *ctx);
  // Rows a quarter from the top and the bottom, where the light falls off:
  // the brightness bends no more sharply at the seam (the middle column) than
  // beside it.
  int const w = ctx->width();
  int sharpestInside = 0, sharpestAtSeam = 0;
  for (int y : {ctx->height() / 4, 3 * ctx->height() / 4}) {
    auto lum = [&](int x) { return f[4 * static_cast<size_t>(y * w + x)] + f[4 * static_cast<size_t>(y * w + x) + 1]; };
    EXPECT_GT(lum(w / 2), 60) << "the sphere is lit";
    for (int x = 3 * w / 8; x < 5 * w / 8; ++x) {
      int const bend = std::abs(lum(x + 1) - 2 * lum(x) + lum(x - 1));
      int& sharpest = std::abs(x - w / 2) <= 2 ? sharpestAtSeam : sharpestInside;
      sharpest = std::max(sharpest, bend);
    }
  }
  EXPECT_LE(sharpestAtSeam, sharpestInside + 2);
  white.unload();
  flat.unload();
}

TEST_F(ReliefShaders, EachTechniqueChangesThePicture) {
  // Close up on two courses of bricks, seen at a slant and lit from low down,
  // where relief shows most.
  Model3D const mesh = square(0.5f);
  View const v = {{0.0, -1.5, 0.9}, {0, 0, 1}, {0.5f, 2.0f, 1.4f, 1.0f}};
  BenchProgram plainProgram(macroString(0, 32));
  ASSERT_TRUE(plainProgram.linked);
  Frame const plain = draw(plainProgram, color, normal, mesh, v, *ctx);
  keep(plain, "plain", *ctx);
  EXPECT_GT(brightness(plain), 30.0) << "the plain shader lights the square";

  struct Case {
    int flags, against;
    char const* name;
  } const cases[] = {
      {Parallax, 0, "parallax"},
      {LimitEye, 0, "offset-limit-eye"},
      {Iterative, 0, "iterative"},
      {IterativeLerp, 0, "iterative-lerp"},
      {ShadowTrace, 0, "shadow-trace"},
      {LimitLight, 0, "offset-limit-light"},
      // The modifiers also change what they modify.
      {Parallax | LimitEye, Parallax, "parallax-limited"},
      {Iterative | IterativeLerp, Iterative, "iterative-lerped"},
      {ShadowTrace | LimitLight, ShadowTrace, "shadow-limited"},
  };
  for (Case const& c : cases) {
    BenchProgram p(macroString(c.flags, 32));
    ASSERT_TRUE(p.linked) << c.name;
    Frame const f = draw(p, color, normal, mesh, v, *ctx);
    keep(f, c.name, *ctx);
    Frame against = plain;
    if (c.against) {
      BenchProgram q(macroString(c.against, 32));
      against = draw(q, color, normal, mesh, v, *ctx);
    }
    EXPECT_GT(changed(f, against), 0.01) << c.name;
    EXPECT_GT(brightness(f), 20.0) << c.name;
    if (c.flags == ShadowTrace) {
      EXPECT_LT(brightness(f), brightness(plain) - 1.0) << "shadows darken";
    }
  }
  // The step count reaches the search: one step and 64 steps differ.
  BenchProgram coarse(macroString(Iterative, 1)), fine(macroString(Iterative, 64));
  EXPECT_GT(changed(draw(coarse, color, normal, mesh, v, *ctx), draw(fine, color, normal, mesh, v, *ctx)), 0.01);
}

TEST_F(ReliefShaders, NormalMapSlopesFaceTheLightOnTheirSide) {
  // A saw-tooth height field rising along +u: almost every texel's normal leans
  // toward -u, so the square seen from above is brighter lit from -x than from
  // +x. This holds only if the generator's signs, the tangent frame and the
  // shader's tangent space all agree.
  Texture saw, sawNormal;
  std::vector<unsigned char> rgb;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      for (int c = 0; c < 3; ++c) rgb.push_back(static_cast<unsigned char>(x * 16));
  ASSERT_TRUE(saw.build2DMipmaps(16, 16, GL_RGB, GL_UNSIGNED_BYTE, rgb.data(), 0, 0));
  BumpMap::gen(saw, sawNormal, 10.0f);
  Model3D const mesh = square(2.0f);
  BenchProgram p(macroString(0, 32));
  View const fromLeft = {{0.0, 0.0, 3.0}, {0, 1, 0}, {-3.0f, 0.0f, 1.0f, 1.0f}};
  View const fromRight = {{0.0, 0.0, 3.0}, {0, 1, 0}, {3.0f, 0.0f, 1.0f, 1.0f}};
  Frame const left = draw(p, color, sawNormal, mesh, fromLeft, *ctx);
  Frame const right = draw(p, color, sawNormal, mesh, fromRight, *ctx);
  keep(left, "saw-left", *ctx);
  keep(right, "saw-right", *ctx);
  EXPECT_GT(brightness(left), 1.3 * brightness(right));
  // The same along v: rising along +v the normals lean toward -v (-y).
  rgb.clear();
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      for (int c = 0; c < 3; ++c) rgb.push_back(static_cast<unsigned char>(y * 16));
  ASSERT_TRUE(saw.build2DMipmaps(16, 16, GL_RGB, GL_UNSIGNED_BYTE, rgb.data(), 0, 0));
  BumpMap::gen(saw, sawNormal, 10.0f);
  View const fromBelow = {{0.0, 0.0, 3.0}, {0, 1, 0}, {0.0f, -3.0f, 1.0f, 1.0f}};
  View const fromAbove = {{0.0, 0.0, 3.0}, {0, 1, 0}, {0.0f, 3.0f, 1.0f, 1.0f}};
  EXPECT_GT(brightness(draw(p, color, sawNormal, mesh, fromBelow, *ctx)),
            1.3 * brightness(draw(p, color, sawNormal, mesh, fromAbove, *ctx)));
  saw.unload();
  sawNormal.unload();
}
