// JobRunner: running lines in turn and stepping the current job.
#include "JobRunner.h"

#include "base/console.h"

void JobRunner::exec(char const* line) {
  if (idle())
    run(Line{line, false});
  else
    pending.push_back(Line{line, false});
}

void JobRunner::queue(std::string const& line) { pending.push_back(Line{line, true}); }

void JobRunner::start(std::unique_ptr<BenchJob> next) {
  if (job) job->cancel();
  job = std::move(next);
}

void JobRunner::run(Line const& line) {
  if (line.echo) con << "> " << line.text << "\n";
  cvarSys.validate();
  cvarSys->exec(line.text.c_str());
}

void JobRunner::update() {
  if (job) {
    // The job may start another (a sweep made of passes); the new one runs on.
    BenchJob* const stepping = job.get();
    if (!stepping->step() && job.get() == stepping) job.reset();
    return;
  }
  while (!job && !pending.empty()) {
    Line const line = pending.front();
    pending.pop_front();
    run(line);
  }
}

void JobRunner::frameDrawn() {
  if (job) job->frameDrawn();
}

void JobRunner::clear() {
  if (job) job->cancel();
  job.reset();
  pending.clear();
}
