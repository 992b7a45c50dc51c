// The user's own plans on a stand-in scene: the words that name sets and
// counts, refine counts that give the bisecting sets a row each, chosen sets
// in the profile and the contact sheet, and a sweep that leaves out the pixels
// beyond an angle with the frontier worked out by hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FrontierReport.h"
#include "MeasureJobs.h"
#include "PlanWords.h"
#include "Techniques.h"
#include "standinscene.h"

namespace {

using namespace Techniques;
using Rows = std::vector<std::vector<std::string> >;

// The rows of a CSV after its context lines, header first; with `context`, the context lines.
Rows read(std::string const& path, bool context = false) {
  std::ifstream in(path);
  Rows out;
  for (std::string line; std::getline(in, line);) {
    if ((!line.empty() && line[0] == '#') != context) continue;
    out.emplace_back();
    std::istringstream fields(context ? line.substr(2) : line);
    for (std::string c; std::getline(fields, c, context ? '\n' : ',');) out.back().push_back(c);
  }
  return out;
}

std::string temp(char const* name) {
  std::string const path = testing::TempDir() + name;
  std::remove(path.c_str());
  return path;
}

}  // namespace

TEST(PlanWords, SetsAndCountListsAreReadAndBadWordsRefusedLeavingThePlanAlone) {
  PlanWords p;
  std::string error;
  ASSERT_TRUE(parsePlanWords({"ITERATIVE", "", "\"Iterative LERP+PARALLAX\"", "none", "steps", "4,8,", "16", "refine",
                              "0,32"},
                             true, p, error))
      << error;
  EXPECT_EQ(p.sets, (std::vector<unsigned>{Iterative, IterativeLerp | Parallax, 0}));
  EXPECT_EQ(p.steps, (std::vector<int>{4, 8, 16}));
  EXPECT_EQ(p.refine, (std::vector<int>{0, 32}));
  std::vector<std::vector<std::string> > const refused = {
      {"steps"}, {"steps", "0"}, {"steps", "1025"}, {"refine", "33"}, {"steps", "4.5"}, {"steps", "4", "steps", "8"},
      {"NOPE"},  {"\"\""},       {"4"},             {"steps", "ITERATIVE"}};
  for (auto const& words : refused) {
    EXPECT_FALSE(parsePlanWords(words, true, p, error)) << words[0];
    EXPECT_EQ(p.steps, (std::vector<int>{4, 8, 16})) << "untouched";
  }
  EXPECT_FALSE(parsePlanWords({"ITERATIVE", "steps", "4"}, false, p, error)) << "no lists where none are taken";
}

TEST(MeasuringJobs, RefineCountsGiveEachBisectingSetARowPerCountAndTheOthersOne) {
  StandInScene scene;
  std::string const csv = temp("refine.csv");
  SweepPlan plan{{Iterative, Iterative | BinaryRefine}, {3}};
  plan.refine = {2, 5};
  std::unique_ptr<BenchJob> job = makeFidelityJob(scene, FidelityMode::Sweep, csv, plan);
  ASSERT_TRUE(scene.run(*job));
  Rows const rows = read(csv);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0][2], "refine_steps");
  EXPECT_EQ(rows[1][0] + rows[1][2], "ITERATIVE-");
  EXPECT_EQ(rows[2][0] + rows[2][2], "ITERATIVE+BINARY_REFINE2");
  EXPECT_EQ(rows[3][0] + rows[3][2], "ITERATIVE+BINARY_REFINE5");
  for (auto const& d : scene.colourDraws)
    EXPECT_TRUE(d.first.set == Iterative ? d.first.refineSteps < 0 : d.first.refineSteps == 2 || d.first.refineSteps == 5);
}

