// The collector can be used from a static constructor of another file: its
// holder is constant-initialised, and the object and root pointer made there
// are still registered, and protected, when the tests run.
#include <gtest/gtest.h>

#include "gc/gc.h"

namespace {

// A holder needs no constructor to run before it is used.
constexpr Singleton<gc::GarbageCollectSystem> constantHolder;
static_assert(constantHolder.instance == nullptr, "a holder starts without an instance");

struct Early : gc::Object {};

struct EarlyUser {
  EarlyUser() : root(new Early) { created = gc::sys.instance; }
  gc::GlobalPointer<Early> root;
  gc::GarbageCollectSystem* created;
};

EarlyUser earlyUser;

bool onObjectList(gc::Object* o) {
  for (gc::Link* l = gc::sys->objects.next; l != &gc::sys->objects; l = l->next)
    if (l == o) return true;
  return false;
}

TEST(StaticOrder, InstanceCreatedByAStaticConstructorIsTheOneInUse) {
  gc::sys.validate();
  EXPECT_EQ(gc::sys.instance, earlyUser.created);
  ASSERT_NE(earlyUser.root.get(), nullptr);
  EXPECT_TRUE(onObjectList(earlyUser.root.get()));
  gc::sys->collect();  // its root still protects it
  EXPECT_TRUE(onObjectList(earlyUser.root.get()));
}

}  // namespace
