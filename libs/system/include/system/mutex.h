// Locks: the interface IMutex, the owning front Mutex over the platform lock
// (made by MutexFactory) and the scope guard MutexLock.
#pragma once

class IMutex {
public:
  virtual ~IMutex() = default;
  // Prepares the lock; false when that failed.
  virtual bool init() = 0;
  virtual void shutdown() = 0;
  virtual void lock() = 0;
  virtual void unlock() = 0;
};

// Owns a platform implementation and forwards to it.
class Mutex : public IMutex {
public:
  // initNow: initialise the lock at once instead of by a later init().
  explicit Mutex(bool initNow = false);
  ~Mutex() override;
  Mutex(Mutex const&) = delete;
  Mutex& operator=(Mutex const&) = delete;

  bool init() override;
  void shutdown() override;
  void lock() override;
  void unlock() override;

  IMutex* imp;
};

class MutexFactory {
public:
  // A new platform lock, owned by the caller.
  static IMutex* create(bool initNow);
};

// Holds a Mutex locked for the lifetime of the guard.
class MutexLock {
public:
  explicit MutexLock(Mutex* m);
  ~MutexLock();
  MutexLock(MutexLock const&) = delete;
  MutexLock& operator=(MutexLock const&) = delete;

  Mutex* cs;
};
