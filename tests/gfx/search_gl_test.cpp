// The bundled shader's RELAXED_CONE march and MAX_PYRAMID search on the GL
// against their CPU twins, and the step counts as uniforms against the
// literals, drawn with OUTPUT_HIT over a square seen in perspective.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ConeMap.h"
#include "ConeTracer.h"
#include "HeightField.h"
#include "MaxPyramid.h"
#include "PyramidTracer.h"
#include "Techniques.h"
#include "hitpass.h"
#include "testsupport/glfixture.h"

namespace {

float const depth = 0.1f;  // polyThickness 0.5, in texture units

std::string programMacros(unsigned set, int steps, int refine) {
  return Techniques::macroString(set, steps, refine) + Techniques::buildLines(set);
}

}  // namespace

// Steep hills with noise on a 40 x 24 map, both kinds of cone, with steps to
// spare and cut short at 2 (where the march stops on the way): the GL's hit is
// where ConeTracer, reading the same packed texture, ends.
TEST_F(GLTest, ConeMarchShaderStopsWhereTheCpuTwinDoes) {
  int const w = 40, h = 24;
  hitpass::Hills const hills = hitpass::hills(w, h, 0.4f, 0.7f, 0.5f, 60);
  HeightField const& field = hills.field;
  hitpass::Square const square(80);
  for (ConeMap::Kind kind : {ConeMap::Kind::Relaxed, ConeMap::Kind::Conservative}) {
    hitpass::FlatMaps const maps(w, h, hills.bytes, kind);
    ASSERT_EQ(maps.cones.width(), w);
    ConeTracer const tracer(field, ConeMap::pack(ConeMap::generate(field, 1, nullptr, nullptr, kind,
                                                                   ConeMap::Reading::Linear)),
                            depth);
    for (int steps : {256, 2}) {
      int unfinished = 0;
      std::vector<float> const errors =
          square.errors(square.draw(maps, programMacros(Techniques::RelaxedCone, steps, 6)), w, h,
                        [&](float u, float v, float const eye[3]) { return tracer.trace(u, v, eye, steps, 6); },
                        unfinished);
      std::string const what = std::string(ConeMap::name(kind)) + ", " + std::to_string(steps) + " steps, texels";
      EXPECT_LT(errors[errors.size() * 95 / 100], 0.05f) << what;
      EXPECT_LT(errors[errors.size() * 99 / 100], 0.5f) << what;
      EXPECT_EQ(unfinished > 0, steps == 2) << what << ": " << unfinished << " unfinished";
    }
  }
}

// Hills with noise on a 40 x 24 map (not a power of two), with iterations to
// spare and cut short at 8 (where both searches stop on the way). (The CPU
// search is checked against the exact reference, and that against hand-worked
// geometry.) The same target read back as bytes holds each float at 8 bits.
TEST_F(GLTest, MaxPyramidShaderStopsWhereTheCpuSearchDoes) {
  int const w = 40, h = 24;
  hitpass::Hills const hills = hitpass::hills(w, h, 0.35f, 0.5f, 0.4f, 40);
  HeightField const& field = hills.field;
  MaxPyramid const cpu(field);
  PyramidTracer const tracer(field, cpu, depth);
  hitpass::Square const square(96);
  hitpass::FlatMaps const maps(w, h, hills.bytes);
  for (int steps : {256, 8}) {
    std::vector<unsigned char> read;
    std::vector<float> const hits = square.draw(maps, Techniques::macroString(Techniques::MaxPyramid, steps), &read);
    ASSERT_EQ(read.size(), hits.size());
    for (size_t i = 0; i < hits.size(); i += 97)
      EXPECT_NEAR(read[i], std::clamp(hits[i], 0.0f, 1.0f) * 255.0f, 1.0) << "channel " << i;
    int unfinished = 0;
    std::vector<float> const errors = square.errors(
        hits, w, h, [&](float u, float v, float const eye[3]) { return tracer.trace(u, v, eye, steps); }, unfinished);
    EXPECT_LT(errors[errors.size() * 95 / 100], 0.05f) << steps << " steps, texels";
    EXPECT_LT(errors[errors.size() * 99 / 100], 0.5f) << steps << " steps, texels";
    EXPECT_EQ(unfinished > 0, steps == 8) << unfinished;
  }
}

// Every set the bench measures, at counts no compiler would pick (13 steps,
// 3 bisections): bounded by the uniforms, each loop runs the same iterations
// and ends at the same hits and shadows as with the literals.
TEST_F(GLTest, StepCountsAsUniformsGiveTheLiteralsHits) {
  int const w = 40, h = 24;
  hitpass::FlatMaps const maps(w, h, hitpass::hills(w, h, 0.4f, 0.7f, 0.5f, 60).bytes);
  hitpass::Square const square(80);
  std::vector<unsigned> sets = Techniques::profileSets();
  for (unsigned set : Techniques::sweepSets())
    if (std::find(sets.begin(), sets.end(), set) == sets.end()) sets.push_back(set);
  for (unsigned set : sets) {
    std::string const macros = programMacros(set, 13, 3);
    std::vector<float> const literal = square.draw(maps, macros);
    std::vector<float> const uniform = square.draw(maps, macros + "#define " + Techniques::stepsAsUniformsMacro + "\n");
    ASSERT_EQ(literal.size(), uniform.size());
    float worst = 0.0f;
    for (size_t i = 0; i < literal.size(); ++i) worst = std::max(worst, std::fabs(literal[i] - uniform[i]));
    EXPECT_LT(worst, 1e-5f) << Techniques::name(set);
  }
}
