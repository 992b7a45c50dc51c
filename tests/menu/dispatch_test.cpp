// Tests of the menu system's input pass: hit testing, responses, raising,
// capture, focus and key delivery, driven by real mouse and keyboard frames.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/exception.h"
#include "menuharness.h"

namespace {

using pwn::Vec2;

// A widget that records what reaches it and answers as told.
struct Probe : pwn::Object {
  Probe(Vec2 p, Vec2 s, bool use = true) : Object(p, s), use(use) {}
  int preMouseEvent(pwn::MouseEvent e, Vec2 const& local) override {
    int r = Object::preMouseEvent(e, local);
    return r ? r : pre;
  }
  bool mouseEvent(pwn::MouseEvent e, Vec2 const& local) override {
    events.push_back(e.flags);
    locals.push_back(local);
    return use;
  }
  bool doKeyPress(int key) override {
    keys.push_back(key);
    return true;
  }
  bool use;
  int pre = 0;
  std::vector<unsigned> events;
  std::vector<Vec2> locals;
  std::vector<int> keys;
};

using Dispatch = MenuHarness;

TEST_F(Dispatch, WithoutRootNothingIsReadOrUsed) {
  pwn::menuSys->shutdown();
  EXPECT_EQ(pwn::menuSys->getRoot(), nullptr);
  EXPECT_EQ(pwn::menuSys->getSize(), Vec2(0, 0));
  kbdImp.keyDown(static_cast<Key::Key_t>('a'));
  kbdImp.preUpdate();
  mouseImp.setButtonPress(PMouseHandler::PRIMARY, true);
  mouseImp.update();
  EXPECT_FALSE(pwn::menuSys->getInput());
  EXPECT_EQ(kbdImp.getKeyDownQueueSize(), 1);
  EXPECT_FALSE(pwn::menuSys->keyWasTrapped());
}

TEST_F(Dispatch, HitTestingIsStrictOnEveryEdge) {
  Probe* p = add<Probe>(Vec2(10, 10), Vec2(20, 5));
  for (Vec2 edge : {Vec2(10, 12), Vec2(30, 12), Vec2(20, 10), Vec2(20, 15)}) EXPECT_FALSE(frame(edge.x, edge.y));
  EXPECT_TRUE(p->events.empty());
  EXPECT_TRUE(frame(11, 14));
  ASSERT_EQ(p->locals.size(), 1u);
  EXPECT_EQ(p->locals[0], Vec2(1, 4));
  EXPECT_EQ(static_cast<pwn::Object*>(root->mouseChild.get()), p);
}

TEST_F(Dispatch, AChildOutsideItsParentIsNotHit) {
  Probe* parent = add<Probe>(Vec2(50, 50), Vec2(10, 10), false);
  Probe* outside = new Probe(Vec2(20, 0), Vec2(10, 10));
  parent->addChild(outside);
  EXPECT_FALSE(frame(75, 55));
  EXPECT_TRUE(outside->events.empty());
  EXPECT_TRUE(parent->events.empty());
}

TEST_F(Dispatch, ScaleAndContentOffsetMapThePointer) {
  Probe* panel = add<Probe>(Vec2(10, 10), Vec2(40, 40), false);
  Probe* inner = new Probe(Vec2(5, 10), Vec2(4, 4));
  panel->addChild(inner);
  panel->scale = Vec2(2, 2);
  panel->contentOffset = Vec2(0, 10);
  // (23, 11): panel local (6.5, 0.5), content (6.5, 10.5), inner local (1.5, 0.5).
  frame(23, 11);
  ASSERT_EQ(inner->locals.size(), 1u);
  EXPECT_EQ(inner->locals[0], Vec2(1.5f, 0.5f));
  EXPECT_EQ(panel->locals.size(), 0u);
  // Without the offset the same point lies above the inner widget...
  panel->contentOffset = Vec2(0, 0);
  frame(23, 11);
  EXPECT_EQ(inner->locals.size(), 1u);
  // ...and without the scale it lies to its right.
  panel->contentOffset = Vec2(0, 10);
  panel->scale = Vec2(1, 1);
  frame(23, 11);
  EXPECT_EQ(inner->locals.size(), 1u);
  EXPECT_EQ(panel->locals.size(), 2u);
}

TEST_F(Dispatch, TopmostChildGetsTheEventFirstAndHoverRaisesTopLevelObjects) {
  Probe* a = add<Probe>(Vec2(10, 10), Vec2(20, 20));
  Probe* b = add<Probe>(Vec2(20, 20), Vec2(20, 20));
  frame(25, 25);
  EXPECT_EQ(b->events.size(), 1u);
  EXPECT_TRUE(a->events.empty());
  // A child that does not use the event passes it on to the one below.
  b->use = false;
  frame(25, 25);
  EXPECT_EQ(a->events.size(), 1u);
  // Hovering over the lower one raises it above its sibling.
  b->use = true;
  frame(15, 15);
  EXPECT_EQ(root->indexOfChild(a), 1);
  frame(25, 25);
  EXPECT_EQ(a->events.size(), 3u);
  EXPECT_EQ(b->events.size(), 2u);
}

TEST_F(Dispatch, PriorityRequestsAreServedInListOrder) {
  Probe *a = add<Probe>(Vec2(0, 0), Vec2(1, 1)), *b = add<Probe>(Vec2(0, 0), Vec2(1, 1)),
        *c = add<Probe>(Vec2(0, 0), Vec2(1, 1));
  a->setTopmostPriority(1);
  b->setTopmostPriority(5);
  frame(200, 100);  // over no child
  EXPECT_EQ(root->indexOfChild(c), 0);
  EXPECT_EQ(root->indexOfChild(a), 1);
  EXPECT_EQ(root->indexOfChild(b), 2);
  EXPECT_EQ(a->getTopmostPriority(), 0);
  EXPECT_EQ(b->getTopmostPriority(), 0);
}

TEST_F(Dispatch, RaisingAChildItsParentDoesNotListIsReported) {
  gc::GlobalPointer<pwn::Object> stray(new pwn::Object(Vec2(0, 0), Vec2(1, 1)));
  stray->parent = root;
  testing::internal::CaptureStderr();
  pwn::g_menuSys.setTopmost(stray.get());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "tried to reposition a child in a parent list when the child wasn't there\n");
  stray->parent = nullptr;
}