TEST(MeasuringJobs, ChosenSetsReachTheProfileAndTheContactSheetLaysOutAnyCount) {
  StandInScene scene;
  std::vector<unsigned> const chosen{Iterative, Parallax, RelaxedCone, 0, MaxPyramid};
  std::string const csv = temp("chosen.csv");
  std::unique_ptr<BenchJob> profile = makeProfileJob(scene, 1, csv, chosen);
  ASSERT_TRUE(scene.run(*profile));
  Rows const rows = read(csv);
  ASSERT_EQ(rows.size(), chosen.size() + 1);
  for (size_t i = 0; i < chosen.size(); ++i) EXPECT_EQ(rows[i + 1][0], name(chosen[i]));
  // Tiles of the 12 x 6 view: five in three columns of two rows, the twelve standard ones four by three.
  std::unique_ptr<BenchJob> five = makeContactSheetJob(scene, "five.png", chosen);
  std::unique_ptr<BenchJob> standard = makeContactSheetJob(scene, "twelve.png");
  ASSERT_TRUE(scene.run(*five) && scene.run(*standard));
  EXPECT_EQ(scene.pictures, (std::vector<std::string>{"five.png 36x12", "twelve.png 48x18"}));
}

// Half the pixels are seen at 71.6 degrees from the normal, where the cheap
// set is 3 texels off; the other half at 12.6 degrees, where it is 0.25 off.
// The dear set is 0.5 off everywhere. By p99, over all pixels the cheap set
// (cost 2, p99 3) and the dear one (cost 6, p99 0.5) are both on the front
// and only the dear one is under a texel; within 45 degrees the cheap one
// (p99 0.25) beats the dear one on both counts and is the answer.
TEST(Frontier, ASweepWithinAnAngleLeavesTheSteepPixelsOutOfTheFrontAndTheAnswer) {
  unsigned const cheap = Parallax, dear = Iterative | IterativeLerp;
  for (bool within : {false, true}) {
    SCOPED_TRACE(within ? "within 45 degrees" : "every pixel");
    StandInScene scene;
    for (int i = 0; i < scene.snap.width * scene.snap.height; ++i) scene.eyeX.push_back(i % 2 ? 0.1f : 3.0f);
    scene.offAt = [&](unsigned set, int pixel) { return set == dear ? 0.5 : pixel % 2 ? 0.25 : 3.0; };
    scene.drawMs = [&](MeasureScene::Draw const& d, int) { return d.set == cheap ? 2.0 : 6.0; };
    std::string const csv = temp("angle.csv"), front = frontierPath(csv);
    std::remove(front.c_str());
    SweepPlan plan{{cheap, dear}, {4}};
    if (within) plan.maxAngle = 45.0;
    plan.done = [&](ResultTable const& sweep) { reportFrontier(sweep, Frontier::Options(), front); };
    std::unique_ptr<BenchJob> job = makeFidelityJob(scene, FidelityMode::Sweep, csv, plan);
    ASSERT_TRUE(scene.run(*job));
    Rows const rows = read(front);
    std::vector<std::string> const cheapRow{"PARALLAX", "4", "2.000", within ? "0.250" : "3.000", within ? "yes" : "no"};
    std::vector<std::string> const dearRow{"ITERATIVE+ITERATIVE_LERP", "4", "6.000", "0.500", "yes"};
    ASSERT_EQ(rows.size(), within ? 2u : 3u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"set", "steps", "gpu_ms", "p99", "cheapest"}));
    EXPECT_EQ(rows[1], cheapRow);
    if (!within) {
      EXPECT_EQ(rows[2], dearRow);
    }
    // The sweep says how many pixels it measured and which it left out; the front carries that on.
    Rows const context = read(front, true);
    auto has = [&](std::string const& line) {
      for (auto const& c : context)
        if (c[0] == line) return true;
      return false;
    };
    EXPECT_TRUE(has(within ? "view 12x6 36" : "view 12x6 72"));
    EXPECT_EQ(has("maxAngle 45.0"), within);
    EXPECT_TRUE(has("frontier cost gpu_ms error p99 target 1"));
  }
}
