// Tests of scrollbars and scroll areas: tab placement for given ranges, empty
// ranges, arrow holding, tab dragging under capture, bar visibility and sizing.
#include <gtest/gtest.h>

#include <string>

#include "base/exception.h"
#include "menuharness.h"

namespace {

using pwn::Vec2;

struct ScrollLog : pwn::ScrollbarListener {
  void callback_onScroll(pwn::Scrollbar*) override { ++calls; }
  int calls = 0;
};

class Scrolls : public MenuHarness {
protected:
  void SetUp() override {
    MenuHarness::SetUp();
    setUnit(4);  // 64 x 32 units
  }
};

TEST_F(Scrolls, TabPositionFollowsTheValueOverTheRange) {
  pwn::Scrollbar* bar = add<pwn::Scrollbar>(Vec2(0, 0), 23, true, 0, 100, 50);
  // The constructor keeps the requested value.
  EXPECT_EQ(bar->getSliderPos(), 50);
  EXPECT_EQ(bar->getScrollTab()->getPos(), Vec2(11, 0));  // 1 + 50 * 20 / 100
  EXPECT_EQ(bar->getSize(), Vec2(23, 1));
  EXPECT_EQ(bar->downButton->getPos(), Vec2(22, 0));
  EXPECT_FLOAT_EQ(bar->step, 1.0f);
  bar->setSliderPos(0, false);
  EXPECT_EQ(bar->getScrollTab()->getPos().x, 1);
  bar->setSliderPos(500, false);
  EXPECT_EQ(bar->getSliderPos(), 100);
  EXPECT_EQ(bar->getScrollTab()->getPos().x, 21);  // length - 2

  // A vertical bar with its range given upside down in the constructor.
  pwn::Scrollbar* v = add<pwn::Scrollbar>(Vec2(0, 0), 13, false, 10, 0, 5);
  EXPECT_EQ(v->getRange(), Vec2(0, 10));
  EXPECT_EQ(v->getScrollTab()->getPos(), Vec2(0, 6));  // 1 + 5 * 10 / 10
  EXPECT_EQ(v->downButton->getPos(), Vec2(0, 12));
}

TEST_F(Scrolls, LengthRangeAndForcedUpdates) {
  pwn::Scrollbar* bar = add<pwn::Scrollbar>(Vec2(0, 0), 0.5f, true, 0, 100, 0);
  EXPECT_EQ(bar->getLength(), 1);
  ScrollLog log;
  bar->addScrollbarListener(&log);
  bar->setLength(23);
  EXPECT_EQ(log.calls, 1);
  bar->setSliderPos(0, false);  // unchanged, not forced: nothing
  EXPECT_EQ(log.calls, 1);
  bar->getScrollTab()->setPos(Vec2(7, 0));
  bar->setSliderPos(0, true);  // forced: the tab goes back and listeners hear
  EXPECT_EQ(log.calls, 2);
  EXPECT_EQ(bar->getScrollTab()->getPos().x, 1);
  // An upside-down range collapses to its first value.
  bar->setRange(10, 5);
  EXPECT_EQ(bar->getMin(), 10);
  EXPECT_EQ(bar->getMax(), 10);
  EXPECT_EQ(bar->getSliderPos(), 10);
  // With min equal to max the tab sits at the start; nothing divides by zero.
  EXPECT_EQ(bar->getScrollTab()->getPos().x, 1);
  EXPECT_THROW(bar->setSize(Vec2(3, 3)), Exception);
}

TEST_F(Scrolls, HoldingAnArrowStepsOncePerFrameUpToTheLimit) {
  pwn::Scrollbar* bar = add<pwn::Scrollbar>(Vec2(10, 10), 23, true, 0, 100, 95);
  // The down arrow sits at x 22 of the bar.
  testing::internal::CaptureStdout();
  frame(32.5f, 10.5f, true);  // the press itself does not step
  EXPECT_EQ(bar->getSliderPos(), 95);
  for (int i = 0; i < 10; ++i) frame(32.5f, 10.5f, true);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(bar->getSliderPos(), 100);
  std::size_t lines = 0;
  for (std::size_t at = out.find("scrolling dr\n"); at != std::string::npos; at = out.find("scrolling dr\n", at + 1))
    ++lines;
  EXPECT_EQ(lines, 10u);
  frame(32.5f, 10.5f, false);
  // Ten frames on the up arrow from 50 go down ten steps.
  bar->setSliderPos(50, false);
  testing::internal::CaptureStdout();
  for (int i = 0; i < 11; ++i) frame(10.5f, 10.5f, true);
  EXPECT_EQ(testing::internal::GetCapturedStdout().substr(0, 13), "scrulling ul\n");
  EXPECT_FLOAT_EQ(bar->getSliderPos(), 40);
}

TEST_F(Scrolls, DraggingTheTabKeepsGoingOutsideIt) {
  pwn::Scrollbar* bar = add<pwn::Scrollbar>(Vec2(40, 2), 23, false, 0, 100, 0);
  ScrollLog log;
  bar->addScrollbarListener(&log);
  frame(40.5f, 3.5f, true);  // on the tab at (0, 1) of the bar
  EXPECT_EQ(pwn::menuSys->getCapture(), bar->getScrollTab());
  frame(45, 8.5f, true);  // five units down, far off the tab and the bar
  EXPECT_FLOAT_EQ(bar->getSliderPos(), 25);  // 5 * 100 / (23 - 3)
  frame(60, 9.5f, true);
  EXPECT_FLOAT_EQ(bar->getSliderPos(), 30);
  EXPECT_EQ(log.calls, 2);
  frame(60, 9.5f, false);
  EXPECT_EQ(pwn::menuSys->getCapture(), nullptr);
  frame(60, 2, false);  // moving without the button does nothing
  EXPECT_FLOAT_EQ(bar->getSliderPos(), 30);
}

TEST_F(Scrolls, BarsShowOnlyWhenThereIsSomethingToScroll) {
  pwn::ScrollContainer* content = new pwn::ScrollContainer(Vec2(3, 3), Vec2(10, 5));
  pwn::ScrollArea* area = add<pwn::ScrollArea>(Vec2(5, 5), Vec2(20, 10), content);
  EXPECT_EQ(content->getPos(), Vec2(0, 0));
  EXPECT_EQ(content->area.get(), area);
  area->setSize(Vec2(21, 10));
  EXPECT_FALSE(area->hBar->getVisible());
  EXPECT_FALSE(area->vBar->getVisible());
  EXPECT_EQ(content->getPos(), Vec2(0, 0));

  content->setSize(Vec2(40, 30));  // view is 20 x 9
  EXPECT_TRUE(area->hBar->getVisible());
  EXPECT_TRUE(area->vBar->getVisible());
  EXPECT_EQ(area->hBar->getRange(), Vec2(0, 20));
  EXPECT_EQ(area->vBar->getRange(), Vec2(0, 21));
  area->hBar->setSliderPos(5, false);
  area->vBar->setSliderPos(7, false);
  EXPECT_EQ(content->getPos(), Vec2(-5, -7));
  // Growing the area shrinks the ranges, clamps the values and keeps the bars
  // on its bottom and right edges.
  area->setSize(Vec2(31, 26));
  EXPECT_EQ(area->hBar->getRange(), Vec2(0, 10));
  EXPECT_EQ(area->vBar->getRange(), Vec2(0, 5));
  EXPECT_EQ(content->getPos(), Vec2(-5, -5));
  EXPECT_EQ(area->hBar->getPos(), Vec2(0, 25));
  EXPECT_EQ(area->vBar->getPos(), Vec2(30, 0));
  EXPECT_EQ(area->hBar->getLength(), 30);
  EXPECT_EQ(area->vBar->getLength(), 25);
}

TEST_F(Scrolls, TextContainerTakesItsWrappedHeight) {
  pwn::TextScrollContainer* text = new pwn::TextScrollContainer(Vec2(0, 0), Vec2(10.7f, 1));
  pwn::ScrollArea* area = add<pwn::ScrollArea>(Vec2(0, 0), Vec2(12, 6), text);
  text->setText("hello");  // one line, raised to the view height
  EXPECT_EQ(text->getSize(), Vec2(10.7f, 5));
  EXPECT_FALSE(area->vBar->getVisible());
  std::string words;
  for (int i = 0; i < 20; ++i) words += "aaaa ";
  text->setText(words);  // two words per line in a box cut to 10 units
  EXPECT_EQ(text->getText(), words);
  EXPECT_EQ(text->getSize(), Vec2(10.7f, 10));
  EXPECT_TRUE(area->vBar->getVisible());
  EXPECT_EQ(area->vBar->getRange(), Vec2(0, 5));
  // Without an area the text's own height is taken.
  pwn::TextScrollContainer* alone = add<pwn::TextScrollContainer>(Vec2(0, 0), Vec2(10, 1));
  alone->setText("x");
  EXPECT_EQ(alone->getSize(), Vec2(10, 1));
}

}  // namespace
