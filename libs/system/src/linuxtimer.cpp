// LinuxHiResTimer: seconds since init() from the wall clock, microsecond resolution.
#include "system/timer.h"

void LinuxHiResTimer::init() { gettimeofday(&start, &tz); }

double LinuxHiResTimer::getTime() {
  struct timeval now;
  gettimeofday(&now, &tz);
  double nowSeconds = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_usec) / 1000000.0;
  double startSeconds =
      static_cast<double>(start.tv_sec) + static_cast<double>(start.tv_usec) / 1000000.0;
  return nowSeconds - startSeconds;
}
