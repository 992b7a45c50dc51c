// Tests of the collector: reachability through roots and member pointers,
// cycles, deletion order, pointer copies and downcasts, broken list invariants.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gc/gc.h"

namespace {

std::vector<std::string>* deathLog = nullptr;

// A collected object with a name, a member pointer to another node and a list
// of member pointers to children; its destructor records its name.
struct Node : gc::Object {
  explicit Node(std::string n) : name(std::move(n)), other(createPtr<Node>(nullptr)) {}
  ~Node() override {
    if (deathLog) deathLog->push_back(name);
  }
  void add(Node* child) {
    children.push_back(createPtr<Node>(child));
    child->other = this;
  }
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
    deathLog = &log;
  }
  void TearDown() override {
    gc::sys->collect();
    deathLog = nullptr;
  }
  std::size_t live() const { return gc::sys->objects.size() - base; }

  std::vector<std::string> log;
  std::size_t base = 0;
};

TEST_F(Collector, UnreachableObjectIsFreedAtTheNextCollectionOnly) {
  Node* n = new Node("a");
  EXPECT_FALSE(n->marked);
  EXPECT_EQ(live(), 1u);
  EXPECT_TRUE(log.empty());  // nothing happens between collections
  gc::sys->collect();
  EXPECT_EQ(log, std::vector<std::string>{"a"});
  EXPECT_EQ(live(), 0u);
}

TEST_F(Collector, CycleWithoutRootIsFreed) {
  Node* a = new Node("a");
  Node* b = new Node("b");
  a->other = b;
  b->other = a;
  gc::sys->collect();
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(live(), 0u);
}

TEST_F(Collector, StackRootKeepsItsTargetAndWhatItReaches) {
  {
    gc::GlobalPointer<Node> root(new Node("a"));
    root->other = new Node("b");
    root->other->other = root.get();  // cycle reachable from the root
    new Node("c");                    // garbage
    gc::sys->collect();
    EXPECT_EQ(log, std::vector<std::string>{"c"});
    EXPECT_EQ(live(), 2u);
    gc::sys->collect();  // a second collection deletes nothing more
    EXPECT_EQ(log.size(), 1u);
  }
  gc::sys->collect();
  EXPECT_EQ(log, (std::vector<std::string>{"c", "a", "b"}));
}

TEST_F(Collector, UnreachableObjectsAreDeletedOldestFirst) {
  gc::GlobalPointer<Node> keep(nullptr);
  new Node("1");
  Node* two = new Node("2");
  new Node("3");
  Node* four = new Node("4");
  new Node("5");
  keep = two;
  two->other = four;
  gc::sys->collect();
  EXPECT_EQ(log, (std::vector<std::string>{"1", "3", "5"}));
  keep = nullptr;
  gc::sys->collect();
  EXPECT_EQ(log, (std::vector<std::string>{"1", "3", "5", "2", "4"}));
}

TEST_F(Collector, CopiesKeepTheirOwnerAndAssignmentChangesOnlyTheTarget) {
  gc::GlobalPointer<Node> root(new Node("owner"));
  Node* owner = root.get();
  std::size_t before = owner->pointers.size();
  {
    gc::Pointer<Node> copy(owner->other);  // a member pointer of the same owner
    EXPECT_EQ(copy.owner, owner);
    EXPECT_EQ(owner->pointers.size(), before + 1);
    copy = new Node("kept by copy");
    gc::sys->collect();
    EXPECT_TRUE(log.empty());  // reached through the owner's pointer list
  }
  EXPECT_EQ(owner->pointers.size(), before);
  gc::sys->collect();
  EXPECT_EQ(log, std::vector<std::string>{"kept by copy"});

  // A copy of a root is a root.
  gc::GlobalPointer<Node> rootCopy(root);
  EXPECT_EQ(rootCopy.owner, nullptr);
  root = nullptr;
  gc::sys->collect();
  EXPECT_EQ(log.size(), 1u);
  EXPECT_EQ(rootCopy->name, "owner");

  // Assigning another pointer copies its target, never its owner or list.
  gc::Pointer<Node> member = owner->createPtr<Node>(nullptr);
  member = rootCopy;
  EXPECT_EQ(member.owner, owner);
  EXPECT_EQ(member.get(), owner);
  EXPECT_TRUE(member == rootCopy);
  EXPECT_FALSE(member != rootCopy);
}

TEST_F(Collector, AccessDowncastsOrYieldsNull) {
  gc::GlobalPointer<gc::Object> any(new Other);
  gc::Pointer<Node> asNode(nullptr, nullptr);
  EXPECT_EQ(asNode.get(), nullptr);
  asNode = any;  // target is an Other, not a Node
  EXPECT_EQ(asNode.target, any.get());
  EXPECT_EQ(asNode.get(), nullptr);
  EXPECT_FALSE(asNode);
  gc::GlobalPointer<Other> asOther(nullptr);
  asOther = any;
  EXPECT_NE(asOther.get(), nullptr);
  // Comparison uses what the other pointer yields on access.
  EXPECT_TRUE(asOther == any);
  EXPECT_FALSE(any == asNode);
}

TEST_F(Collector, ATreeLivesAndDiesAsAWhole) {
  Node* top = new Node("top");
  std::vector<Node*> leaves;
  for (int i = 0; i < 3; ++i) {
    Node* mid = new Node("mid" + std::to_string(i));
    top->add(mid);
    for (int j = 0; j < 3; ++j) {
      Node* leaf = new Node("leaf");
      mid->add(leaf);
      leaves.push_back(leaf);
    }
  }
  EXPECT_EQ(live(), 13u);
  {
    // Holding one leaf keeps the whole tree, through the parent links.
    gc::GlobalPointer<Node> leafRoot(leaves[7]);
    gc::sys->collect();
    EXPECT_EQ(live(), 13u);
  }
  gc::sys->collect();
  EXPECT_EQ(live(), 0u);
  EXPECT_EQ(log.size(), 13u);
  EXPECT_EQ(log.front(), "top");
}

TEST_F(Collector, DeepChainIsMarkedWithoutRecursion) {
  const int depth = 200000;
  gc::GlobalPointer<Node> head(new Node("0"));
  Node* cur = head.get();
  for (int i = 1; i < depth; ++i) {
    Node* n = new Node("");
    cur->other = n;
    cur = n;
  }
  gc::sys->collect();
  EXPECT_EQ(live(), static_cast<std::size_t>(depth));
  deathLog = nullptr;
  head = nullptr;
  gc::sys->collect();
  EXPECT_EQ(live(), 0u);
}

TEST_F(Collector, EmptyHeapCollectsToNothing) {
  gc::GarbageCollectSystem own;
  own.collect();
  own.collect();
  EXPECT_EQ(own.objects.size(), 0u);
  EXPECT_EQ(own.rootPointers.size(), 0u);
  // After the heap has been emptied, later garbage is still collected.
  new Node("late");
  gc::sys->collect();
  EXPECT_EQ(log, std::vector<std::string>{"late"});
}

using CollectorDeath = Collector;

TEST_F(CollectorDeath, ALinkThatIsNotAPointerOnTheRootListIsReported) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        gc::Link stray;
        stray.attach(&gc::sys->rootPointers);
        gc::sys->collect();
      },
      "libs/gc/src/gc.cpp:[0-9]+: failed assertion `b'");
}

TEST_F(CollectorDeath, ALinkThatIsNotAnObjectOnTheObjectListIsReported) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        gc::Link stray;
        stray.attach(&gc::sys->objects);
        gc::sys->collect();
      },
      "libs/gc/src/gc.cpp:[0-9]+: failed assertion `o'");
}

}  // namespace
