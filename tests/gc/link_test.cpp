// Tests of gc::Link: the ring an empty head makes with itself, attaching to the
// tail (moving a link already on a list), detaching and the destructor.
#include <gtest/gtest.h>

#include "gc/link.h"

namespace {

TEST(Link, AttachAppendsAndReattachMovesToTail) {
  gc::Link head, a, b, c;
  EXPECT_EQ(head.size(), 0u);
  EXPECT_EQ(head.next, &head);
  EXPECT_EQ(head.prev, &head);
  for (gc::Link* l : {&a, &b, &c}) l->attach(&head);
  EXPECT_EQ(head.size(), 3u);
  EXPECT_EQ(head.next, &a);
  EXPECT_EQ(head.prev, &c);
  a.attach(&head);  // already on it: moves to the tail
  EXPECT_EQ(head.size(), 3u);
  gc::Link* ring[] = {&head, &b, &c, &a, &head};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(ring[i]->next, ring[i + 1]) << i;
    EXPECT_EQ(ring[i + 1]->prev, ring[i]) << i;
  }
}

TEST(Link, DetachAndDestructionLeaveTheListConsistent) {
  gc::Link head, a, other;
  {
    gc::Link b;
    a.attach(&head);
    b.attach(&head);
    EXPECT_EQ(a.detach(), &a);
    EXPECT_EQ(a.next, &a);
    EXPECT_EQ(head.size(), 1u);
  }
  EXPECT_EQ(head.size(), 0u);  // b's destructor took it off
  EXPECT_EQ(head.next, &head);
  a.attach(&head);
  a.attach(&other);  // moves between lists
  EXPECT_EQ(head.size(), 0u);
  EXPECT_EQ(other.size(), 1u);
}

}  // namespace
