// High-resolution clock: the interface PHiResTimer, its front IHiResTimer (the
// global `timer`) and LinuxHiResTimer, seconds since init() on the monotonic clock.
#pragma once

#include <cstdint>

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

// Reads the monotonic clock, which setting the system time never moves.
class LinuxHiResTimer : public PHiResTimer {
public:
  constexpr LinuxHiResTimer() : start(0) {}

  void init() override;
  double getTime() override;

  int64_t start;  // the clock at init(), in nanoseconds
};

extern IHiResTimer timer;
