// The settings' defaults against the fragment shader's fallbacks, the bisection field's checks, and the lines a build
// appends for a set: its partners and the one search it runs.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "ReliefSettings.h"
#include "Techniques.h"

namespace {

using namespace Techniques;

std::string bundledFragmentShader() {
  std::ifstream in(std::string(RB_DATA_DIR) + "/shaders/iterative parallax.frag");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The value of the shader's "#ifndef NAME / #define NAME value" fallback.
double fallback(std::string const& shader, std::string const& name) {
  std::istringstream lines(shader);
  bool guarded = false;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string directive, macro, value;
    words >> directive >> macro >> value;
    if (guarded && directive == "#define" && macro == name && !value.empty()) return std::stod(value);
    guarded = directive == "#ifndef" && macro == name;
  }
  ADD_FAILURE() << "no #ifndef " << name << " / #define " << name << " fallback";
  return -1.0;
}

}  // namespace

TEST(ReliefSettings, TheShadersFallbacksAreTheStartUpCounts) {
  std::string const shader = bundledFragmentShader();
  ASSERT_FALSE(shader.empty());
  EXPECT_EQ(fallback(shader, "ITERATIVE_STEPS"), ReliefSettings::defaultSteps);
  EXPECT_EQ(fallback(shader, "REFINE_STEPS"), ReliefSettings::defaultRefineSteps);
}

TEST(ReliefSettings, TheBisectionCountTakesZeroToItsMostAndRefusesTheRest) {
  struct Case { char const* text; bool taken; int value; } const cases[] = {
      {"0", true, 0}, {" 7 steps", true, 7}, {"33", true, 32}, {"-1", false, 6}, {"", false, 6}};
  for (Case const& c : cases) {
    int value = 6;
    std::string message;
    EXPECT_EQ(ReliefSettings::takeRefineSteps(c.text, 6, value, message), c.taken) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
    EXPECT_EQ(message.empty(), c.taken && c.value != 32) << c.text << ": " << message;
  }
  // Depths take tiny values that underflow, and nothing after the number.
  float depth = 0.5f;
  std::string message;
  EXPECT_TRUE(ReliefSettings::takePolyDepth("1e-400", 0.5f, depth, message));
  EXPECT_EQ(depth, 0.0f);
  EXPECT_FALSE(ReliefSettings::takePolyDepth("0.25abc", 0.0f, depth, message));
  EXPECT_EQ(message, "Poly Depth: \"0.25abc\" is not a number; keeping 0");
}

TEST(Techniques, ABuildAppendsTheMissingPartnersAndTheSearchThatWins) {
  struct Case { unsigned set; char const* lines; } const cases[] = {
      {0, ""},
      {Parallax, "#define EYE_SEARCH\tSEARCH_OFFSET\n"},
      {OffsetLimitEye | ShadowTrace, "#define EYE_SEARCH\tSEARCH_OFFSET\n"},
      {IterativeLerp | OffsetLimitLight, "#define ITERATIVE\n#define SHADOW_TRACE\n#define EYE_SEARCH\tSEARCH_LINEAR\n"},
      {Iterative | RelaxedCone, "#define EYE_SEARCH\tSEARCH_CONE\n"},
      {RelaxedCone | MaxPyramid | Parallax, "#define EYE_SEARCH\tSEARCH_PYRAMID\n"},
      {WriteDepth, "#define EYE_SEARCH\tSEARCH_NONE\n"},
      {CurvedSilhouette | Parallax, "#define ITERATIVE\n#define EYE_SEARCH\tSEARCH_LINEAR\n"},
  };
  for (Case const& c : cases) EXPECT_EQ(buildLines(c.set), c.lines) << name(c.set);
}
