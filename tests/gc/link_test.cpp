// Tests of gc::Link: ring membership, attach to tail, detach and size.
#include <gtest/gtest.h>

#include "gc/link.h"

namespace {

TEST(Link, EmptyHeadAndSelfLinking) {
  gc::Link head;
  EXPECT_EQ(head.size(), 0u);
  EXPECT_EQ(head.next, &head);
  EXPECT_EQ(head.prev, &head);
}

TEST(Link, AttachAppendsAndReattachMovesToTail) {
  gc::Link head, a, b, c;
  a.attach(&head);
  b.attach(&head);
  c.attach(&head);
  EXPECT_EQ(head.size(), 3u);
  EXPECT_EQ(head.next, &a);
  EXPECT_EQ(head.prev, &c);
  // Attaching to the list it is already on moves it to the tail.
  a.attach(&head);
  EXPECT_EQ(head.size(), 3u);
  EXPECT_EQ(head.next, &b);
  EXPECT_EQ(b.next, &c);
  EXPECT_EQ(c.next, &a);
  EXPECT_EQ(a.next, &head);
  EXPECT_EQ(head.prev, &a);
}

TEST(Link, DetachAndDestructionLeaveTheListConsistent) {
  gc::Link head, a;
  {
    gc::Link b;
    a.attach(&head);
    b.attach(&head);
    EXPECT_EQ(a.detach(), &a);
    EXPECT_EQ(a.next, &a);
    EXPECT_EQ(head.size(), 1u);
  }
  // b's destructor took it off the list.
  EXPECT_EQ(head.size(), 0u);
  EXPECT_EQ(head.next, &head);
  // Moving a link from one list to another.
  gc::Link other;
  a.attach(&head);
  a.attach(&other);
  EXPECT_EQ(head.size(), 0u);
  EXPECT_EQ(other.size(), 1u);
}

}  // namespace
