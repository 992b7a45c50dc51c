// Proves that the collector can be used from a static constructor of another
// file: the object and root pointer made there are still registered, and
// protected, when the tests run.
#include <gtest/gtest.h>

#include "gc/gc.h"

namespace {

struct Early : gc::Object {};

struct EarlyUser {
  // The root pointer validates the holder itself; the object registers too.
  EarlyUser() : root(new Early) { created = gc::sys.instance; }
  gc::GlobalPointer<Early> root;
  gc::GarbageCollectSystem* created;
};

EarlyUser earlyUser;

TEST(StaticOrder, InstanceCreatedBeforeTheHolderSurvivesIt) {
  gc::sys.validate();
  // The holder kept the instance created by the earlier static constructor.
  EXPECT_EQ(gc::sys.instance, earlyUser.created);
  ASSERT_NE(earlyUser.root.get(), nullptr);
  bool onList = false;
  for (gc::Link* l = gc::sys->objects.next; l != &gc::sys->objects; l = l->next)
    if (l == earlyUser.root.get()) onList = true;
  EXPECT_TRUE(onList);
  // Its root still protects it.
  gc::sys->collect();
  onList = false;
  for (gc::Link* l = gc::sys->objects.next; l != &gc::sys->objects; l = l->next)
    if (l == earlyUser.root.get()) onList = true;
  EXPECT_TRUE(onList);
}

}  // namespace
