// JobRunner: running lines in turn and stepping the current job.
#include "JobRunner.h"

#include <vector>

#include "base/console.h"

namespace {

bool isCancelLine(char const* line) {
  std::vector<std::string> tokens;
  CVarSys::parseArgs(line, tokens);
  return !tokens.empty() && tokens.front() == "cancel";
}

}  // namespace

void JobRunner::exec(char const* line) {
  if (idle() || isCancelLine(line))
    run(Line{line, false});
  else
    pending.push_back(Line{line, false});
}

void JobRunner::queue(std::string const& line) { pending.push_back(Line{line, true}); }

void JobRunner::start(std::unique_ptr<BenchJob> next) {
  if (stepping)
    startedInStep = std::move(next);
  else
    replace(std::move(next));
}

void JobRunner::replace(std::unique_ptr<BenchJob> next) {
  if (job) job->cancel();
  job = std::move(next);
  if (job) job->begin();
}

void JobRunner::run(Line const& line) {
  if (line.echo) con << "> " << line.text << "\n";
  cvarSys.validate();
  cvarSys->exec(line.text.c_str());
}

void JobRunner::update() {
  if (job) {
    stepping = true;
    bool const more = job->step();
    stepping = false;
    if (startedInStep) {
      // The job handed over to another (a sweep made of passes): a finished
      // job is simply dropped, an unfinished one is cancelled first.
      if (!more) job.reset();
      replace(std::move(startedInStep));
    } else if (!more) {
      job.reset();
    }
    return;
  }
  while (!job && !frameWait && !pending.empty()) {
    Line const line = pending.front();
    pending.pop_front();
    run(line);
  }
}

void JobRunner::frameDrawn() {
  frameWait = false;
  if (job) job->frameDrawn();
}

bool JobRunner::cancel() {
  if (!job) return false;
  job->cancel();
  job.reset();
  return true;
}

void JobRunner::clear() {
  cancel();
  startedInStep.reset();
  frameWait = false;
  pending.clear();
}
