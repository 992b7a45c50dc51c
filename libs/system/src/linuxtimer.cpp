// LinuxHiResTimer: seconds since init() from the monotonic clock, nanosecond resolution.
#include "system/timer.h"

#include <time.h>

namespace {
int64_t nowNs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return int64_t(t.tv_sec) * 1000000000 + int64_t(t.tv_nsec);
}
}  // namespace

void LinuxHiResTimer::init() { start = nowNs(); }

double LinuxHiResTimer::getTime() { return static_cast<double>(nowNs() - start) / 1e9; }
