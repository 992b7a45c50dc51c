// Singleton<T>: a lazily created single instance that any static constructor may
// use, whatever the order in which translation units are initialised.
#pragma once

// The holder is meant to live in zero-filled static storage. Its constructor
// assigns neither field, so an instance created by an earlier static constructor
// (through validate()) survives the holder's own construction. Every user calls
// validate() before touching the instance.
template <class T>
class Singleton {
public:
  Singleton() {}
  // Forgets the instance without deleting it: static objects destroyed later may
  // still reach it through their own pointers.
  virtual ~Singleton() {
    tag = nullptr;
    instance = nullptr;
  }

  void validate() {
    static char const* verification = "verification";
    if (tag != &verification) {
      tag = &verification;
      instance = new T();
      // Keeps the instance reachable for the whole run (it is never deleted),
      // also after the holder's destructor has forgotten it.
      keep() = instance;
    }
  }

  T* operator->() { return instance; }
  T& operator*() { return *instance; }

  void const* tag;
  T* instance;

private:
  static T*& keep() {
    static T* kept = nullptr;
    return kept;
  }
};
