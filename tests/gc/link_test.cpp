// gc::Link: an empty head's ring, attaching at the tail, moving, detaching and the destructor.
#include <gtest/gtest.h>

#include "gc/link.h"

TEST(Link, AttachAppendsMovesAndDetachUnlinks) {
  gc::Link head, a, b, other;
  {
    gc::Link c;
    for (gc::Link* l : {&a, &b, &c, &a}) l->attach(&head);  // a again: moves to the tail
    gc::Link* ring[] = {&head, &b, &c, &a, &head};
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(ring[i]->next == ring[i + 1] && ring[i + 1]->prev == ring[i]) << i;
  }
  EXPECT_EQ(head.size(), 2u);  // c's destructor took it off
  EXPECT_EQ(b.detach(), &b);
  a.attach(&other);  // moves between lists
  EXPECT_TRUE(head.next == &head && head.prev == &head && b.next == &b && b.prev == &b);
  EXPECT_EQ(other.size(), 1u);
}
