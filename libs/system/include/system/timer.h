// High-resolution clock: the interface PHiResTimer, its front IHiResTimer (the
// global `timer`) and LinuxHiResTimer, seconds since init() from gettimeofday.
#pragma once

#include <sys/time.h>

class PHiResTimer {
public:
  // Time 0 is now.
  virtual void init() = 0;
  // Seconds since init().
  virtual double getTime() = 0;

protected:
  ~PHiResTimer() = default;
};

class IHiResTimer : public PHiResTimer {
public:
  constexpr IHiResTimer() : imp(nullptr) {}

  void setImp(PHiResTimer* p) { imp = p; }

  void init() override;
  double getTime() override;

  PHiResTimer* imp;
};

class LinuxHiResTimer : public PHiResTimer {
public:
  LinuxHiResTimer() : tz(), start() {}

  void init() override;
  double getTime() override;

  struct timezone tz;   // filled by every clock read; nothing reads it
  struct timeval start; // wall-clock time of init()
};

extern IHiResTimer timer;