TEST_F(Dispatch, PreMouseResponsesSkipOrStopTheSubtree) {
  Probe* outer = add<Probe>(Vec2(10, 10), Vec2(50, 50));
  Probe* inner = new Probe(Vec2(5, 5), Vec2(10, 10));
  outer->addChild(inner);
  outer->pre = 2;  // used here: neither the children nor mouseEvent see it
  EXPECT_TRUE(frame(20, 20));
  EXPECT_TRUE(outer->events.empty());
  EXPECT_TRUE(inner->events.empty());
  outer->pre = 1;  // skipped
  EXPECT_FALSE(frame(20, 20));
  EXPECT_TRUE(inner->events.empty());
  outer->pre = 0;
  outer->setVisible(false);  // hidden objects skip themselves
  EXPECT_FALSE(frame(20, 20));
  EXPECT_TRUE(inner->events.empty());
  outer->setVisible(true);
  EXPECT_TRUE(frame(20, 20));
  EXPECT_EQ(inner->events.size(), 1u);
  EXPECT_TRUE(outer->events.empty());  // inner used it
}

TEST_F(Dispatch, UnknownResponseStopsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  add<Probe>(Vec2(10, 10), Vec2(10, 10))->pre = 7;
  EXPECT_DEATH(frame(15, 15), "libs/menu/src/sys/menusystem.cpp:[0-9]+: failed assertion `false'");
}

