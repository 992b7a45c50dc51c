// BenchJob and JobRunner: long commands (profile, fidelity, contact sheets) run
// a step per frame while the window keeps drawing and showing their progress;
// console lines that arrive meanwhile, typed or from --exec, wait their turn.
#pragma once

#include <deque>
#include <memory>
#include <string>

#include "base/cvarsys.h"

class BenchJob {
public:
  virtual ~BenchJob() = default;
  // One frame's work, done before the frame is drawn. False once finished.
  virtual bool step() = 0;
  // Called once the frame's views are drawn.
  virtual void frameDrawn() {}
  // The job is dropped unfinished (the program is ending).
  virtual void cancel() {}
};

class JobRunner : public ConsoleInterpreter {
public:
  // A typed line: run at once, or queued while a job runs or lines wait.
  void exec(char const* line) override;
  // A line to run in turn (--exec), echoed on the console when it runs.
  void queue(std::string const& line);
  // Starts a job; the line that called this is the last to run before it ends.
  void start(std::unique_ptr<BenchJob> job);

  bool busy() const { return job != nullptr; }
  // No job and no line waiting.
  bool idle() const { return !job && pending.empty(); }

  // Before drawing: steps the job, or runs waiting lines until one starts a job.
  void update();
  // After drawing.
  void frameDrawn();
  // Drops the job and the waiting lines.
  void clear();

private:
  struct Line {
    std::string text;
    bool echo;
  };
  void run(Line const& line);

  std::unique_ptr<BenchJob> job;
  std::deque<Line> pending;
};
