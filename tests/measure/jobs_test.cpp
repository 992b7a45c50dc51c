// The measuring jobs on a stand-in scene: the rows a plan gives and their order,
// failed builds, cancels, timed draws, scale runs, the wait for maps, the plan
// words, and a sweep within an angle with its frontier worked out by hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <chrono>
#include <functional>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "FrontierReport.h"
#include "MeasureJobs.h"
#include "PlanWords.h"
#include "Techniques.h"
#include "base/console.h"
#include "resultfiles.h"
#include "standinscene.h"

using namespace Techniques;

TEST(MeasuringJobs, ASweepMeasuresEachPlannedSetAndCountInOrderAgainstTheSnapshot) {
  StandInScene scene;
  // Each row's first draw warms up at a far slower time, which no figure may show.
  scene.drawMs = [](MeasureScene::Draw const& d, int n) { return n == 0 ? 1000.0 : d.steps + 0.01 * n; };
  std::string const csv = tempFile("sweep.csv");
  std::unique_ptr<BenchJob> job =
      makeFidelityJob(scene, FidelityMode::Sweep, csv, SweepPlan{{Iterative, Iterative | BinaryRefine}, {3, 5}});
  scene.snap.settings.polyThickness = 2.0f;  // after the job took its snapshot
  job->begin();
  job->step();
  EXPECT_TRUE(scene.measuring);
  ASSERT_TRUE(scene.run(*job));
  EXPECT_FALSE(scene.measuring);

  std::vector<std::vector<std::string> > const rows = csvRows(csv);
  ASSERT_EQ(rows.size(), 5u);
  size_t const mean = column(rows, "mean"), gpu = column(rows, "gpu_ms");
  std::string const order[][2] = {{"ITERATIVE", "3"}, {"ITERATIVE", "5"}, {"ITERATIVE+BINARY_REFINE", "3"},
                                  {"ITERATIVE+BINARY_REFINE", "5"}};
  for (size_t r = 0; r < 4; ++r) {
    EXPECT_EQ(rows[r + 1][0], order[r][0]);
    EXPECT_EQ(rows[r + 1][1], order[r][1]);
    // The stand-in's hits are a quarter texel off per technique in the set.
    EXPECT_NEAR(std::stod(rows[r + 1][mean]), r < 2 ? 0.25 : 0.5, 1e-3) << r;
    // Ten timed draws after the warm-up, the fewest, as they lie within 5%:
    // the nearest-rank median is the fifth.
    EXPECT_NEAR(std::stod(rows[r + 1][gpu]), std::stod(order[r][1]) + 0.05, 1e-9) << r;
  }
  for (auto const& d : scene.colourDraws) EXPECT_TRUE(d.first.steps == 3 || d.first.steps == 5);
}

TEST(MeasuringJobs, ATableGivesEverySetARowAndAFailedBuildSaysSo) {
  StandInScene scene;
  scene.failingSets = {Parallax};
  std::string const csv = tempFile("table.csv");
  std::unique_ptr<BenchJob> job = makeFidelityJob(scene, FidelityMode::Table, csv);
  scene.snap.settings.steps = 99;  // after the snapshot: no row may show it
  ASSERT_TRUE(scene.run(*job));
  std::vector<std::vector<std::string> > const rows = csvRows(csv);
  std::vector<unsigned> const sets = profileSets();
  ASSERT_EQ(rows.size(), sets.size() + 1);
  for (size_t i = 0; i < sets.size(); ++i) {
    EXPECT_EQ(rows[i + 1][0], name(sets[i]));
    EXPECT_EQ(rows[i + 1][1], "8");
    EXPECT_EQ(rows[i + 1][2] == "failed", sets[i] == Parallax) << rows[i + 1][0];
  }
}

TEST(MeasuringJobs, ACancelledMeasurementWritesNothingAndLetsTheWindowGo) {
  StandInScene scene;
  std::string const csv = tempFile("cancelled.csv");
  std::unique_ptr<BenchJob> job = makeFidelityJob(scene, FidelityMode::Sweep, csv);
  job->begin();
  for (int i = 0; i < 6; ++i) job->step();
  job->cancel();
  EXPECT_FALSE(scene.measuring);
  EXPECT_FALSE(std::ifstream(csv).good());
}

