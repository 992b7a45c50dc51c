// Widgets driven through the input pass: radios, text fields, windows, menus, selects, scrolling.
#include <string>
#include <tuple>
#include <vector>

#include "menuharness.h"

namespace {

using pwn::Vec2;
using Strings = std::vector<std::string>;

// Records notifications: "label=0/1", commits, "new<old" selections, "scroll".
struct Log : pwn::CheckboxListener, pwn::TextListener, pwn::SelectListener, pwn::ScrollbarListener {
  void callback_onSetChecked(pwn::Checkbox* box, bool on) override { calls.push_back(box->getText() + "=" + "01"[on]); }
  void callback_onTextChange(pwn::TextField* f) override { calls.push_back(f->getText()); }
  void callback_onSelect(pwn::Select*, int n, int o) override { calls.push_back(std::to_string(n) + "<" + std::to_string(o)); }
  void callback_onScroll(pwn::Scrollbar*) override { calls.push_back("scroll"); }
  Strings calls;
};

using Widgets = MenuHarness;

// A checked radio first clears the rest of its group; a release checks one.
TEST_F(Widgets, ARadioClearsItsGroupFirst) {
  Log log;
  gc::GlobalPointer<pwn::RadioGroup> group(new pwn::RadioGroup);
  pwn::Radio* r[3];
  for (int i = 0; i < 3; ++i) {
    r[i] = add<pwn::Radio>(Vec2(0, 10 * i), ("r" + std::to_string(i)).c_str(), group.get(), i != 1);
    r[i]->addCheckboxListener(&log);
    r[i]->setSize(Vec2(10, 4));
  }
  EXPECT_FALSE(frame(5, 12, true));
  frame(5, 12);
  click(5, 12);
  EXPECT_EQ(log.calls, (Strings{"r0=0", "r1=0", "r0=0", "r2=0", "r1=1", "r0=0", "r2=0", "r1=1"}));
}

// A focused field takes every key until Return or a press elsewhere takes the
// focus and commits the edit, if any.
TEST_F(Widgets, ATextFieldEditsWhileFocusedAndCommitsWhenTheFocusGoes) {
  pwn::TextField* field = add<pwn::TextField>(Vec2(10, 10), 30);
  field->setSize(Vec2(30, 4));
  Log log;
  field->addTextListener(&log);
  frame(20, 12, true);
  kbdImp.keyDown(Key::LSHIFT);
  type({'a', '2'});  // shifted: "A@"
  EXPECT_TRUE(frame(20, 12, true));
  kbdImp.keyUp(Key::LSHIFT);
  for (int i = 0; i < 2; ++i) frame(20, 12);
  type({'b', ' ', Key::UP, Key::BACKSPACE, 'c'});  // "A@bc"
  frame(20, 12);
  EXPECT_TRUE(pwn::menuSys->keyWasTrapped());
  click(20, 12);  // a press on the focused field keeps the edit pending
  EXPECT_TRUE(log.calls.empty());
  frame(200, 100, true);  // a press elsewhere commits it
  type({'x'});  // the root has the focus and uses no key
  EXPECT_FALSE(frame(200, 100) || pwn::menuSys->keyWasTrapped());
  // focus and blur without an edit: nothing to commit
  for (auto [x, y] : {std::pair{20.0f, 12.0f}, {200.0f, 100.0f}, {20.0f, 12.0f}}) click(x, y);
  type({Key::BACKSPACE, Key::RETURN, 'y'});  // Return commits "A@b"; 'y' is lost
  EXPECT_TRUE(frame(0, 0) && pwn::g_menuSys.getFocus() == nullptr);
  EXPECT_EQ(log.calls, (Strings{"A@bc", "A@b"}));
}

// A secondary press, or a primary one on the close button, closes a window for
// good: capture and focus let go of it, an edit inside is committed, the next
// pass frees it.
TEST_F(Widgets, ClosingAWindowReleasesFocusAndCaptureAndFreesIt) {
  using CountedWindow = Counted<pwn::Window>;
  Log log;
  // On the button (top right, also after a resize; a secondary press passes
  // through it), or on the window while it is captured.
  for (auto [width, x, primary, hold] : {std::tuple{60.0f, 69, true, false}, {40.0f, 69, false, false}, {60.0f, 40, false, true}}) {
    CountedWindow* w = add<CountedWindow>(Vec2(10, 10), Vec2(width, 30), true);
    if (width < 60) w->setSize(Vec2(60, 30));
    w->closeButton->setSize(Vec2(2, 4));  // at (68, 11) of the root
    pwn::TextField* inside = new pwn::TextField(Vec2(2, 10), 20);
    inside->addTextListener(&log);
    w->addChild(inside);
    frame(40, 15, hold);  // holding the primary button captures the window
    inside->setFocus();
    type({'k'});
    frame(40, 15, hold);
    frame(x, 13, primary || hold, !primary);
    EXPECT_TRUE(!w->parent.get() && !pwn::menuSys->getCapture() && !pwn::g_menuSys.getFocus());
    frame(0, 0);
    EXPECT_EQ(CountedWindow::alive, 0);
  }
  EXPECT_EQ(log.calls, Strings(3, "k"));
  pwn::TextField* outside = add<pwn::TextField>(Vec2(0, 0), 5);
  outside->setFocus();
  add<pwn::Window>(Vec2(10, 10), Vec2(60, 30), true)->close();  // closing another keeps the focus
  EXPECT_EQ(pwn::g_menuSys.getFocus(), outside);
}

std::vector<int> chosen;
void choose(int id) { chosen.push_back(id); }

// A press on a label (its text and a space wide) toggles its menu and closes
// the one open before; items are as wide as the widest.
TEST_F(Widgets, TheMenuBarOpensMenusAndItemsCallBack) {
  setUnit(4);
  pwn::SubMenu* file = new pwn::SubMenu();
  file->addChild(new pwn::SubMenuEntry("Open", 10, &choose, Vec2(0, 0)));
  file->addChild(new pwn::SubMenuEntry("Save as", 11, nullptr, Vec2(0, 0)));
  pwn::SubMenu* edit = new pwn::SubMenu(&choose, new pwn::SubMenuEntry("Copy", 20, nullptr, Vec2(0, 0)),
                                        static_cast<pwn::SubMenuEntry*>(nullptr));
  pwn::BaseMenu* bar = add<pwn::BaseMenu>(Vec2(4, 2));
  for (auto [label, sub] : {std::pair{"File", file}, {"Edit", edit}, {"Help", nullptr}})
    bar->addChild(new pwn::BaseMenuEntry(label, sub, root));
  struct { float x, y; bool fileOpen, editOpen; } const steps[] = {
      {5, 2.5f, true, false},     {5, 2.5f, false, false},     {5, 2.5f, true, false},
      {11.5f, 3.5f, false, false},  // Open, past its text
      {5, 2.5f, true, false},     {10, 2.5f, false, true},     // Edit's menu replaces File's
      {10, 3.5f, false, false},     // Copy, with the menu's callback
      {5, 2.5f, true, false},     {5, 4.5f, false, false},     // Save as, without a callback
      {10, 2.5f, false, true},    {18.5f, 2.5f, false, false},  // Help, without a menu
  };
  for (auto const& step : steps) {
    click(step.x, step.y);
    EXPECT_TRUE(file->getVisible() == step.fileOpen && edit->getVisible() == step.editOpen) << step.x << ", " << step.y;
    // one unit under its label, which starts one unit left of the click
    EXPECT_TRUE(!step.fileOpen || file->getPos() == Vec2(step.x - 1, 3));
    EXPECT_TRUE(!step.editOpen || edit->getPos() == Vec2(step.x - 1, 3));
  }
  EXPECT_EQ(chosen, (std::vector<int>{10, 20}));
  for (auto [x, menu] : {std::pair{5.0f, file}, {10.0f, edit}}) {
    click(x, 2.5f);
    frame(x, 3.5f, false, true);  // a secondary press only hides an open menu
    EXPECT_TRUE(!menu->getVisible() && menu->parent.get() == root);
  }
  EXPECT_TRUE(frame(18.5f, 2.5f, true));    // the bar uses every event
  EXPECT_FALSE(frame(19.5f, 2.5f, false));  // past the last label
  frame(5, 2.5f, false, true);              // the bar neither hides nor closes
  EXPECT_TRUE(bar->getVisible() && bar->parent.get() == root);
}

// The list opens with the chosen entry over the select and stays put when
// dragged; a release on an entry chooses it, also the chosen one.
TEST_F(Widgets, TheSelectListOpensWithTheChosenEntryOverTheSelect) {
  setUnit(4);
  pwn::Select* sel = add<pwn::Select>(Vec2(10, 10), 8);
  for (const char* s : {"alpha", "beta", "gamma"}) sel->addString(s);
  Log log;
  sel->addSelectListener(&log);
  pwn::SelectContents* list = sel->contents.get();
  sel->setSelected(3);
  EXPECT_EQ(sel->getText(), "");
  sel->setSelected(2);
  click(12, 10.5f);
  EXPECT_EQ(list->getPos(), Vec2(10, 8));
  frame(30, 30, true);
  frame(17.5f, 10.5f);  // released on entry 2, raised above the select
  click(12, 10.5f);
  for (auto [y, down] : {std::pair{8.5f, true}, {9.5f, true}, {9.5f, false}}) frame(17.5f, y, down);
  EXPECT_EQ(log.calls, (Strings{"2<2", "1<2"}));
  EXPECT_TRUE(sel->getText() == "beta" && !list->getVisible());
  for (int i = 0; i < 2; ++i) click(10.5f, 10.5f);
  EXPECT_EQ(log.calls, (Strings{"2<2", "1<2", "1<1"}));
  click(12, 10.5f);
  list->setPos(Vec2(30, 20));
  frame(31, 20.5f, false, true);  // a secondary press closes the list without a choice
  EXPECT_FALSE(list->getVisible());
  // Keys are not used; a reset drops the entries but keeps the choice.
  type({'x', Key::RETURN});
  EXPECT_FALSE(frame(12, 10.5f));
  sel->resetContent();
  EXPECT_TRUE(sel->getText() == "beta" && list->children.empty());
  click(12, 10.5f);
  EXPECT_FALSE(frame(12, 9.5f, true));  // where entry 0 was: the list is empty
  frame(12, 9.5f);
  sel->addString("delta");
  click(12, 9.5f);
  EXPECT_EQ(log.calls, (Strings{"2<2", "1<2", "1<1", "0<1"}));
}

// The tab runs from 1 to length - 2 over the range; values are clamped, and
// only a change (or a forced update) places the tab and notifies.
TEST_F(Widgets, TheScrollTabFollowsTheClampedValue) {
  pwn::Scrollbar* h = add<pwn::Scrollbar>(Vec2(0, 0), 23, true, 20, 120, 70);
  EXPECT_EQ(h->getScrollTab()->getPos(), Vec2(11, 0));
  Log log;
  h->addScrollbarListener(&log);
  for (auto [value, slider, tab] : {std::tuple{20.0f, 20.0f, 1.0f}, {-5, 20, 1}, {500, 120, 21}, {45, 45, 6}}) {
    h->setSliderPos(value, false);
    EXPECT_TRUE(h->getSliderPos() == slider && h->getScrollTab()->getPos().x == tab) << value;
  }
  h->getScrollTab()->setPos(Vec2(7, 0));
  h->setSliderPos(45, false);  // no change: the tab stays where it was put
  EXPECT_EQ(h->getScrollTab()->getPos().x, 7);
  h->setSliderPos(45, true);
  EXPECT_TRUE(h->getScrollTab()->getPos().x == 6 && log.calls.size() == 5);
  h->setRange(50, 40);  // collapses to its first value: the tab stays at 1
  EXPECT_TRUE(h->getSliderPos() == 50 && h->getScrollTab()->getPos().x == 1);
}

// Holding an arrow steps 1% of the range a frame after the press; dragging the
// tab moves the value by range / (length - 3) a unit, also off the bar (the
// tab holds the capture, also for the release).
TEST_F(Widgets, ArrowsAndTheTabMoveTheScrollbarValue) {
  setUnit(4);
  pwn::Scrollbar* bar = add<pwn::Scrollbar>(Vec2(10, 10), 23, true, 100, 300, 290);
  for (int i = 0; i < 4; ++i) frame(32.5f, 10.5f, true);  // the down arrow, at 22 of the bar
  EXPECT_EQ(bar->getSliderPos(), 296);
  bar->setRange(0, 400);
  for (int i = 0; i < 4; ++i) frame(10.5f, 10.5f, true);  // the up arrow, still held
  EXPECT_EQ(bar->getSliderPos(), 280);
  bar->unlinkFromParent();
  frame(0, 0);
  pwn::Checkbox* box = add<pwn::Checkbox>(Vec2(30, 5), "box", false);
  box->setSize(Vec2(25, 25));
  for (bool horizontal : {true, false}) {
    bar = add<pwn::Scrollbar>(Vec2(30, 2), 23, horizontal, 20, 120, 20);
    Vec2 const along = horizontal ? Vec2(1, 0) : Vec2(0, 1), across(along.y, along.x);
    Vec2 const tab = Vec2(30.5f, 2.5f) + along, p = tab + 5.0f * along + 9.0f * across;
    frame(tab.x, tab.y, true);
    frame(p.x, p.y, true);
    EXPECT_EQ(bar->getSliderPos(), 45);
    EXPECT_TRUE(frame(p.x, p.y, false));
    EXPECT_TRUE(pwn::menuSys->getCapture() == nullptr && !box->isChecked());
    bar->unlinkFromParent();
  }
}

// The bars show only while the content is larger than the view (the area less
// one unit), sit on its bottom and right edges and scroll the content.
TEST_F(Widgets, AScrollAreaFitsItsBarsToItsContent) {
  pwn::ScrollContainer* content = new pwn::ScrollContainer(Vec2(3, 3), Vec2(20, 9));
  pwn::ScrollArea* area = add<pwn::ScrollArea>(Vec2(5, 5), Vec2(21, 10), content);
  EXPECT_FALSE(area->hBar->getVisible() || area->vBar->getVisible());
  EXPECT_TRUE(content->getPos() == Vec2(0, 0) && content->parent.get() == area) << "drawn and clicked inside the area";
  content->setSize(Vec2(40, 30));
  EXPECT_TRUE(area->hBar->getVisible() && area->vBar->getVisible());
  area->hBar->setSliderPos(50, false);
  area->vBar->setSliderPos(7, false);
  EXPECT_EQ(content->getPos(), Vec2(-20, -7));
  area->setSize(Vec2(31, 26));  // ranges 10 and 5: the values are clamped
  EXPECT_EQ(content->getPos(), Vec2(-10, -5));
  EXPECT_TRUE(area->hBar->getPos() == Vec2(0, 25) && area->vBar->getPos() == Vec2(30, 0) &&
              area->hBar->getLength() == 30 && area->vBar->getLength() == 25);
}

}  // namespace
