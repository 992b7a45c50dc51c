// gc::Object: registration with the collector and removal on deletion.
#include "gc/collector.h"
#include "gc/object.h"

namespace gc {

Object::Object() : marked(false) {
  attach(&collector().objects);
}

Object::~Object() {
  // Member pointers of derived classes are gone by now; drop the list head,
  // then the Link destructor takes this object off the object list.
  pointers.detach();
}

}  // namespace gc
