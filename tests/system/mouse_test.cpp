// Mouse: the vertical flip and window fractions, motion, wheel accumulation,
// button states over frames and unknown buttons.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "system/display.h"
#include "system/mouse.h"

typedef _vec<2, int> vec2i;

namespace {

// The mouse reads the window size through the display front object.
class MouseTest : public testing::Test {
protected:
  void SetUp() override {
    savedDisp = disp.imp;
    disp.setImp(&display);
    setWindow(800, 800);
  }
  void TearDown() override { disp.setImp(savedDisp); }
  void setWindow(int w, int h) {
    display.resize(w, h);
    display.update();
  }

  Display display;
  PDisplay* savedDisp = nullptr;
  MouseHandler m;
};

}  // namespace

TEST_F(MouseTest, VerticalFlipAndFractions) {
  m.setCursorPos(0, 0);
  m.update();
  EXPECT_EQ(m.getPos(), vec2i(0, 799));
  EXPECT_FLOAT_EQ(m.getFPos().y, 0.99875f);
  // The first update reports the whole position as motion (the old one was 0, 0).
  EXPECT_EQ(m.getMove(), vec2i(0, 799));

  setWindow(400, 200);
  m.setCursorPos(100, 199);  // bottom row
  m.update();
  EXPECT_EQ(m.getPos(), vec2i(100, 0));
  EXPECT_EQ(m.getMove(), vec2i(100, -799));
  EXPECT_FLOAT_EQ(m.getFPos().x, 0.25f);
  EXPECT_FLOAT_EQ(m.getFPos().y, 0.0f);
  EXPECT_FLOAT_EQ(m.getFMove().x, 0.25f);
  EXPECT_FLOAT_EQ(m.getFMove().y, -799.0f / 200.0f);

  m.update();  // no motion
  EXPECT_EQ(m.getMove(), vec2i(0, 0));
  EXPECT_EQ(m.getPos(), vec2i(100, 0));
  EXPECT_FLOAT_EQ(m.getFMove().x, 0.0f);

  // A window without area gives no fractions, and no NaN.
  setWindow(0, 0);
  m.setCursorPos(5, 5);
  m.update();
  EXPECT_EQ(m.getPos(), vec2i(5, -6));
  EXPECT_EQ(m.getFPos().x, 0.0f);
  EXPECT_EQ(m.getFPos().y, 0.0f);
  EXPECT_FALSE(std::isnan(m.getFMove().x) || std::isnan(m.getFMove().y));
}

TEST_F(MouseTest, WheelAccumulatesPerFrame) {
  m.accumDZ(1);
  m.accumDZ(2);
  EXPECT_EQ(m.getDZ(), 0) << "not before the update";
  m.update();
  EXPECT_EQ(m.getDZ(), 3);
  m.update();
  EXPECT_EQ(m.getDZ(), 0);
  m.accumDZ(-4);
  m.accumDZ(1);
  m.update();
  EXPECT_EQ(m.getDZ(), -3);
}

TEST_F(MouseTest, ButtonStatesOverFrames) {
  // Primary: pressed, held, held, released, up. Secondary follows one frame later.
  int const primary[6] = {2, 1, 1, 3, 0, 0};
  int const secondary[6] = {0, 2, 1, 1, 3, 0};
  for (int f = 0; f < 6; ++f) {
    if (f == 0) m.setButtonPress(PMouseHandler::PRIMARY, true);
    if (f == 1) m.setButtonPress(PMouseHandler::SECONDARY, true);
    if (f == 3) m.setButtonPress(PMouseHandler::PRIMARY, false);
    if (f == 4) m.setButtonPress(PMouseHandler::SECONDARY, false);
    m.update();
    EXPECT_EQ(m.getButtonState(0), primary[f]) << "frame " << f;
    EXPECT_EQ(m.getButtonState(1), secondary[f]) << "frame " << f;
    EXPECT_EQ(m.getButtonState(2), 0) << "frame " << f;
  }

  // A click that starts and ends between two updates never shows.
  m.setButtonPress(PMouseHandler::TERTIARY, true);
  m.setButtonPress(PMouseHandler::TERTIARY, false);
  m.update();
  EXPECT_EQ(m.getButtonState(2), 0);
}

TEST_F(MouseTest, UnknownButtonReportedAndIgnored) {
  m.setButtonPress(PMouseHandler::PRIMARY, true);
  m.update();
  MouseHandler before = m;

  testing::internal::CaptureStderr();
  m.setButtonPress(static_cast<PMouseHandler::Button_t>(3), true);
  m.setButtonPress(static_cast<PMouseHandler::Button_t>(-1), false);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "MouseHandler::setButtonPress got an unknown button 3\n"
            "MouseHandler::setButtonPress got an unknown button -1\n");
  EXPECT_EQ(std::memcmp(m.buttonDown, before.buttonDown, sizeof m.buttonDown), 0);
  EXPECT_EQ(std::memcmp(m.buttonPrev, before.buttonPrev, sizeof m.buttonPrev), 0);
  EXPECT_EQ(std::memcmp(m.buttonState, before.buttonState, sizeof m.buttonState), 0);
  EXPECT_EQ(m.getButtonState(3), 0);
}

// reset() clears position, wheel and buttons; the front object forwards to its imp.
TEST_F(MouseTest, ResetAndFront) {
  m.setCursorPos(10, 10);
  m.accumDZ(5);
  m.setButtonPress(PMouseHandler::PRIMARY, true);
  m.update();
  m.reset();
  EXPECT_EQ(m.getPos(), vec2i(0, 0));
  EXPECT_EQ(m.getDZ(), 0);
  EXPECT_EQ(m.getButtonState(0), 0);

  IMouseHandler front;
  front.setImp(&m);
  front.setCursorPos(3, 0);
  front.accumDZ(2);
  front.setButtonPress(PMouseHandler::SECONDARY, true);
  front.update();
  EXPECT_EQ(front.getPos(), vec2i(3, 799));
  EXPECT_EQ(front.getDZ(), 2) << "the wheel of before the reset is gone";
  EXPECT_EQ(front.getButtonState(1), 2);
  EXPECT_FLOAT_EQ(front.getFPos().x, 3.0f / 800.0f);
}
