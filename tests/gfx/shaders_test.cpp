// The relief shaders on llvmpipe: every technique combination compiles and
// links behind the panel's macro string, the plain shader lights the normal
// map's slopes on the side the light is on, logs name the user's lines, and
// written depth puts the relief where it is. (How close each technique comes
// to the truth is measured in the module's tests with the fidelity meter.)
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "BumpMap.h"
#include "Model3D.h"
#include "base/texture.h"
#include "ReliefProgram.h"
#include "Techniques.h"
#include "hitpass.h"
#include "testsupport/glfixture.h"

namespace {

using Frame = std::vector<unsigned char>;

std::string macroString(int flags, int steps) { return Techniques::macroString(static_cast<unsigned>(flags), steps); }

ReliefProgram::Source const vertSource = hitpass::bundled("basic bumpmap.vert"),
                            fragSource = hitpass::bundled("iterative parallax.frag");

// The bench's program behind a macro string.
struct BenchProgram : ReliefProgram {
  explicit BenchProgram(std::string const& macros) { linked = build(vertSource, fragSource, macros); }
  bool linked;
};

struct View { GLdouble eye[3], up[3]; GLfloat light[4]; };  // the light in world space

// One frame of the mesh; with `depth`, also its depth buffer, read before the frame is presented.
Frame draw(BenchProgram& p, Texture const& color, Texture const& normal, Model3D const& mesh, View const& v,
           GLTestContext& ctx, std::vector<float>* depth = nullptr) {
  glViewport(0, 0, ctx.width(), ctx.height());
  hitpass::look(v.eye, v.up, 50.0);
  glLightfv(GL_LIGHT0, GL_POSITION, v.light);  // under the camera: eye space
  color.bind(0);
  normal.bind(1);
  p.setUniforms(0.5f, 0, 0);
  p.use();
  mesh.render();
  ShaderProgram::useNone();
  Texture::unbindAll();
  Frame f = ctx.readPixels();
  if (depth) {
    depth->resize(static_cast<size_t>(ctx.width()) * static_cast<size_t>(ctx.height()));
    glReadPixels(0, 0, ctx.width(), ctx.height(), GL_DEPTH_COMPONENT, GL_FLOAT, depth->data());
  }
  ctx.swap();
  return f;
}

double brightness(Frame const& f) {
  double sum = 0;
  for (size_t i = 0; i + 3 < f.size(); i += 4) sum += f[i] + f[i + 1] + f[i + 2];
  return sum / static_cast<double>(f.size() / 4);
}

}  // namespace

// Light 0 white, no ambient light, a white material with shininess 10: the
// state the bench sets for its shaders.
class ReliefShaders : public GLTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(color.load2D(RB_DATA_DIR "/cheap brick.bmp"));
    GLfloat const white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 1}, none[4] = {0, 0, 0, 0};
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    for (GLenum what : {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR}) glLightfv(GL_LIGHT0, what, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, none);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
    for (GLenum what : {GL_DIFFUSE, GL_SPECULAR}) glMaterialfv(GL_FRONT_AND_BACK, what, white);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 10.0f);
  }
  void TearDown() override {
    color.unload();
    GLTest::TearDown();
  }
  Texture color;
};

