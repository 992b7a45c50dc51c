// Tests of the collector: reachability through roots and member pointers,
// cycles, deletion order, pointer copies and downcasts, broken list invariants.
// Each test starts from a collected heap and counts only its own objects.
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

// Garbage, cycles included, goes at the next collection and not before; a
// heap that was emptied (or a fresh collector's) collects to nothing.
TEST_F(Collector, UnreachableObjectsAndCyclesGoAtTheNextCollectionOnly) {
  Node* n = new Node("a");
  EXPECT_FALSE(n->marked);
  EXPECT_EQ(live(), 1u);
  EXPECT_TRUE(log.empty());
  gc::sys->collect();
  EXPECT_EQ(log, std::vector<std::string>{"a"});
  EXPECT_EQ(live(), 0u);

  Node *b = new Node("b"), *c = new Node("c");
  b->other = c;
  c->other = b;
  gc::sys->collect();
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(live(), 0u);

  gc::GarbageCollectSystem own;
  own.collect();
  EXPECT_EQ(own.objects.size(), 0u);
  EXPECT_EQ(own.rootPointers.size(), 0u);
}

// A root keeps what it reaches, cycles included, until it goes out of scope;
// garbage is deleted oldest first.
TEST_F(Collector, RootsKeepWhatTheyReachAndGarbageGoesOldestFirst) {
  {
    gc::GlobalPointer<Node> keep(nullptr);
    new Node("1");
    Node* two = new Node("2");
    new Node("3");
    Node* four = new Node("4");
    new Node("5");
    keep = two;
    two->other = four;
    four->other = two;
    gc::sys->collect();
    EXPECT_EQ(log, (std::vector<std::string>{"1", "3", "5"}));
    EXPECT_EQ(live(), 2u);
    gc::sys->collect();  // a second collection deletes nothing more
    EXPECT_EQ(log.size(), 3u);
  }
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
  Node* leaf = nullptr;
  for (int i = 0; i < 3; ++i) {
    Node* mid = new Node("mid");
    top->add(mid);
    for (int j = 0; j < 3; ++j) mid->add(leaf = new Node("leaf"));
  }
  {
    // Holding one leaf keeps the whole tree, through the parent links.
    gc::GlobalPointer<Node> leafRoot(leaf);
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
  for (int i = 1; i < depth; ++i) cur = (cur->other = new Node("")).get();
  gc::sys->collect();
  EXPECT_EQ(live(), static_cast<std::size_t>(depth));
  deathLog = nullptr;
  head = nullptr;
  gc::sys->collect();
  EXPECT_EQ(live(), 0u);
}

// A link on either list that is not of the list's kind stops the collection.
using CollectorDeath = Collector;

TEST_F(CollectorDeath, ALinkOfTheWrongKindOnAListIsReported) {
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
