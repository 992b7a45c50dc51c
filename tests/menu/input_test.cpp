// The menu system's input pass: hit testing, raising, capture and freeing of widgets.
#include <vector>

#include "menuharness.h"

namespace {

using pwn::Vec2;

// A widget that records what reaches it and answers as told.
struct Probe : pwn::Object {
  Probe(Vec2 p, Vec2 s, bool use = true) : Object(p, s), use(use) {}
  bool mouseEvent(pwn::MouseEvent, Vec2 const& local) override {
    locals.push_back(local);
    return use;
  }
  bool use;
  std::vector<Vec2> locals;  // where each event reached it
};

using Input = MenuHarness;

// Hit tests are strict on every edge and never reach a child outside its parent.
TEST_F(Input, HitTestingIsStrictOnEveryEdge) {
  Probe* p = add<Probe>(Vec2(10, 10), Vec2(20, 5));
  p->addChild(new Probe(Vec2(25, 0), Vec2(10, 5)));
  for (auto [x, y] : {std::pair{10, 12}, {30, 12}, {20, 10}, {20, 15}, {40, 12}}) EXPECT_FALSE(frame(x, y)) << x << ", " << y;
  EXPECT_TRUE(frame(11, 14));
  EXPECT_EQ(p->locals, std::vector<Vec2>{Vec2(1, 4)});
}

// The topmost child is tried first, then the next; the last top-level widget
// the pointer passed is raised.
TEST_F(Input, TopmostChildFirstAndTheLastPassedIsRaised) {
  Probe* a = add<Probe>(Vec2(10, 10), Vec2(20, 20));
  Probe* b = add<Probe>(Vec2(20, 20), Vec2(20, 20));
  for (bool use : {true, false, true}) b->use = use, frame(25, 25);  // b passes the second on to a
  EXPECT_TRUE(a->locals.size() == 2 && b->locals.size() == 2);
}

// A captured window follows the pointer and takes the release.
TEST_F(Input, ACapturedWindowFollowsThePointer) {
  setUnit(2);
  pwn::Window* w = add<pwn::Window>(Vec2(50, 25), Vec2(20, 10), false);
  frame(55, 30, true);
  EXPECT_EQ(pwn::menuSys->getCapture(), w);
  frame(15, 35, true);
  EXPECT_EQ(w->getPos(), Vec2(10, 30));
  frame(11, 51, true);
  EXPECT_TRUE(frame(11, 51, false));
  EXPECT_TRUE(w->getPos() == Vec2(6, 46) && pwn::menuSys->getCapture() == nullptr);
}

// Shutting down frees the whole tree, also the widget the pointer was over
// last, and then nothing is used.
TEST_F(Input, TheTreeIsFreedAtShutdown) {
  using Leaf = Counted<pwn::Object>;
  add<Leaf>(Vec2(0, 0), Vec2(50, 50))->addChild(new Leaf(Vec2(0, 0), Vec2(1, 1)));
  frame(10, 10);
  pwn::menuSys->shutdown();
  EXPECT_EQ(Leaf::alive, 0);
  EXPECT_EQ(pwn::menuSys->getSize(), Vec2(0, 0));
  EXPECT_FALSE(pwn::menuSys->keyWasTrapped());
  type({'a'});
  EXPECT_FALSE(frame(1, 1, true));
}

}  // namespace
