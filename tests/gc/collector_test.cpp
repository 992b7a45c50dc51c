// The collector: empty heap, roots, member pointers, cycles, deep trees, deletion order, broken lists.
// Each test counts only its own objects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gc/gc.h"

namespace {

using Names = std::vector<std::string>;
Names log;  // the names of the deleted nodes, in order

// A collected object with a name, a member pointer to another node and member
// pointers to children.
struct Node : gc::Object {
  explicit Node(std::string n) : name(std::move(n)), other(createPtr<Node>(nullptr)) {}
  ~Node() override { log.push_back(name); }
  std::string name;
  gc::Pointer<Node> other;
  std::vector<gc::Pointer<Node>> children;
};

struct Other : gc::Object {};

class Collector : public ::testing::Test {
protected:
  void SetUp() override {
    gc::sys.validate();
    gc::sys->collect();  // leftovers of earlier tests
    base = gc::sys->objects.size();
    log.clear();
  }
  std::size_t live() const { return gc::sys->objects.size() - base; }
  std::size_t base = 0;
};

// A root keeps what it reaches, cycles included, until it goes; garbage,
// cycles included, is deleted at the next collection, oldest first, whatever
// the order of reaching. An empty heap collects to nothing.
TEST_F(Collector, RootsKeepWhatTheyReachAndGarbageGoesOldestFirst) {
  gc::GarbageCollectSystem empty;
  empty.collect();
  EXPECT_EQ(empty.objects.size() + empty.rootPointers.size(), 0u);
  {
    Node* n[5];
    for (int i = 0; i < 5; ++i) n[i] = new Node(std::to_string(i));
    gc::GlobalPointer<Node> keep(n[3]);
    n[3]->other = n[1];
    n[1]->other = n[3];
    EXPECT_TRUE(live() == 5 && log.empty());
    gc::sys->collect();
    gc::sys->collect();
    EXPECT_EQ(log, (Names{"0", "2", "4"}));
  }
  gc::sys->collect();
  EXPECT_EQ(log, (Names{"0", "2", "4", "1", "3"}));
}

// A copy of a member pointer has the same owner, a copy of a root is a root;
// assignment changes only the target; access yields it as the type, or null.
TEST_F(Collector, CopiesKeepTheirOwnerAndAssignmentOnlyTheTarget) {
  gc::GlobalPointer<Node> root(new Node("owner"));
  Node* owner = root.get();
  {
    gc::Pointer<Node> copy(owner->other);
    copy = new Node("kept by copy");
    gc::sys->collect();
    EXPECT_TRUE(log.empty());
  }
  gc::sys->collect();
  EXPECT_EQ(log, Names{"kept by copy"});
  gc::GlobalPointer<Node> rootCopy(root);
  root = nullptr;
  gc::sys->collect();
  EXPECT_EQ(rootCopy->name, "owner");
  gc::Pointer<Other> member = owner->createPtr<Other>(nullptr);
  member = rootCopy;
  EXPECT_TRUE(member.owner == owner && member.target == owner && member.get() == nullptr && !(rootCopy == member));
}

// A deep tree, every node linked to its parent and its children, is marked
// without recursion; any node of it keeps the whole tree.
TEST_F(Collector, ADeepTreeLivesAndDiesAsAWhole) {
  int const depth = 100000;
  gc::GlobalPointer<Node> head(new Node("head")), tail(nullptr);
  Node* cur = head.get();
  for (int i = 1; i < depth; ++i) {
    Node *next = new Node(""), *leaf = new Node("leaf");
    next->children.push_back(next->createPtr(leaf));
    leaf->other = next;
    cur->children.push_back(cur->createPtr(next));
    next->other = cur;
    cur = next;
  }
  tail = cur->children[0].get();
  head = nullptr;
  gc::sys->collect();
  EXPECT_EQ(live(), 2u * depth - 1);
  tail = nullptr;
  gc::sys->collect();
  EXPECT_TRUE(live() == 0u && log.front() == "head");
}

// A link on either list that is not of the list's kind stops the collection.
TEST_F(Collector, ALinkOfTheWrongKindOnAListIsReported) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto strayOn = [](gc::Link* list) {
    gc::Link stray;
    stray.attach(list);
    gc::sys->collect();
  };
  EXPECT_DEATH(strayOn(&gc::sys->rootPointers), "libs/gc/src/gc.cpp:[0-9]+: failed assertion `b'");
  EXPECT_DEATH(strayOn(&gc::sys->objects), "libs/gc/src/gc.cpp:[0-9]+: failed assertion `o'");
}

}  // namespace
