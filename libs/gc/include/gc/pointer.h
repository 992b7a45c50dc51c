// gc::PointerBase, gc::Pointer<T>, gc::GlobalPointer<T>: traced references that
// the collector follows; a pointer knows its owner and joins the right list itself.
#pragma once

#include "gc/link.h"

namespace gc {

class Object;

// An untyped traced reference. Its link sits on its owner's `pointers` list, or
// on the collector's root list when it has no owner.
class PointerBase : public Link {
public:
  PointerBase(Object* owner, Object* target);
  // A copy has the same owner and target, so a copy of a member pointer is a
  // member pointer of the same object and a copy of a root is a root.
  PointerBase(PointerBase const& other);
  // Assignment replaces the target only; the owner never changes.
  PointerBase& operator=(Object* obj) {
    target = obj;
    return *this;
  }
  PointerBase& operator=(PointerBase const& other) {
    target = other.target;
    return *this;
  }
  ~PointerBase() override {}

  Object* owner;
  Object* target;
};

// A typed traced reference: access yields the target downcast to T, or null
// when there is no target or it is not a T.
template <class T>
class Pointer : public PointerBase {
public:
  Pointer(Object* owner, T* obj) : PointerBase(owner, upcast(obj)) {}
  Pointer(Pointer const& other) : PointerBase(other) {}
  ~Pointer() override {}

  Pointer& operator=(Pointer const& other) {
    PointerBase::operator=(other);
    return *this;
  }
  // Takes any traced pointer's target, whatever its type; access then yields
  // null when that target is not a T.
  Pointer& operator=(PointerBase const& other) {
    PointerBase::operator=(other);
    return *this;
  }
  Pointer& operator=(T* obj) {
    PointerBase::operator=(upcast(obj));
    return *this;
  }

  T* get() const { return target ? dynamic_cast<T*>(target) : nullptr; }
  T* operator->() const { return get(); }
  T& operator*() const { return *get(); }
  operator T*() const { return get(); }

  template <class U>
  bool operator==(Pointer<U> const& other) const {
    return target == upcastAny(other.get());
  }
  template <class U>
  bool operator!=(Pointer<U> const& other) const {
    return !(*this == other);
  }

private:
  static Object* upcast(T* obj) { return obj; }
  template <class U>
  static Object* upcastAny(U* obj) {
    return obj;
  }
};

// A root pointer: its owner is always null, so whatever it refers to survives
// every collection while the pointer exists.
template <class T>
class GlobalPointer : public Pointer<T> {
public:
  explicit GlobalPointer(T* obj = nullptr) : Pointer<T>(nullptr, obj) {}
  GlobalPointer(GlobalPointer const& other) : Pointer<T>(other) {}
  ~GlobalPointer() override {}

  GlobalPointer& operator=(GlobalPointer const& other) {
    Pointer<T>::operator=(other);
    return *this;
  }
  GlobalPointer& operator=(PointerBase const& other) {
    Pointer<T>::operator=(other);
    return *this;
  }
  GlobalPointer& operator=(T* obj) {
    Pointer<T>::operator=(obj);
    return *this;
  }
};

}  // namespace gc
