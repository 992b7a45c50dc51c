// Keyboard and mouse handlers beyond what the SDL backend's test drives: the press
// queue's limit, unknown codes, stashing, reset, shift tables, flip and fractions.
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "system/display.h"
#include "system/keyboard.h"
#include "system/mouse.h"

// The whole state: the members from keyState to keyWasDown lie back to back.
static bool same(KeyboardHandler const& a, KeyboardHandler const& b) {
  return std::memcmp(a.keyState, b.keyState, reinterpret_cast<char const*>(&a.keyWasDown + 1) -
                                                 reinterpret_cast<char const*>(a.keyState)) == 0;
}

static Key::Key_t key(int c) { return static_cast<Key::Key_t>(c); }

// The ring keeps one slot free: of 33 presses the first 31 stay, in order, also
// when it wraps round; beyond the queue there is no key.
TEST(Keyboard, QueueOrderAndLimit) {
  KeyboardHandler kb;
  for (int round = 0; round < 3; ++round) {  // each starts where the last ended
    for (int i = 0; i < 33; ++i) kb.keyDown(key('a' + i % 26));
    ASSERT_EQ(kb.getKeyDownQueueSize(), 31);
    for (int i = 0; i < 31; ++i) EXPECT_EQ(kb.getKeyDownQueue(i), 'a' + i % 26) << i;
    EXPECT_EQ(kb.getKeyDownQueue(31) + kb.getKeyDownQueue(-1), 0);
    kb.postUpdate();
    EXPECT_EQ(kb.getKeyDownQueueSize(), 0);
  }
}

// Codes outside the table are reported, change nothing and read as up. The
// console hides the keyboard behind a stash and restores it afterwards.
TEST(Keyboard, UnknownCodesAndTheStash) {
  KeyboardHandler kb;
  testing::internal::CaptureStderr();
  kb.keyDown(key(Key::keyCount));
  kb.keyUp(key(-1));
  kb.keySet(key(500), true);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "KeyboardHandler::keyUp got an unknown key 172\n"
            "KeyboardHandler::keyUp got an unknown key -1\n"
            "KeyboardHandler::keyUp got an unknown key 500\n");
  EXPECT_TRUE(same(kb, KeyboardHandler()));
  EXPECT_EQ(kb.getKeyState(-1) + kb.getKeyState(Key::keyCount), 0);
  kb.keyDown(key('a'));
  kb.preUpdate();
  kb.keyDown(key('b'));
  PKeyboardHandler* stash = kb.clone();
  EXPECT_TRUE(same(*static_cast<KeyboardHandler*>(stash), kb));
  kb.reset();
  EXPECT_TRUE(same(kb, KeyboardHandler()));
  kb.copy(stash);
  EXPECT_TRUE(same(*static_cast<KeyboardHandler*>(stash), kb));
  delete stash;  // owned through the interface
}

// A US keyboard's pairs (the letters, and a pair of the table) both ways;
// other codes map to themselves. reset() rebuilds them.
TEST(Keyboard, ShiftTables) {
  Key::addShift['2'] = 0;
  KeyboardHandler().reset();
  for (auto [low, up] : {std::pair{'2', '@'}, {'a', 'A'}, {'z', 'Z'}})
    EXPECT_TRUE(Key::addShift[int(low)] == up && Key::removeShift[int(up)] == low) << low;
  for (int c : {0, int(' '), int(Key::F1), Key::keyCount - 1})
    EXPECT_TRUE(Key::addShift[c] == c && Key::removeShift[c] == c) << c;
}

// The mouse reads the window size through the display front object.
class MouseTest : public testing::Test {
protected:
  void SetUp() override { disp.setImp(&display); }
  void TearDown() override { disp.setImp(nullptr); }
  void update(int w, int h) {
    display.resize(w, h);
    display.update();
    m.update();
  }
  Display display;
  alignas(MouseHandler) unsigned char raw[sizeof(MouseHandler)];  // bytes between members stay non-zero
  MouseHandler& m = *new (std::memset(raw, 0x55, sizeof raw)) MouseHandler;
};

typedef _vec<2, int> V2;
typedef _vec<2, float> V2f;

// Raw rows count down from the top, the engine's up from the bottom; a window
// without area gives no fractions. reset() puts everything back to zero: a
// button held before is neither down nor released after it, the raw position
// and wheel steps are gone too. Unknown buttons are reported, change nothing
// and read as up.
TEST_F(MouseTest, FlipFractionsResetAndUnknownButtons) {
  m.setCursorPos(100, 199);  // the bottom row
  update(400, 200);
  EXPECT_TRUE(m.getFPos() == V2f(0.25f, 0) && m.getFMove() == V2f(0.25f, 0));
  m.setCursorPos(5, 5);
  update(0, 0);
  EXPECT_EQ(m.getPos(), V2(5, -6));
  EXPECT_EQ(m.getFPos() + m.getFMove(), V2f(0, 0));
  m.setCursorPos(10, 10);
  m.accumDZ(5);
  m.setButtonPress(PMouseHandler::PRIMARY, true);
  update(800, 800);
  m.accumDZ(1);
  m.reset();
  EXPECT_EQ(m.getPos() + m.getMove(), V2(0, 0));
  EXPECT_EQ(m.getFPos() + m.getFMove(), V2f(0, 0));
  EXPECT_EQ(m.getDZ() + m.getButtonState(0), 0);
  testing::internal::CaptureStderr();
  m.setButtonPress(static_cast<PMouseHandler::Button_t>(3), true);
  m.setButtonPress(static_cast<PMouseHandler::Button_t>(-1), true);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "MouseHandler::setButtonPress got an unknown button 3\n"
            "MouseHandler::setButtonPress got an unknown button -1\n");
  update(800, 800);
  EXPECT_EQ(m.getPos() + m.getMove(), V2(0, 1598));
  EXPECT_EQ(m.getDZ() + m.getButtonState(0) + m.getButtonState(3) + m.getButtonState(-1), 0);
}
