// The job runner without a window: a job started from inside another's step
// never frees the stepping job under it, and the flags jobs set in begin() and
// clear in cancel() end as the new job left them.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "JobRunner.h"

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