TEST(MeasuringJobs, AProfileTimesExactlyItsFramesAndShowsEachSetThenTheUsersOwn) {
  StandInScene scene;
  scene.snap.settings.set = Iterative | ShadowTrace;
  int const frames = 3;
  std::string const csv = tempFile("profile.csv");
  ASSERT_TRUE(scene.run(*makeProfileJob(scene, frames, csv)));
  std::vector<unsigned> const sets = profileSets();
  std::vector<std::vector<std::string> > const rows = csvRows(csv);
  ASSERT_EQ(rows.size(), sets.size() + 1);
  for (size_t i = 0; i < sets.size(); ++i) {
    EXPECT_EQ(rows[i + 1][column(rows, "frames")], "3");
    size_t draws = 0;
    for (auto const& d : scene.colourDraws) draws += d.first.set == sets[i];
    EXPECT_EQ(draws, static_cast<size_t>(frames) + 5) << "three measured after five to warm up";
  }
  ASSERT_EQ(scene.shown.size(), sets.size() + 1);
  EXPECT_EQ(scene.shown.back(), Iterative | ShadowTrace);

  // A GPU timer that gives no time stops the profile at that draw, unwritten.
  StandInScene untimed;
  untimed.drawMs = [](MeasureScene::Draw const&, int) { return -1.0; };
  std::string const unwritten = tempFile("profile-untimed.csv");
  ASSERT_TRUE(untimed.run(*makeProfileJob(untimed, frames, unwritten)));
  EXPECT_EQ(untimed.colourDraws.size(), 1u);
  EXPECT_FALSE(std::ifstream(unwritten).good());
}

// Every timed figure goes through the sampler: a constant time stops at the
// fewest draws, two alternating ones run to the draw cap (or, slow, to the
// 30 s cap) and the row says it was capped.
TEST(MeasuringJobs, EveryTimedRowDrawsUntilItsMedianIsTightOrMarksTheCap) {
  ScalePlan const scale{{32}, {{Iterative}, {4}}};
  struct Maker {
    char const* name;
    std::function<std::unique_ptr<BenchJob>(StandInScene&, std::string const&)> make;
    int warmUps;
  } const makers[] = {
      {"profile", [](StandInScene& s, std::string const& f) { return makeProfileJob(s, 0, f); }, 5},
      {"sweep",
       [](StandInScene& s, std::string const& f) {
         return makeFidelityJob(s, FidelityMode::Sweep, f, SweepPlan{{Iterative}, {4}});
       },
       1},
      {"scale", [&](StandInScene& s, std::string const& f) { return makeScaleJob(s, f, scale); }, 1},
      {"contactsheet", [](StandInScene& s, std::string const& f) { return makeContactSheetJob(s, f + ".png"); }, 1}};
  struct Timer {
    std::function<double(MeasureScene::Draw const&, int)> ms;
    int draws;
    char const* capped;
  } const timers[] = {{[](MeasureScene::Draw const&, int) { return 2.0; }, 10, "no"},
                      {[](MeasureScene::Draw const&, int n) { return n % 2 ? 1.0 : 2.0; }, 120, "yes"},
                      {[](MeasureScene::Draw const&, int n) { return n % 2 ? 1000.0 : 2000.0; }, 20, "yes"}};
  for (Maker const& maker : makers)
    for (Timer const& timer : timers) {
      StandInScene scene;
      scene.drawMs = timer.ms;
      std::string const csv = tempFile("sampled.csv");
      ASSERT_TRUE(scene.run(*maker.make(scene, csv))) << maker.name;
      size_t iterative = 0;
      for (auto const& d : scene.colourDraws) iterative += d.first.set == Iterative;
      // (Every job warms up an odd number of times: its timed draws start on
      // a 1000 ms one, and 20 of them fill the 30 s.)
      EXPECT_EQ(iterative, static_cast<size_t>(maker.warmUps + timer.draws)) << maker.name << " " << timer.draws;
      if (std::string(maker.name) == "contactsheet") continue;  // its label says "(capped)"
      std::vector<std::vector<std::string> > const rows = csvRows(csv);
      for (size_t r = 1; r < rows.size(); ++r) {
        if (rows[r][0] != "ITERATIVE") continue;
        EXPECT_EQ(rows[r][column(rows, "draws")], std::to_string(timer.draws)) << maker.name;
        EXPECT_EQ(rows[r][column(rows, "capped")], timer.capped) << maker.name << " " << timer.draws;
      }
    }
}

