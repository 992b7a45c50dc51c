// LinuxMutex: the platform lock behind Mutex on Linux, a pthread mutex. Private
// to the system library, so that pthread types stay out of the front headers.
#pragma once

#include <pthread.h>

#include "system/mutex.h"

// A plain (non-recursive) pthread mutex.
class LinuxMutex : public IMutex {
public:
  explicit LinuxMutex(bool initNow);
  ~LinuxMutex() override;
  LinuxMutex(LinuxMutex const&) = delete;
  LinuxMutex& operator=(LinuxMutex const&) = delete;

  bool init() override;
  void shutdown() override;
  void lock() override;
  void unlock() override;

  pthread_mutex_t mutex;
  bool initialised;
};
