// gc::PointerBase: joining the owner's pointer list or the root list.
#include "gc/collector.h"
#include "gc/pointer.h"

namespace gc {

namespace {
void attachTo(PointerBase* p) {
  if (p->owner) {
    p->attach(&p->owner->pointers);
  } else {
    p->attach(&collector().rootPointers);
  }
}
}  // namespace

PointerBase::PointerBase(Object* owner_, Object* target_) : Link(), owner(owner_), target(target_) {
  attachTo(this);
}

PointerBase::PointerBase(PointerBase const& other) : Link(), owner(other.owner), target(other.target) {
  attachTo(this);
}

}  // namespace gc
