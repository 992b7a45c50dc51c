// gc::Object: the base of every collected object; it registers itself with the
// collector and heads the list of its own member pointers.
#pragma once

#include "gc/link.h"
#include "gc/pointer.h"

namespace gc {

class Object : public Link {
public:
  Object();
  Object(Object const&) = delete;
  Object& operator=(Object const&) = delete;
  // Collected classes are deleted through this destructor by the collector only.
  ~Object() override;

  // A member pointer of this object to `obj`, used to initialise members.
  template <class T>
  Pointer<T> createPtr(T* obj) {
    return Pointer<T>(this, obj);
  }

  bool marked;
  Link pointers;
};

}  // namespace gc
