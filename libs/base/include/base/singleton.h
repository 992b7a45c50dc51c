// Singleton<T>: a lazily created single instance that any static constructor may
// use, whatever the order in which translation units are initialised.
#pragma once

// The holder's constructor is constexpr, so a holder with static storage is
// constant-initialised: it is complete before any static constructor runs, and
// validate() may be called from any of them. It has no destructor, so the
// instance (never deleted) stays reachable while static objects are destroyed
// at exit. Every user calls validate() before touching the instance.
template <class T>
class Singleton {
public:
  constexpr Singleton() : instance(nullptr) {}
  Singleton(Singleton const&) = delete;
  Singleton& operator=(Singleton const&) = delete;

  void validate() {
    if (!instance) instance = new T();
  }

  T* operator->() { return instance; }
  T& operator*() { return *instance; }

  T* instance;
};
