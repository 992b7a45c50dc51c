// gc::GarbageCollectSystem: breadth-first marking from the roots, then a sweep of
// the object list in order of construction.
#include "gc/collector.h"

#include "math/assert.h"

namespace gc {

// Constant-initialised, so usable from any static constructor.
Singleton<GarbageCollectSystem> sys;

GarbageCollectSystem& collector() {
  sys.validate();
  return *sys.instance;
}

void GarbageCollectSystem::markPtrList(Link* list, std::vector<Object*>* out) {
  for (Link* l = list->next; l != list; l = l->next) {
    PointerBase* b = dynamic_cast<PointerBase*>(l);
    ASSERT(b);
    Object* t = b->target;
    if (t && !t->marked) {
      t->marked = true;
      out->push_back(t);
    }
  }
}

void GarbageCollectSystem::collect() {
  for (Link* l = objects.next; l != &objects; l = l->next) {
    Object* o = dynamic_cast<Object*>(l);
    ASSERT(o);
    o->marked = false;
  }

  std::vector<Object*> front;
  std::vector<Object*> next;
  markPtrList(&rootPointers, &front);
  for (;;) {
    for (Object* o : front) {
      ASSERT(o);
      markPtrList(&o->pointers, &next);
    }
    front.clear();
    if (next.empty()) break;
    front.swap(next);
  }

  // The next link is read before a deletion takes the current one off the list.
  Link* l = objects.next;
  while (l != &objects) {
    Link* following = l->next;
    Object* o = dynamic_cast<Object*>(l);
    ASSERT(o);
    if (!o->marked) delete o;
    l = following;
  }
}

}  // namespace gc
