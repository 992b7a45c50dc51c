// The bundled shader's RELAXED_CONE march on the GL against its CPU twin, and
// the step counts as uniforms against the literals, drawn with OUTPUT_HIT over
// a square seen in perspective.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ConeMap.h"
#include "ConeTracer.h"
#include "HeightField.h"
#include "Model3D.h"
#include "Techniques.h"
#include "hitpass.h"
#include "testsupport/glfixture.h"

namespace {

int const view = 80;  // pixels each way
double const distance = 2.4;
float const depth = 0.1f;  // polyThickness 0.5, in texture units

// The camera looks down -z from (0, 0, distance) at a square of side 2 in the
// z = 0 plane, textured once, with a 50 degree field of view: a pixel centre
// sees (X, Y), with texture coordinate ((X + 1) / 2, (Y + 1) / 2) and the
// tangent-space eye vector (-X, -Y, distance). False near the edge or off it.
bool sees(int px, int py, float& u, float& v, float eye[3]) {
  double const half = std::tan(25.0 * 3.14159265358979 / 180.0) * distance;
  double const x = ((px + 0.5) / view * 2.0 - 1.0) * half, y = ((py + 0.5) / view * 2.0 - 1.0) * half;
  u = static_cast<float>((x + 1.0) / 2.0);
  v = static_cast<float>((y + 1.0) / 2.0);
  eye[0] = static_cast<float>(-x);
  eye[1] = static_cast<float>(-y);
  eye[2] = static_cast<float>(distance);
  return std::fabs(x) < 0.98 && std::fabs(y) < 0.98;
}

// The pixels (u, v, shadow, 1; rows bottom first) of the square drawn with
// the bundled shader behind `macros` and OUTPUT_HIT.
std::vector<float> drawHits(hitpass::FlatMaps const& maps, std::string const& macros) {
  hitpass::View v = {view, {0, 0, distance}, {0, 1, 0}, {}, {}};
  Model3D square;
  for (auto [x, y] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) square.addVtx(x, y, 0, (x + 1) / 2, (y + 1) / 2);
  for (int k : {0, 2}) square.addTri(k, k + 1, (k + 2) % 4);
  square.computeBasii();
  return hitpass::draw(square, v, maps, macros, 0.5f);
}

std::string programMacros(unsigned set, int steps, int refine) {
  return Techniques::macroString(set, steps, refine) + Techniques::buildLines(set);
}

// Hills with noise, the heights both as bytes and as the field they stand for.
void hills(int w, int h, std::vector<unsigned char>& bytes, std::vector<float>& heights) {
  std::mt19937 rng(8);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float const hill = 0.5f + 0.4f * std::sin(x * 0.7f) * std::cos(y * 0.5f) + (rng() % 60) / 400.0f;
      bytes.push_back(static_cast<unsigned char>(std::clamp(hill, 0.0f, 1.0f) * 255.0f + 0.5f));
      heights.push_back(bytes.back() / 255.0f);
    }
}

}  // namespace

// Steep hills with noise on a 40 x 24 map, both kinds of cone, with steps to
// spare and cut short at 2 (where the march stops on the way): the GL's hit is
// where ConeTracer, reading the same packed texture, ends.
TEST_F(GLTest, ConeMarchShaderStopsWhereTheCpuTwinDoes) {
  int const w = 40, h = 24;
  std::vector<unsigned char> bytes;
  std::vector<float> heights;
  hills(w, h, bytes, heights);
  HeightField const field(w, h, heights);
  for (ConeMap::Kind kind : {ConeMap::Kind::Relaxed, ConeMap::Kind::Conservative}) {
    hitpass::FlatMaps const maps(w, h, bytes, kind);
    ASSERT_EQ(maps.cones.width(), w);
    ConeTracer const tracer(field, ConeMap::pack(ConeMap::generate(field, 1, nullptr, nullptr, kind,
                                                                   ConeMap::Reading::Linear)),
                            depth);
    for (int steps : {256, 2}) {
      std::vector<float> const hits = drawHits(maps, programMacros(Techniques::RelaxedCone, steps, 6));
      std::vector<float> errors;
      int unfinished = 0;
      for (int py = 0; py < view; ++py)
        for (int px = 0; px < view; ++px) {
          float u, v, eye[3];
          if (!sees(px, py, u, v, eye)) continue;
          size_t const i = static_cast<size_t>(py * view + px) * 4;
          ConeHit const want = tracer.trace(u, v, eye, steps, 6);
          unfinished += !want.found;
          errors.push_back(std::hypot((hits[i] - want.u) * w, (hits[i + 1] - want.v) * h));
        }
      std::sort(errors.begin(), errors.end());
      std::string const what = std::string(ConeMap::name(kind)) + ", " + std::to_string(steps) + " steps, texels";
      EXPECT_LT(errors[errors.size() * 95 / 100], 0.05f) << what;
      EXPECT_LT(errors[errors.size() * 99 / 100], 0.5f) << what;
      EXPECT_EQ(unfinished > 0, steps == 2) << what << ": " << unfinished << " unfinished";
    }
  }
}

// Every set the bench measures, at counts no compiler would pick (13 steps,
// 3 bisections): bounded by the uniforms, each loop runs the same iterations
// and ends at the same hits and shadows as with the literals.
TEST_F(GLTest, StepCountsAsUniformsGiveTheLiteralsHits) {
  int const w = 40, h = 24;
  std::vector<unsigned char> bytes;
  std::vector<float> heights;
  hills(w, h, bytes, heights);
  hitpass::FlatMaps const maps(w, h, bytes);
  std::vector<unsigned> sets = Techniques::profileSets();
  for (unsigned set : Techniques::sweepSets())
    if (std::find(sets.begin(), sets.end(), set) == sets.end()) sets.push_back(set);
  for (unsigned set : sets) {
    std::string const macros = programMacros(set, 13, 3);
    std::vector<float> const literal = drawHits(maps, macros);
    std::vector<float> const uniform =
        drawHits(maps, macros + "#define " + Techniques::stepsAsUniformsMacro + "\n");
    ASSERT_EQ(literal.size(), uniform.size());
    float worst = 0.0f;
    for (size_t i = 0; i < literal.size(); ++i) worst = std::max(worst, std::fabs(literal[i] - uniform[i]));
    EXPECT_LT(worst, 1e-5f) << Techniques::name(set);
  }
}
