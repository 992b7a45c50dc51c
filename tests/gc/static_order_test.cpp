// The collector used from a static constructor of another file: the holder is constant-initialised,
// and the object and root made there are still registered, and protected, when the tests run.
#include <gtest/gtest.h>

#include "gc/gc.h"

namespace {

constexpr Singleton<gc::GarbageCollectSystem> constantHolder;
static_assert(constantHolder.instance == nullptr, "a holder needs no constructor to run before it is used");

struct Early : gc::Object {};

struct EarlyUser {
  EarlyUser() : root(new Early) { created = gc::sys.instance; }
  gc::GlobalPointer<Early> root;
  gc::GarbageCollectSystem* created;
};

EarlyUser earlyUser;

TEST(StaticOrder, InstanceCreatedByAStaticConstructorIsTheOneInUse) {
  gc::sys.validate();
  EXPECT_EQ(gc::sys.instance, earlyUser.created);
  std::size_t const before = gc::sys->objects.size();
  gc::sys->collect();  // its root still protects it
  EXPECT_EQ(gc::sys->objects.size(), before);
  EXPECT_EQ(gc::sys->objects.next, earlyUser.root.get());  // the oldest object
}

}  // namespace