TEST_F(Dispatch, EventFlagsFollowTheButtonStates) {
  Probe* p = add<Probe>(Vec2(0, 0), Vec2(100, 100));
  frame(50, 50, true);
  frame(50, 50, true, true);
  frame(50, 50, false, true);
  frame(50, 50, false, false);
  using E = pwn::MouseEvent;
  EXPECT_EQ(p->events, (std::vector<unsigned>{E::primaryPressed, E::primaryHeld | E::secondaryPressed,
                                              E::primaryReleased | E::secondaryHeld,
                                              E::secondaryReleased}));
}

TEST_F(Dispatch, CaptureSeesTheEventFirstAndTheTreeSkipsIt) {
  pwn::Checkbox* box = add<pwn::Checkbox>(Vec2(10, 100), "box", false);
  box->setSize(Vec2(10, 4));
  pwn::Window* w = add<pwn::Window>(Vec2(100, 50), Vec2(40, 20), false);
  frame(110, 60, true);
  EXPECT_EQ(pwn::menuSys->getCapture(), w);
  // Dragging: the window follows the pointer, also off its own rectangle.
  frame(30, 70, true);
  EXPECT_EQ(w->getPos(), Vec2(20, 60));
  frame(12, 101, true);
  EXPECT_EQ(w->getPos(), Vec2(2, 91));
  // The release is used by the captured window; the checkbox under the
  // pointer never sees it.
  EXPECT_TRUE(frame(12, 101, false));
  EXPECT_EQ(pwn::menuSys->getCapture(), nullptr);
  EXPECT_FALSE(box->isChecked());
  // Without the capture the same release toggles it.
  w->setPos(Vec2(200, 0));
  click(12, 101);
  EXPECT_TRUE(box->isChecked());
}

TEST_F(Dispatch, RootRefusesAnyOtherSizing) {
  std::string why;
  try {
    root->setSize(Vec2(1, 1));
  } catch (Exception const& e) {
    why = e.message();
  }
  EXPECT_EQ(why, "MenuRoot::setSize not allowed");
  root->setScale(Vec2(4, 2));
  EXPECT_EQ(pwn::menuSys->getSize(), Vec2(W / 4, H / 2));
}

TEST_F(Dispatch, ChurnOfManyWidgetsLeavesNothingBehind) {
  frame(0, 0);
  std::size_t const before = gc::sys->objects.size();
  for (int round = 0; round < 5; ++round) {
    using Leaf = Counted<pwn::Object>;
    for (int w = 0; w < 10; ++w) {
      pwn::Object* win = add<pwn::Window>(Vec2(0, 0), Vec2(50, 50), true);
      for (int i = 0; i < 200; ++i) {
        Leaf* c = new Leaf(Vec2(0, 0), Vec2(1, 1));
        win->addChild(c);
        c->addChild(new Leaf(Vec2(0, 0), Vec2(1, 1)));
      }
    }
    frame(10, 10, true);  // collection with everything reachable
    EXPECT_EQ(Leaf::alive, 10 * 400);
    std::vector<pwn::Object*> wins;
    for (auto const& c : root->children) wins.push_back(c.get());
    // The press captured the topmost window and gave it the focus.
    EXPECT_EQ(pwn::menuSys->getCapture(), wins.back());
    EXPECT_EQ(pwn::g_menuSys.getFocus(), wins.back());
    // Half the windows closed (letting go of capture and focus), half unlinked.
    for (std::size_t i = 0; i < wins.size(); ++i)
      i % 2 ? static_cast<pwn::Window*>(wins[i])->close() : wins[i]->unlinkFromParent();
    EXPECT_EQ(pwn::menuSys->getCapture(), nullptr);
    EXPECT_EQ(pwn::g_menuSys.getFocus(), nullptr);
    frame(10, 10);
    EXPECT_EQ(Leaf::alive, 0);
    EXPECT_EQ(gc::sys->objects.size(), before);
  }
}

}  // namespace
