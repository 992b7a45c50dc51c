// Tests of the basic widgets through the input pass: checkbox and radio
// listener orders, text-field commit rules, window hiding, closing and layout.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menuharness.h"

namespace {

using pwn::Vec2;

// Records every checkbox notification as "label=0/1".
struct BoxLog : pwn::CheckboxListener {
  void callback_onSetChecked(pwn::Checkbox* box, bool checked) override {
    calls.push_back(box->getText() + "=" + (checked ? "1" : "0"));
  }
  std::vector<std::string> calls;
};

using Widgets = MenuHarness;

TEST_F(Widgets, CheckboxTogglesOnReleaseOverItAndNotifiesInOrder) {
  pwn::Checkbox* box = add<pwn::Checkbox>(Vec2(10, 10), "a", false);
  box->setSize(Vec2(10, 4));
  BoxLog first, second;
  box->addCheckboxListener(&first);
  box->addCheckboxListener(&second);
  // Pressed elsewhere, released over it: toggles.
  frame(100, 100, true);
  frame(12, 12, true);
  EXPECT_TRUE(first.calls.empty());
  EXPECT_TRUE(frame(12, 12, false));
  EXPECT_TRUE(box->isChecked());
  click(12, 12);
  EXPECT_FALSE(box->isChecked());
  EXPECT_EQ(first.calls, (std::vector<std::string>{"a=1", "a=0"}));
  EXPECT_EQ(second.calls, first.calls);
  // Setting the same value notifies again.
  box->setChecked(false);
  EXPECT_EQ(first.calls.back(), "a=0");
  EXPECT_EQ(first.calls.size(), 3u);
  // The constructor's value is stored silently.
  EXPECT_TRUE(add<pwn::Checkbox>(Vec2(0, 0), "q", true)->isChecked());
}

TEST_F(Widgets, RadiosClearTheirGroupBeforeTheChosenOneIsNotified) {
  BoxLog log;
  gc::GlobalPointer<pwn::RadioGroup> group(new pwn::RadioGroup);
  pwn::Radio* r1 = new pwn::Radio(Vec2(0, 0), "r1", group.get(), true);
  r1->addCheckboxListener(&log);
  pwn::Radio* r2 = new pwn::Radio(Vec2(0, 10), "r2", group.get(), false);
  r2->addCheckboxListener(&log);
  // A radio constructed checked clears the earlier ones, in their order.
  pwn::Radio* r3 = new pwn::Radio(Vec2(0, 20), "r3", group.get(), true);
  r3->addCheckboxListener(&log);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"r1=0", "r2=0"}));
  EXPECT_FALSE(r1->isChecked());
  EXPECT_TRUE(r3->isChecked());
  log.calls.clear();
  for (pwn::Radio* r : {r1, r2, r3}) {
    r->setSize(Vec2(10, 4));
    root->addChild(r);
  }
  click(5, 12);  // r2
  EXPECT_EQ(log.calls, (std::vector<std::string>{"r1=0", "r3=0", "r2=1"}));
  EXPECT_TRUE(r2->isChecked());
  // Clicking a checked radio never clears it.
  log.calls.clear();
  click(5, 12);
  EXPECT_TRUE(r2->isChecked());
  EXPECT_EQ(log.calls, (std::vector<std::string>{"r1=0", "r3=0", "r2=1"}));
  // The group and its radios keep each other alive.
  for (pwn::Radio* r : {r1, r2, r3}) r->unlinkFromParent();
  frame(0, 0);
  EXPECT_EQ(group->radios.size(), 3u);
  EXPECT_EQ(group->radios[1].get(), r2);
}

class Fields : public MenuHarness {
protected:
  void SetUp() override {
    MenuHarness::SetUp();
    field = add<pwn::TextField>(Vec2(10, 10), 30);
    field->setSize(Vec2(30, 4));
    field->addTextListener(&log);
  }
  void focusField() { click(20, 12); }
  void blurField() { click(200, 100); }
  pwn::TextField* field = nullptr;
  FieldLog log;
};

TEST_F(Fields, EveryKeyIsConsumedAndMarksTheFieldChanged) {
  focusField();
  type({Key::BACKSPACE});  // empty field: no change to the text, still an edit
  EXPECT_TRUE(frame(0, 0));
  blurField();
  EXPECT_EQ(log.texts, std::vector<std::string>{""});
  focusField();
  type({Key::UP, Key::F3});
  EXPECT_TRUE(frame(0, 0));
  EXPECT_EQ(field->getText(), "");
  type({'1', '2', Key::BACKSPACE, '5', Key::RETURN});
  frame(0, 0);
  EXPECT_EQ(field->getText(), "15");
  EXPECT_EQ(log.texts, (std::vector<std::string>{"", "15"}));
}

TEST_F(Fields, PressOnTheFocusedFieldDoesNotRefocusIt) {
  focusField();
  type({'7'});
  frame(0, 0);
  focusField();  // same field: no blur, no focus, the edit stays pending
  EXPECT_TRUE(log.texts.empty());
  EXPECT_TRUE(field->changed);
  blurField();
  EXPECT_EQ(log.texts, std::vector<std::string>{"7"});
}