TEST_F(ReliefShaders, EveryTechniqueCombinationCompilesAndLinks) {
  // Without any macro (the bench's first build). At the default step count every
  // set of the others, WRITE_DEPTH (lines after the search) joining those of an
  // odd number of techniques and CURVED_SILHOUETTE (lines in the searches and
  // after) those with an odd number among every other technique: each search
  // and pairing with and without each of the two, and both, at a quarter of the
  // cost. At the extreme counts (loop bounds, read by the later techniques'
  // loops) every set of the later ones (MAX_PYRAMID replaces the other
  // searches) with none, each and all of the six, CURVED_SILHOUETTE on alternate sets.
  static_assert(Techniques::WriteDepth == 1u << 11 && Techniques::CurvedSilhouette == 1u << 12,
                "WRITE_DEPTH and CURVED_SILHOUETTE are the last techniques");
  ASSERT_EQ(Techniques::count, 13);
  BenchProgram first("");
  EXPECT_TRUE(first.linked) << first.log();
  for (unsigned others = 0; others < 1u << 11; ++others) {
    unsigned const flags = others | (__builtin_popcount(others) % 2 ? Techniques::WriteDepth : 0u) |
                           (__builtin_popcount(others & 0x555u) % 2 ? Techniques::CurvedSilhouette : 0u);
    BenchProgram p(Techniques::macroString(flags, 32));
    ASSERT_TRUE(p.linked) << Techniques::macroString(flags, 32) << p.log();
    // Every value the shader reads is set first (compilers that can tell say so).
    EXPECT_EQ(p.log().find("uninitialized"), std::string::npos) << Techniques::macroString(flags, 32) << p.log();
  }
  for (int steps : {1, 256})
    for (int later = 0; later < 32; ++later)
      for (int six : {0, 1, 2, 4, 8, 16, 32, 63}) {
        int const flags = later << 6 | six | ((later + six) % 2 ? int(Techniques::CurvedSilhouette) : 0);
        BenchProgram p(macroString(flags, steps));
        ASSERT_TRUE(p.linked) << macroString(flags, steps) << p.log();
      }
}

TEST_F(ReliefShaders, NormalMapSlopesFaceTheLightOnTheirSide) {
  // A saw-tooth height field rising along +u (then along +v): almost every
  // texel's normal leans toward -u, so the square seen from above is brighter
  // lit from -x than from +x. This holds only if the generator's signs, the
  // tangent frame and the shader's tangent space all agree.
  Model3D const mesh = hitpass::squareMesh(2.0f, 2.0f);
  BenchProgram p(macroString(0, 32));
  for (bool alongV : {false, true}) {
    Texture saw, sawNormal;
    std::vector<unsigned char> rgb;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) rgb.insert(rgb.end(), 3, static_cast<unsigned char>((alongV ? y : x) * 16));
    ASSERT_TRUE(saw.build2DMipmaps(16, 16, GL_RGB, GL_UNSIGNED_BYTE, rgb.data(), 0, 0));
    BumpMap::gen(saw, sawNormal, 10.0f);
    GLfloat const lx = alongV ? 0.0f : 3.0f, ly = alongV ? 3.0f : 0.0f;
    View const against = {{0.0, 0.0, 3.0}, {0, 1, 0}, {-lx, -ly, 1.0f, 1.0f}};
    View const along = {{0.0, 0.0, 3.0}, {0, 1, 0}, {lx, ly, 1.0f, 1.0f}};
    EXPECT_GT(brightness(draw(p, color, sawNormal, mesh, against, *ctx)),
              1.3 * brightness(draw(p, color, sawNormal, mesh, along, *ctx)))
        << (alongV ? "along v" : "along u");
    saw.unload();
    sawNormal.unload();
  }
}

// A fault on line N of the user's fragment file is reported on line N, whether
// the preprocessor (#error, a bad #if) or the compiler (a syntax error) finds
// it, with and without a #version line, behind the bench's macro lines.
TEST_F(ReliefShaders, LogLineNumbersAreThoseOfTheUsersFile) {
  std::string const body = "void main() {\n  gl_FragColor = vec4(1.0);\n}\n";
  struct { char const* fault; char const* kind; } const faults[] = {
      {"#error stop here", "preprocessor error"}, {"#if 1 +", "preprocessor error"}, {"float broken = ;", "error"}};
  for (std::string head : {"", "// a comment first\n#version 120\n", "#version 330 compatibility\n"}) {
    for (auto const& f : faults) {
      // The fault on line 9 of the file, after the head and blank lines.
      size_t const headLines = static_cast<size_t>(std::count(head.begin(), head.end(), '\n'));
      std::string const text = head + std::string(8 - headLines, '\n') + f.fault + "\n" + body;
      ReliefProgram p;
      EXPECT_FALSE(p.build(vertSource, {"mine.frag", text}, macroString(3, 32)));
      size_t const at = p.log().find("0:9(");
      ASSERT_NE(at, std::string::npos) << head << f.fault << "\n" << p.log();
      EXPECT_EQ(p.log().compare(p.log().find(' ', at) + 1, strlen(f.kind), f.kind), 0) << p.log();
    }
  }
}