TEST(MeasuringJobs, AScaleRunDrawsEachSizeInPlaceOfTheHeightsAndGivesThemBack) {
  StandInScene scene;
  std::string const csv = tempFile("scale.csv");
  ScalePlan const plan{{32, 64}, {{Iterative, MaxPyramid}, {4, 8}}};
  ASSERT_TRUE(scene.run(*makeScaleJob(scene, csv, plan)));
  EXPECT_EQ(scene.heightsUsed, (std::vector<int>{32, 64}));
  EXPECT_EQ(scene.restores, 1);
  EXPECT_EQ(csvRows(csv).size(), 5u);

  // Cancelled halfway, the user's heights come back all the same.
  StandInScene cut;
  std::unique_ptr<BenchJob> cancelled = makeScaleJob(cut, tempFile("scale-cut.csv"), plan);
  cancelled->begin();
  for (int i = 0; i < 4; ++i) cancelled->step();
  cancelled->cancel();
  EXPECT_EQ(cut.restores, 1);
  EXPECT_FALSE(cut.measuring);
}

// A set whose maps take frames to make is drawn only once they are there, the
// job stepping meanwhile and saying so; a cancel during the wait writes nothing.
TEST(MeasuringJobs, EveryJobWaitsFrameByFrameForASetsMapsBeforeDrawingIt) {
  ScalePlan const scale{{32}, {{Iterative, RelaxedCone}, {4}}};
  std::function<std::unique_ptr<BenchJob>(StandInScene&, std::string const&)> const makers[] = {
      [](StandInScene& s, std::string const& f) { return makeFidelityJob(s, FidelityMode::Table, f); },
      [](StandInScene& s, std::string const& f) { return makeProfileJob(s, 1, f); },
      [](StandInScene& s, std::string const& f) { return makeContactSheetJob(s, f + ".png"); },
      [&](StandInScene& s, std::string const& f) { return makeScaleJob(s, f, scale); },
      [&](StandInScene& s, std::string const& f) { return makePathJob(s, f, PathPlan{3, 1.0, scale.search, ""}); }};
  for (auto const& make : makers) {
    StandInScene scene;
    scene.slowMaps = RelaxedCone;
    scene.mapFrames = 13;  // 7%, 15%, 23%, ...: each ten is shown once, from 10% to 90%
    con.addString("-- the next job --\n");
    std::string const csv = tempFile("waits.csv");
    std::unique_ptr<BenchJob> job = make(scene, csv);
    ASSERT_TRUE(scene.run(*job)) << job->name();
    EXPECT_EQ(scene.drawsBeforeMaps, 0) << job->name();
    EXPECT_GT(scene.mapAsks, scene.mapFrames) << job->name();
    std::string const text = con.getText();
    std::string const since = text.substr(text.rfind("-- the next job --"));
    EXPECT_NE(since.find("waiting for the maps of RELAXED_CONE"), std::string::npos);
    std::string const head = ": maps of RELAXED_CONE ";
    std::string shown;
    for (size_t at = since.find(head); at != std::string::npos; at = since.find(head, at + 1))
      shown += since.substr(at + head.size(), since.find('%', at) - at - head.size()) + " ";
    EXPECT_EQ(shown, "10 20 30 40 50 60 70 80 90 ") << job->name();

    StandInScene cut;
    cut.slowMaps = RelaxedCone;
    cut.mapFrames = 1000000;
    std::string const unwritten = tempFile("waits-cut.csv");
    std::unique_ptr<BenchJob> cancelled = make(cut, unwritten);
    cancelled->begin();
    for (int i = 0; i < 100000 && cut.mapAsks < 50; ++i) {
      cancelled->step();
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    EXPECT_EQ(cut.mapAsks, 50) << cancelled->name() << " waits at the slow set";
    cancelled->cancel();
    EXPECT_FALSE(cut.measuring);
    EXPECT_FALSE(std::ifstream(unwritten).good());
    EXPECT_TRUE(cut.pictures.empty());
  }
}

TEST(PlanWords, SetsAndCountListsAreReadAndBadWordsRefusedLeavingThePlanAlone) {
  PlanWords p;
  std::string error;
  std::vector<std::string> const words{"ITERATIVE", "", "\"Iterative LERP+PARALLAX\"", "none", "steps", "4,8,", "16",
                                       "refine", "0,32"};
  ASSERT_TRUE(parsePlanWords(words, true, p, error)) << error;
  EXPECT_EQ(p.sets, (std::vector<unsigned>{Iterative, IterativeLerp | Parallax, 0}));
  EXPECT_EQ(p.steps, (std::vector<int>{4, 8, 16}));
  EXPECT_EQ(p.refine, (std::vector<int>{0, 32}));
  std::vector<std::vector<std::string> > const refused = {
      {"steps"}, {"steps", "0"}, {"steps", "1025"}, {"refine", "33"}, {"steps", "4.5"}, {"steps", "4", "steps", "8"},
      {"NOPE"},  {"\"\""},       {"4"},             {"steps", "ITERATIVE"}};
  for (auto const& bad : refused) {
    EXPECT_FALSE(parsePlanWords(bad, true, p, error)) << bad[0];
    EXPECT_EQ(p.steps, (std::vector<int>{4, 8, 16})) << "untouched";
  }
  EXPECT_FALSE(parsePlanWords({"ITERATIVE", "steps", "4"}, false, p, error)) << "no lists where none are taken";
}

TEST(MeasuringJobs, RefineCountsGiveEachBisectingSetARowPerCountAndTheOthersOne) {
  StandInScene scene;
  std::string const csv = tempFile("refine.csv");
  SweepPlan plan{{Iterative, Iterative | BinaryRefine}, {3}};
  plan.refine = {2, 5};
  ASSERT_TRUE(scene.run(*makeFidelityJob(scene, FidelityMode::Sweep, csv, plan)));
  std::vector<std::vector<std::string> > const rows = csvRows(csv);
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
  std::string const csv = tempFile("chosen.csv");
  ASSERT_TRUE(scene.run(*makeProfileJob(scene, 1, csv, chosen)));
  std::vector<std::vector<std::string> > const rows = csvRows(csv);
  ASSERT_EQ(rows.size(), chosen.size() + 1);
  for (size_t i = 0; i < chosen.size(); ++i) EXPECT_EQ(rows[i + 1][0], name(chosen[i]));
  // Tiles of the 12 x 6 view: five in three columns of two rows, the fourteen standard ones four by four.
  ASSERT_TRUE(scene.run(*makeContactSheetJob(scene, "five.png", chosen)) &&
              scene.run(*makeContactSheetJob(scene, "fourteen.png")));
  EXPECT_EQ(scene.pictures, (std::vector<std::string>{"five.png 36x12", "fourteen.png 48x24"}));
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
    std::string const csv = tempFile("angle.csv"), front = frontierPath(csv);
    std::remove(front.c_str());
    SweepPlan plan{{cheap, dear}, {4}};
    if (within) plan.maxAngle = 45.0;
    plan.done = [&](ResultTable const& sweep) { reportFrontier(sweep, Frontier::Options(), front); };
    std::unique_ptr<BenchJob> job = makeFidelityJob(scene, FidelityMode::Sweep, csv, plan);
    ASSERT_TRUE(scene.run(*job));
    std::string text;
    Rows const rows = csvRows(front, &text);
    std::vector<std::string> const cheapRow{"PARALLAX", "4", "2.000", within ? "0.250" : "3.000", within ? "yes" : "no"};
    std::vector<std::string> const dearRow{"ITERATIVE+ITERATIVE_LERP", "4", "6.000", "0.500", "yes"};
    ASSERT_EQ(rows.size(), within ? 2u : 3u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"set", "steps", "gpu_ms", "p99", "cheapest"}));
    EXPECT_EQ(rows[1], cheapRow);
    if (!within) {
      EXPECT_EQ(rows[2], dearRow);
    }
    // The sweep says how many pixels it measured and which it left out; the front carries that on.
    EXPECT_NE(text.find(within ? "# view 12x6 36\n" : "# view 12x6 72\n"), std::string::npos);
    EXPECT_EQ(text.find("# maxAngle 45.0\n") != std::string::npos, within);
    EXPECT_NE(text.find("# frontier cost gpu_ms error p99 target 1\n"), std::string::npos);
  }
}
