// Tests of the select drop-down through the input pass: opening over the
// chosen entry, raising, choosing, closing, resetting and key handling.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menuharness.h"

namespace {

using pwn::Vec2;

struct SelectLog : pwn::SelectListener {
  void callback_onSelect(pwn::Select*, int n, int o) override { calls.push_back({n, o}); }
  std::vector<std::pair<int, int>> calls;
};

class Selects : public MenuHarness {
protected:
  void SetUp() override {
    MenuHarness::SetUp();
    setUnit(4);  // a 64 x 32 unit screen; entries are one unit high
    sel = add<pwn::Select>(Vec2(10, 10), 8);
    for (const char* s : {"alpha", "beta", "gamma"}) sel->addString(s);
    sel->addSelectListener(&log);
    list = sel->contents.get();
  }
  pwn::Select* sel = nullptr;
  pwn::SelectContents* list = nullptr;
  SelectLog log;
};

TEST_F(Selects, StringsOutOfRangeAreEmptyAndSetSelectedNotifiesNobody) {
  EXPECT_STREQ(sel->getString(-1), "");
  EXPECT_STREQ(sel->getString(3), "");
  EXPECT_STREQ(sel->getString(1), "beta");
  sel->setSelected(1);
  EXPECT_EQ(sel->getText(), "beta");
  sel->setSelected(5);
  EXPECT_EQ(sel->selected, 5);
  EXPECT_EQ(sel->getText(), "");
  EXPECT_TRUE(log.calls.empty());
  // Without entries the text stays.
  pwn::Select* empty = add<pwn::Select>(Vec2(0, 0), 5);
  empty->setText("keep");
  empty->setSelected(5);
  EXPECT_EQ(empty->selected, 5);
  EXPECT_EQ(empty->getText(), "keep");
  // The list holds one unit per entry and belongs to the root.
  EXPECT_EQ(list->getSize(), Vec2(8, 3));
  EXPECT_EQ(list->parent.get(), root);
  EXPECT_FALSE(list->getVisible());
  EXPECT_FALSE(list->closeButton.get());
}

TEST_F(Selects, ListOpensOverTheSelectAtTheChosenIndexAndIsRaised) {
  sel->setSelected(2);
  EXPECT_LT(root->indexOfChild(list), root->indexOfChild(sel));
  click(12, 10.5f);
  EXPECT_TRUE(list->getVisible());
  // Entry 2 lies over the select: the list starts two units higher.
  EXPECT_EQ(list->getPos(), Vec2(10, 8));
  // Raised above the select by the end of the pass, its request served.
  EXPECT_EQ(root->indexOfChild(list), static_cast<int>(root->children.size()) - 1);
  EXPECT_EQ(list->getTopmostPriority(), 0);
  // Releasing on the first entry chooses it: listeners hear new and old index.
  click(12, 8.5f);
  EXPECT_EQ(log.calls, (std::vector<std::pair<int, int>>{{0, 2}}));
  EXPECT_EQ(sel->getText(), "alpha");
  EXPECT_FALSE(list->getVisible());
  // Reopened at index 0 it sits right on the select; the same entry again
  // still notifies.
  click(12, 10.5f);
  EXPECT_EQ(list->getPos(), Vec2(10, 10));
  click(12, 10.5f);  // the release lands on the list's entry 0
  EXPECT_EQ(log.calls.back(), std::make_pair(0, 0));
}

TEST_F(Selects, ReleaseOnTheSelectOrSecondaryPressClosesWithoutChoice) {
  click(12, 10.5f);
  ASSERT_TRUE(list->getVisible());
  list->setPos(Vec2(30, 20));  // keep the list off the select
  click(12, 10.5f);
  EXPECT_FALSE(list->getVisible());
  click(12, 10.5f);
  list->setPos(Vec2(30, 20));
  frame(31, 21.5f, false, true);
  EXPECT_FALSE(list->getVisible());
  EXPECT_TRUE(log.calls.empty());
}

TEST_F(Selects, ResetContentEmptiesTheListButKeepsTheChoice) {
  sel->setSelected(1);
  sel->resetContent();
  EXPECT_TRUE(sel->items.empty());
  EXPECT_EQ(list->getSize(), Vec2(8, 0));
  EXPECT_TRUE(list->children.empty());
  EXPECT_EQ(sel->selected, 1);
  EXPECT_EQ(sel->getText(), "beta");
  click(12, 10.5f);
  ASSERT_TRUE(list->getVisible());
  click(12, 9.5f);  // where entry 0 was: the list is zero units high now
  EXPECT_TRUE(log.calls.empty());
  // New entries start again at the top.
  sel->addString("delta");
  EXPECT_EQ(sel->items[0]->getPos(), Vec2(0, 0));
  EXPECT_EQ(list->getSize(), Vec2(8, 1));
}

TEST_F(Selects, FocusColoursTheTextAndKeysAreNotUsed) {
  frame(12, 10.5f, true);
  EXPECT_EQ(pwn::g_menuSys.getFocus(), sel);
  EXPECT_EQ(sel->getFontColor(), 0xFFFFFF00u);
  type({'x', Key::RETURN});
  EXPECT_FALSE(frame(12, 10.5f, true));
  EXPECT_FALSE(pwn::menuSys->keyWasTrapped());
  EXPECT_EQ(sel->getText(), "");
  EXPECT_EQ(pwn::g_menuSys.getFocus(), sel);
  frame(50, 30, false);  // released away from the select: the list stays shut
  EXPECT_FALSE(list->getVisible());
  frame(50, 30, true);
  EXPECT_EQ(sel->getFontColor(), 0xFFFFFFFFu);
}

}  // namespace
