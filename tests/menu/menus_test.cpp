// Tests of the menu bar and its pull-down menus through the input pass: label
// layout, toggling, labels without menus, item widths and choosing items.
#include <gtest/gtest.h>

#include <vector>

#include "menuharness.h"

namespace {

using pwn::Vec2;

std::vector<int> chosen;
void choose(int id) { chosen.push_back(id); }

class Menus : public MenuHarness {
protected:
  void SetUp() override {
    MenuHarness::SetUp();
    setUnit(4);
    chosen.clear();
  }
};

TEST_F(Menus, LabelsFormOneRowAndTheBarGrowsToTheLast) {
  pwn::BaseMenu* bar = add<pwn::BaseMenu>(Vec2(0, 0));
  struct {
    char const* label;
    float x;  // labels are their text plus one space wide
  } labels[] = {{"ab", 0}, {"abc", 3}, {"abcd", 7}};
  for (auto const& l : labels) {
    pwn::BaseMenuEntry* e = new pwn::BaseMenuEntry(l.label, nullptr, root);
    bar->addChild(e);
    EXPECT_EQ(e->getPos(), Vec2(l.x, 0)) << l.label;
  }
  EXPECT_EQ(bar->getSize(), Vec2(12, 1));
  EXPECT_EQ(bar->entries.size(), 3u);
  EXPECT_FALSE(bar->draggable);
}

TEST_F(Menus, ItemsFormAColumnAsWideAsTheWidest) {
  pwn::SubMenuEntry* one = new pwn::SubMenuEntry("a", 1, nullptr, Vec2(5, 5));      // 2 wide
  pwn::SubMenuEntry* two = new pwn::SubMenuEntry("abcde", 2, nullptr, Vec2(5, 5));  // 6 wide
  pwn::SubMenuEntry* three = new pwn::SubMenuEntry("abc", 3, &choose, Vec2(5, 5));  // 4 wide
  pwn::SubMenu* sub = add<pwn::SubMenu>(&choose, one, two, three, static_cast<pwn::SubMenuEntry*>(nullptr));
  float y = 0;
  for (pwn::SubMenuEntry* e : {one, two, three}) {
    EXPECT_EQ(e->getPos(), Vec2(0, y));
    EXPECT_EQ(e->getSize(), Vec2(6, 1));
    EXPECT_EQ(e->callback, &choose);
    y += 1;
  }
  EXPECT_EQ(sub->getSize(), Vec2(6, 3));
  EXPECT_TRUE(sub->hideOnClose);
  EXPECT_FALSE(sub->closeButton.get());
  // Without a callback the items keep their own.
  pwn::SubMenuEntry* own = new pwn::SubMenuEntry("x", 4, nullptr, Vec2(0, 0));
  add<pwn::SubMenu>(nullptr, own, static_cast<pwn::SubMenuEntry*>(nullptr));
  EXPECT_EQ(own->callback, nullptr);
}

class MenuBar : public Menus {
protected:
  void SetUp() override {
    Menus::SetUp();
    // A bar at (4, 2) with "File" (items Open, Quit without a callback),
    // "Edit" (item Copy) and "Help" without a menu.
    open = new pwn::SubMenuEntry("Open", 10, &choose, Vec2(0, 0));
    quit = new pwn::SubMenuEntry("Quit", 11, nullptr, Vec2(0, 0));
    fileMenu = new pwn::SubMenu();
    fileMenu->addChild(open);
    fileMenu->addChild(quit);
    editMenu = new pwn::SubMenu(&choose, new pwn::SubMenuEntry("Copy", 20, nullptr, Vec2(0, 0)),
                                static_cast<pwn::SubMenuEntry*>(nullptr));
    bar = add<pwn::BaseMenu>(Vec2(4, 2));
    file = new pwn::BaseMenuEntry("File", fileMenu, root);
    edit = new pwn::BaseMenuEntry("Edit", editMenu, root);
    help = new pwn::BaseMenuEntry("Help", nullptr, root);
    bar->addChild(file);
    bar->addChild(edit);
    bar->addChild(help);
  }
  pwn::SubMenuEntry *open = nullptr, *quit = nullptr;
  pwn::SubMenu *fileMenu = nullptr, *editMenu = nullptr;
  pwn::BaseMenu* bar = nullptr;
  pwn::BaseMenuEntry *file = nullptr, *edit = nullptr, *help = nullptr;
};

TEST_F(MenuBar, PressingALabelTogglesItsMenuUnderIt) {
  EXPECT_EQ(fileMenu->parent.get(), root);
  EXPECT_FALSE(fileMenu->getVisible());
  EXPECT_EQ(fileMenu->baseEntry, file);
  // File spans x 4..9 of the root, Edit 9..14, Help 14..19.
  EXPECT_TRUE(frame(5, 2.5f, true));
  EXPECT_TRUE(fileMenu->getVisible());
  EXPECT_EQ(fileMenu->getPos(), Vec2(4, 3));  // one unit under the label, on screen
  EXPECT_EQ(bar->openSub.get(), fileMenu);
  frame(5, 2.5f, false);
  frame(5, 2.5f, true);
  EXPECT_FALSE(fileMenu->getVisible());
  EXPECT_EQ(bar->openSub.get(), fileMenu);
  frame(5, 2.5f, false);
  // Opening another menu hides the one open before.
  frame(5, 2.5f, true);
  frame(5, 2.5f, false);
  frame(10, 2.5f, true);
  EXPECT_TRUE(editMenu->getVisible());
  EXPECT_FALSE(fileMenu->getVisible());
  EXPECT_EQ(editMenu->getPos(), Vec2(9, 3));
  EXPECT_EQ(bar->openSub.get(), editMenu);
  frame(10, 2.5f, false);
  // A label without a menu closes the open one and forgets it.
  frame(15, 2.5f, true);
  EXPECT_FALSE(editMenu->getVisible());
  EXPECT_EQ(bar->openSub.get(), nullptr);
  // Every event that reaches the bar is used.
  EXPECT_TRUE(frame(15, 2.5f, false));
}

TEST_F(MenuBar, ChoosingAnItemCallsItsCallbackAndClosesTheMenu) {
  click(5, 2.5f);
  ASSERT_TRUE(fileMenu->getVisible());
  // Open at (4, 3), Quit at (4, 4).
  click(5, 3.5f);
  EXPECT_EQ(chosen, std::vector<int>{10});
  EXPECT_FALSE(fileMenu->getVisible());
  EXPECT_EQ(pwn::menuSys->getCapture(), nullptr);  // the press's drag ended
  click(5, 2.5f);
  ASSERT_TRUE(fileMenu->getVisible());
  click(5, 4.5f);  // no callback: only closes
  EXPECT_EQ(chosen, std::vector<int>{10});
  EXPECT_FALSE(fileMenu->getVisible());
  // The edit menu's item got the menu's callback.
  click(10, 2.5f);
  click(10, 3.5f);
  EXPECT_EQ(chosen, (std::vector<int>{10, 20}));
  // A secondary press on an open menu hides it without a choice.
  click(5, 2.5f);
  frame(5, 3.5f, false, true);
  EXPECT_FALSE(fileMenu->getVisible());
  EXPECT_EQ(chosen.size(), 2u);
}

}  // namespace
