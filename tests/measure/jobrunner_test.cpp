// The job runner (a job started inside another's step), and the result tables
// and angle bins jobs make.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "AngleBins.h"
#include "JobRunner.h"
#include "ResultTable.h"
#include "resultfiles.h"

namespace {

struct Log {
  int measuring = 0;  // like the scene's measuring flag: set in begin, cleared in cancel
  bool steppingAlive = false;
  int finished = 0;
};

class Job : public BenchJob {
public:
  Job(Log& log, std::function<bool(Job&)> step) : log(log), onStep(std::move(step)) {}
  ~Job() override { alive = false; }
  std::string name() const override { return "job"; }
  void begin() override { log.measuring = 1; }
  void cancel() override { log.measuring = 0; }
  bool step() override {
    bool const more = onStep(*this);
    log.steppingAlive = alive;  // still this object after whatever onStep did
    return more;
  }
  Log& log;
  std::function<bool(Job&)> onStep;
  bool alive = true;
};

}  // namespace

TEST(JobRunner, AJobStartedInsideAStepTakesOverOnceTheStepReturns) {
  JobRunner runner;
  Log log;
  int secondSteps = 0;
  runner.start(std::make_unique<Job>(log, [&](Job&) {
    runner.start(std::make_unique<Job>(log, [&](Job&) { return ++secondSteps < 2; }));
    return true;  // unfinished: it is cancelled, then replaced
  }));
  EXPECT_EQ(log.measuring, 1);
  runner.update();
  EXPECT_TRUE(log.steppingAlive);
  EXPECT_EQ(log.measuring, 1) << "the new job's begin runs after the old job's cancel";
  EXPECT_EQ(runner.current(), "job");
  runner.update();
  runner.update();
  EXPECT_EQ(secondSteps, 2);
  EXPECT_FALSE(runner.busy());

  // cancel stops the job, and a runner with none says so.
  runner.start(std::make_unique<Job>(log, [](Job&) { return true; }));
  EXPECT_TRUE(runner.cancel());
  EXPECT_EQ(log.measuring, 0);
  EXPECT_FALSE(runner.cancel());
}

// The table as text: the first column left-aligned, the others right-aligned to
// their widest entry, short rows padded, no trailing blanks; numbers that are
// not finite read "-". As CSV: fields with commas, quotes or line breaks quoted.
TEST(ResultTable, TextAlignsColumnsAndCsvQuotesWhatNeedsIt) {
  ResultTable t({"set", "mean", "p99"});
  t.add({"PARALLAX", ResultTable::number(7.3625), ResultTable::number(std::nan(""), 2)});
  t.add({"a,\"b\"", ResultTable::number(0.5, 1)});
  EXPECT_EQ(t.text("title"),
            "title\n"
            "set        mean  p99\n"
            "PARALLAX  7.362    -\n"
            "a,\"b\"       0.5\n");
  std::string const path = testing::TempDir() + "table.csv";
  std::string why;
  ASSERT_TRUE(t.writeCsv(path, why)) << why;
  EXPECT_EQ(slurp(path), "set,mean,p99\nPARALLAX,7.362,-\n\"a,\"\"b\"\"\",0.5\n");
}

// Only pixels with both an error and an angle count; 90 degrees falls in the
// last bin, and each bin sums up its own pixels.
TEST(AngleBins, PixelsNeedAnErrorAndAnAngleAndNinetyIsInTheLastBin) {
  std::vector<AngleBin> const bins = binByAngle({-1, 0.5f, 2, 0.25f, 3}, {10, -1, 12, 90, 14}, 10);
  ASSERT_EQ(bins.size(), 9u);
  EXPECT_EQ(bins[0].pixels, 0u);
  EXPECT_EQ(bins[1].pixels, 2u);  // 12 and 14 degrees, errors 2 and 3
  EXPECT_DOUBLE_EQ(bins[1].mean, 2.5);
  EXPECT_DOUBLE_EQ(bins[1].over1, 1.0);
  EXPECT_TRUE(bins[8].pixels == 1 && bins[8].to == 90.0 && bins[8].mean == 0.25);
}