// With both stages broken, every line of the log is one message or a heading.
TEST_F(ReliefShaders, EachLogMessageHasALineOfItsOwn) {
  ReliefProgram p;
  EXPECT_FALSE(p.build({"mine.vert", "void main() { broken }\n"}, {"mine.frag", "void main() { broken }\n"}, ""));
  std::istringstream lines(p.log());
  int messages = 0;
  for (std::string line; std::getline(lines, line);) {
    size_t const first = line.find("error: "), second = line.find("error: ", first + 1);
    EXPECT_EQ(second, std::string::npos) << line << "\nin\n" << p.log();
    messages += first != std::string::npos;
  }
  EXPECT_GE(messages, 3) << p.log();
  for (char const* heading : {"mine.vert:\n", "mine.frag:\n"}) EXPECT_NE(p.log().find(heading), std::string::npos) << heading;
  // Either stage broken alone fails the build as well.
  EXPECT_FALSE(p.build({"mine.vert", "void main() { broken }\n"}, fragSource, ""));
  EXPECT_FALSE(p.build(vertSource, {"mine.frag", "void main() { broken }\n"}, ""));
}

// On a flat grey height map (128 everywhere) every technique's point lies
// 1 - 128/255 of the relief's depth under the polygon. With WRITE_DEPTH the
// depth buffer must put it there: each pixel's written depth, taken back along
// its eye ray, lies that far under a square seen at 60 degrees from its normal,
// within 1% of the relief's depth at the 95th percentile. The square shows 4
// repeats over its side of 2, so one texture unit is half a unit long: a depth
// that ignored the mesh's scale would be off by half.
TEST_F(ReliefShaders, WrittenDepthPutsTheFlatReliefWhereItIs) {
  Model3D const mesh = hitpass::squareMesh(4.0f, 4.0f);
  Texture grey, flat;
  std::vector<unsigned char> const rgb(8 * 8 * 3, 128);
  ASSERT_TRUE(grey.build2DMipmaps(8, 8, GL_RGB, GL_UNSIGNED_BYTE, rgb.data(), 0, 0));
  BumpMap::gen(grey, flat, 100.0f);
  float const reliefDepth = 0.5f * 0.2f * 0.5f;  // polyThickness 0.5, in texture units of half a unit
  double const expected = 1.0 - 128.0 / 255.0;
  View const v = {{0.0, -2.598, 1.5}, {0, 0, 1}, {0.0f, 0.0f, 3.0f, 1.0f}};
  for (unsigned set : {unsigned(Techniques::Parallax), Techniques::Iterative | Techniques::IterativeLerp}) {
    BenchProgram p(Techniques::macroString(set | Techniques::WriteDepth, 32));
    ASSERT_TRUE(p.linked) << p.log();
    std::vector<float> depth;
    draw(p, color, flat, mesh, v, *ctx, &depth);  // also leaves the matrices set
    int const w = ctx->width(), h = ctx->height();
    GLdouble model[16], proj[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::vector<double> errors;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        float const z = depth[static_cast<size_t>(y * w + x)];
        if (z >= 1.0f) continue;
        GLdouble px, py, pz;
        gluUnProject(x + 0.5, y + 0.5, z, model, proj, viewport, &px, &py, &pz);
        if (std::fabs(px) > 0.9 || std::fabs(py) > 0.9) continue;  // away from the square's edges
        errors.push_back(std::fabs(-pz / reliefDepth - expected));
      }
    ASSERT_GT(errors.size(), static_cast<size_t>(w * h / 8)) << Techniques::name(set);
    std::sort(errors.begin(), errors.end());
    EXPECT_LT(errors[errors.size() * 95 / 100], 0.01) << Techniques::name(set);
  }
  grey.unload();
  flat.unload();
}
