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
  // What the job does, for messages ("profile", "fidelity sweep a.csv").
  virtual std::string name() const = 0;
  // Called once the job becomes the runner's current job, before its first step.
  virtual void begin() {}
  // One frame's work, done before the frame is drawn. False once finished.
  virtual bool step() = 0;
  // Called once the frame's views are drawn.
  virtual void frameDrawn() {}
  // The job is dropped unfinished (cancelled, replaced, or the program ends).
  // It writes nothing after this.
  virtual void cancel() {}
};

class JobRunner : public ConsoleInterpreter {
public:
  // A typed line: run at once, or queued while a job runs or lines wait. A
  // "cancel" line always runs at once, so that it can stop the job.
  void exec(char const* line) override;
  // A line to run in turn (--exec), echoed on the console when it runs.
  void queue(std::string const& line);
  // Starts a job; the line that called this is the last to run before it ends.
  // A job started from inside a step replaces the stepping job once its step
  // has returned, never while it is on the stack.
  void start(std::unique_ptr<BenchJob> job);

  // The lines waiting now run only after the current frame is drawn (a
  // screenshot's line: the lines after it must not change what it shows).
  void waitForFrame() { frameWait = true; }

  bool busy() const { return job != nullptr; }
  // No job and no line waiting.
  bool idle() const { return !job && pending.empty(); }
  // The current job's name, "" when none runs.
  std::string current() const { return job ? job->name() : std::string(); }

  // Before drawing: steps the job, or runs waiting lines until one starts a job.
  void update();
  // After drawing.
  void frameDrawn();
  // Stops the current job, if any; the waiting lines stay. False when none ran.
  bool cancel();
  // Drops the job and the waiting lines.
  void clear();

private:
  struct Line {
    std::string text;
    bool echo;
  };
  void run(Line const& line);
  // Makes `next` the current job, cancelling the one it replaces.
  void replace(std::unique_ptr<BenchJob> next);

  std::unique_ptr<BenchJob> job;
  std::unique_ptr<BenchJob> startedInStep;  // started while `job` was stepping
  bool stepping = false;
  bool frameWait = false;  // waiting lines hold until the frame is drawn
  std::deque<Line> pending;
};
