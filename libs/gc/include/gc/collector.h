// gc::GarbageCollectSystem and its holder gc::sys: the root list, the object list
// and the breadth-first mark and ordered sweep over them.
#pragma once

#include <vector>

#include "base/singleton.h"
#include "gc/link.h"
#include "gc/object.h"
#include "gc/pointer.h"

namespace gc {

class GarbageCollectSystem {
public:
  GarbageCollectSystem() = default;
  GarbageCollectSystem(GarbageCollectSystem const&) = delete;
  GarbageCollectSystem& operator=(GarbageCollectSystem const&) = delete;

  // A root pointer to `obj`; classes outside the collected heap use it for
  // their pointer members.
  template <class T>
  GlobalPointer<T> createPtr(T* obj) {
    return GlobalPointer<T>(obj);
  }

  // One full collection: every object that no root reaches is deleted, oldest
  // first.
  void collect();
  // Marks and queues (into `out`) every unmarked target of the pointers on `list`.
  void markPtrList(Link* list, std::vector<Object*>* out);

  Link rootPointers;
  Link objects;
};

// The process-wide collector. Call validate() before every use.
extern Singleton<GarbageCollectSystem> sys;

// Validates `sys` and returns its instance: safe from any static constructor,
// since the holder is constant-initialised.
GarbageCollectSystem& collector();

}  // namespace gc
