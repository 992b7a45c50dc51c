// gc::GarbageCollectSystem: breadth-first marking from the roots, then a sweep of
// the object list in order of construction.
#include "gc/collector.h"

#include "math/assert.h"

namespace gc {

// Zero-filled static storage whose constructor assigns nothing, so an instance
// made by an earlier static constructor would survive it; it is also
// constructed ahead of every ordinary static object, so that no static
// constructor calls into a holder whose construction has not run (the
// undefined-behaviour sanitizer checks the type of every object used).
Singleton<GarbageCollectSystem> sys __attribute__((init_priority(101)));

namespace {
// The most recently created collector; an instance made after the holder was
// destroyed at exit chains to the earlier one so that it stays reachable.
GarbageCollectSystem*& latest() {
  static GarbageCollectSystem* p = nullptr;
  return p;
}
}  // namespace

GarbageCollectSystem& collector() {
  sys.validate();
  return *sys.instance;
}

GarbageCollectSystem::GarbageCollectSystem() : older(latest()) { latest() = this; }

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