TEST_F(Fields, PressMovesTheFocusAndShiftedKeysReachTheField) {
  frame(20, 12, true);
  EXPECT_EQ(pwn::g_menuSys.getFocus(), field);
  EXPECT_EQ(field->getBackgroundColor(), 0xFF2F2F00u);

  kbdImp.keyDown(Key::LSHIFT);  // held over the next frame
  type({'a', '2'});
  EXPECT_TRUE(frame(20, 12, true));
  EXPECT_TRUE(pwn::menuSys->keyWasTrapped());
  frame(20, 12);
  kbdImp.keyUp(Key::LSHIFT);
  frame(20, 12);
  type({'b', ' '});
  frame(20, 12);
  EXPECT_EQ(field->getText(), "A@b ");

  // A press on the root moves the focus there and commits the edit.
  frame(200, 100, true);
  EXPECT_EQ(pwn::g_menuSys.getFocus(), root);
  EXPECT_EQ(field->getBackgroundColor(), 0xFF000000u);
  EXPECT_EQ(log.texts, std::vector<std::string>{"A@b "});
  // Keys now go to the root, which uses none.
  type({'c'});
  EXPECT_FALSE(frame(200, 100));
  EXPECT_FALSE(pwn::menuSys->keyWasTrapped());
}

// Return drops the focus (keys after it in the frame are lost) and commits an
// edit, but neither it nor a blur alone notifies.
TEST_F(Fields, ReturnDropsTheFocusAndKeysStopThere) {
  pwn::TextField* other = add<pwn::TextField>(Vec2(10, 30), 10);
  other->setSize(Vec2(10, 10));
  focusField();
  type({Key::RETURN});
  frame(0, 0);
  EXPECT_EQ(pwn::g_menuSys.getFocus(), nullptr);
  focusField();
  blurField();
  EXPECT_TRUE(log.texts.empty());
  focusField();
  type({'x', Key::RETURN, 'y'});
  EXPECT_TRUE(frame(0, 0));
  EXPECT_EQ(field->getText(), "x");
  EXPECT_EQ(pwn::g_menuSys.getFocus(), nullptr);
  EXPECT_EQ(log.texts, std::vector<std::string>{"x"});
  // The dropped key is gone with the frame.
  frame(0, 0);
  EXPECT_EQ(field->getText(), "x");
  // Focus moves between widgets: keys follow it.
  click(15, 35);
  type({'q'});
  frame(15, 35);
  EXPECT_EQ(other->getText(), "q");
}

TEST_F(Widgets, CloseButtonFollowsTheWindowWidth) {
  pwn::Window* w = add<pwn::Window>(Vec2(0, 0), Vec2(100, 20), true);
  ASSERT_NE(w->closeButton.get(), nullptr);
  EXPECT_EQ(w->closeButton->getPos(), Vec2(98, 1));
  w->setSize(Vec2(150, 30));
  EXPECT_EQ(w->closeButton->getPos(), Vec2(148, 1));
  EXPECT_EQ(add<pwn::Window>(Vec2(0, 0), Vec2(10, 10), false)->closeButton.get(), nullptr);
}

using CountedWindow = Counted<pwn::Window>;

TEST_F(Widgets, ClosingForGoodFreesTheWindowAndReleasesFocusAndCapture) {
  CountedWindow* w = add<CountedWindow>(Vec2(10, 10), Vec2(60, 30), true);
  pwn::TextField* inside = new pwn::TextField(Vec2(2, 10), 20);
  inside->setSize(Vec2(20, 4));
  FieldLog log;
  inside->addTextListener(&log);
  w->addChild(inside);
  click(15, 22);  // focus the field
  type({'k'});
  frame(15, 22);
  frame(40, 15, true);  // press on the window itself: capture, focus, commit
  EXPECT_EQ(log.texts, std::vector<std::string>{"k"});
  EXPECT_EQ(pwn::menuSys->getCapture(), w);
  inside->setFocus();
  type({'m'});
  frame(40, 15, true);
  EXPECT_EQ(pwn::g_menuSys.getFocus(), inside);
  // A secondary press on the captured, closable window closes it: capture and
  // focus let go (the pending edit is committed), the press does not focus the
  // closed window, it leaves the tree and the next pass's collection frees it.
  frame(40, 15, true, true);
  EXPECT_EQ(pwn::menuSys->getCapture(), nullptr);
  EXPECT_EQ(w->parent.get(), nullptr);
  EXPECT_EQ(pwn::g_menuSys.getFocus(), nullptr);
  EXPECT_EQ(log.texts, (std::vector<std::string>{"k", "km"}));
  EXPECT_EQ(root->mouseChild.get(), nullptr);
  EXPECT_EQ(CountedWindow::alive, 1);
  frame(40, 15);
  EXPECT_EQ(CountedWindow::alive, 0);
}

TEST_F(Widgets, CloseButtonClosesOrHides) {
  CountedWindow* w = add<CountedWindow>(Vec2(10, 10), Vec2(60, 30), true);
  w->closeButton->setSize(Vec2(2, 4));
  frame(40, 15, true);  // capture the window
  frame(40, 15, false);
  frame(69, 13, true);  // press on the button at (68, 11) in the window
  EXPECT_EQ(w->parent.get(), nullptr);
  EXPECT_EQ(pwn::menuSys->getCapture(), nullptr);
  frame(69, 13);
  EXPECT_EQ(CountedWindow::alive, 0);

  // A window that hides on close only hides.
  pwn::Window* h = add<pwn::Window>(Vec2(10, 10), Vec2(60, 30), false);
  h->hideOnClose = true;
  frame(40, 15, false, true);
  EXPECT_FALSE(h->getVisible());
  EXPECT_EQ(h->parent.get(), root);
  // A hidden window takes no input.
  EXPECT_FALSE(frame(40, 15, true));
}

TEST_F(Widgets, DraggingIsOffForUndraggableWindows) {
  pwn::Window* w = add<pwn::Window>(Vec2(10, 10), Vec2(60, 30), false);
  w->draggable = false;
  EXPECT_FALSE(frame(40, 15, true));
  EXPECT_EQ(pwn::menuSys->getCapture(), nullptr);
  frame(60, 25, true);
  EXPECT_EQ(w->getPos(), Vec2(10, 10));
}

}  // namespace
