// Keyboard: key states over several frames, the press queue and its limit,
// key names and shift tables, unknown codes, stashing state with clone/copy.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "math/assert.h"
#include "system/keyboard.h"

namespace {

// One frame as the backend drives it: states computed, frame runs, queue emptied.
struct Frame {
  explicit Frame(KeyboardHandler& k) : kb(k) { kb.preUpdate(); }
  ~Frame() { kb.postUpdate(); }
  KeyboardHandler& kb;
};

bool sameState(KeyboardHandler const& a, KeyboardHandler const& b) {
  return std::memcmp(a.keyState, b.keyState, sizeof a.keyState) == 0 &&
         std::memcmp(a.keyDownQueue, b.keyDownQueue, sizeof a.keyDownQueue) == 0 &&
         a.queueHead == b.queueHead && a.queueTail == b.queueTail &&
         std::memcmp(a.keyIsDown, b.keyIsDown, sizeof a.keyIsDown) == 0 &&
         std::memcmp(a.keyWasDown, b.keyWasDown, sizeof a.keyWasDown) == 0;
}

Key::Key_t key(int c) { return static_cast<Key::Key_t>(c); }

}  // namespace

// Pressed (2), held (1), released (3), up (0). keySet changes the state like a
// press but queues nothing; a tap between frames is queued but never down.
TEST(Keyboard, StatesOverFrames) {
  KeyboardHandler kb;
  for (int k = 0; k < Key::keyCount; ++k) EXPECT_EQ(kb.getKeyState(k), 0);
  kb.keyDown(key('w'));
  kb.keySet(Key::LSHIFT, true);
  int const w[6] = {2, 1, 1, 3, 0, 0}, shift[6] = {2, 1, 3, 0, 0, 0};
  for (int f = 0; f < 6; ++f) {
    if (f == 3) kb.keyUp(key('w'));
    if (f == 2) kb.keySet(Key::LSHIFT, false);
    Frame fr(kb);
    EXPECT_EQ(kb.getKeyState('w'), w[f]) << "frame " << f;
    EXPECT_EQ(kb.getKeyState(Key::LSHIFT), shift[f]) << "frame " << f;
    EXPECT_EQ(kb.getKeyState('s'), 0) << "other keys stay up";
    EXPECT_EQ(kb.getKeyDownQueueSize(), f == 0 ? 1 : 0) << "frame " << f;
  }

  kb.keyDown(Key::SPACE);
  kb.keyUp(Key::SPACE);
  for (int f = 0; f < 2; ++f) {
    Frame fr(kb);
    EXPECT_EQ(kb.getKeyState(Key::SPACE), 0);
    ASSERT_EQ(kb.getKeyDownQueueSize(), 1 - f);
    if (f == 0) { EXPECT_EQ(kb.getKeyDownQueue(0), Key::SPACE); }
  }
}

TEST(Keyboard, QueueOrderAndLimit) {
  KeyboardHandler kb;
  // The ring keeps one slot free: of 33 presses the first 31 stay.
  for (int i = 0; i < 33; ++i) kb.keyDown(key('a' + (i % 26)));
  kb.preUpdate();
  ASSERT_EQ(kb.getKeyDownQueueSize(), 31);
  for (int i = 0; i < 31; ++i) EXPECT_EQ(kb.getKeyDownQueue(i), 'a' + (i % 26)) << i;
  kb.postUpdate();
  EXPECT_EQ(kb.getKeyDownQueueSize(), 0);

  // Presses between frames show in the next frame in order, also when the ring wraps.
  for (int round = 0; round < 5; ++round) {
    kb.keyDown(key('1'));
    kb.keyDown(key('2'));
    kb.keyDown(Key::F5);
    Frame f(kb);
    ASSERT_EQ(kb.getKeyDownQueueSize(), 3);
    EXPECT_EQ(kb.getKeyDownQueue(0), '1');
    EXPECT_EQ(kb.getKeyDownQueue(1), '2');
    EXPECT_EQ(kb.getKeyDownQueue(2), Key::F5);
    EXPECT_EQ(kb.getKeyDownQueue(3), 0) << "beyond the queue";
  }

  // A held key queues once; the state stays 1.
  kb.keyDown(key('x'));
  { Frame f(kb); }
  Frame f(kb);
  EXPECT_EQ(kb.getKeyDownQueueSize(), 0);
  EXPECT_EQ(kb.getKeyState('x'), 1);
}

TEST(Keyboard, UnknownCodesReportedAndIgnored) {
  KeyboardHandler kb;
  kb.keyDown(key('q'));
  kb.preUpdate();
  kb.keyDown(key('z'));
  KeyboardHandler before;
  before.copy(&kb);

  testing::internal::CaptureStderr();
  kb.keyDown(key(200));
  kb.keyUp(key(172));
  kb.keySet(key(500), true);
  kb.keyDown(key(-1));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "KeyboardHandler::keyUp got an unknown key 200\n"
            "KeyboardHandler::keyUp got an unknown key 172\n"
            "KeyboardHandler::keyUp got an unknown key 500\n"
            "KeyboardHandler::keyUp got an unknown key -1\n");
  EXPECT_TRUE(sameState(kb, before));

  // The last valid code is accepted; reads outside the table give "up".
  testing::internal::CaptureStderr();
  kb.keyDown(Key::CAPSLOCK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(sameState(kb, before));
  EXPECT_EQ(kb.getKeyState(-5), 0);
  EXPECT_EQ(kb.getKeyState(Key::keyCount), 0);
}

TEST(Keyboard, ResetClearsEverything) {
  KeyboardHandler kb;
  kb.keyDown(key('a'));
  kb.keyDown(Key::UP);
  kb.preUpdate();
  kb.reset();
  EXPECT_TRUE(sameState(kb, KeyboardHandler()));
  // Up at reset: the next frame does not report a release.
  kb.preUpdate();
  EXPECT_EQ(kb.getKeyState(Key::UP), 0);
}

// The console hides the keyboard behind a stash and restores it afterwards.
TEST(Keyboard, CloneAndCopyStashState) {
  KeyboardHandler kb;
  kb.keyDown(key('a'));
  kb.preUpdate();
  kb.keyDown(key('b'));

  PKeyboardHandler* stash = kb.clone();
  ASSERT_NE(stash, &kb);
  EXPECT_TRUE(sameState(*static_cast<KeyboardHandler*>(stash), kb));

  IKeyboardHandler front;
  front.setImp(&kb);
  stash->copy(front.getImp());
  front.reset();
  EXPECT_EQ(front.getKeyState('a'), 0);
  front.getImp()->copy(stash);
  EXPECT_EQ(front.getKeyState('a'), 2);
  ASSERT_EQ(front.getKeyDownQueueSize(), 2);
  EXPECT_EQ(front.getKeyDownQueue(1), 'b');
  // The raw flags came back too: 'a' is held in the next frame.
  front.postUpdate();
  front.preUpdate();
  EXPECT_EQ(front.getKeyState('a'), 1);
  EXPECT_EQ(front.getKeyState('b'), 2);
  delete stash;  // owned through the interface
}

TEST(KeyboardDeathTest, CopyFromNonHandler) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  KeyboardHandler kb;
  EXPECT_DEATH(kb.copy(nullptr), "keyboardhandler.cpp:[0-9]+: failed assertion `from'");
  IKeyboardHandler front;
  front.setImp(&kb);
  EXPECT_DEATH(kb.copy(&front), "failed assertion `from'");
}

// Named non-printable codes; every printable code names itself; the rest are empty.
TEST(KeyNames, Table) {
  struct Row { int code; char const* name; };
  Row const rows[] = {{8, "BACKSPACE"}, {9, "TAB"}, {13, "RETURN"}, {27, "ESC"},
                      {32, "SPACE"}, {127, "DEL"}, {Key::LSHIFT, "LSHIFT"},
                      {Key::RMETA, "RMETA"}, {Key::F1, "F1"}, {Key::F16, "F16"},
                      {Key::UP, "UP"}, {Key::PAGE_DOWN, "PAGE_DOWN"}, {Key::INSERT, "INSERT"},
                      {Key::KP0, "KP0"}, {Key::KP9, "KP9"}, {Key::CAPSLOCK, "CAPSLOCK"},
                      {Key::nameEnd, ""}};
  for (Row const& r : rows) EXPECT_STREQ(Key::name[r.code], r.name) << r.code;
  EXPECT_EQ(numberof(Key::name), 173u);

  int named = 0;
  for (int c = 0; c < Key::keyCount; ++c) {
    ASSERT_NE(Key::name[c], nullptr) << c;
    if (Key::name[c][0]) ++named;
    bool printable = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                     (c != 0 && std::strchr(",-./;=[\\]`'", c) != nullptr);
    if (printable) { EXPECT_EQ(std::string(Key::name[c]), std::string(1, char(c))) << c; }
  }
  // 6 control keys + 11 punctuation + 10 digits + 26 letters + 44 from 128 to 171.
  EXPECT_EQ(named, 97);
}

TEST(KeyNames, ShiftTables) {
  KeyboardHandler kb;  // builds the tables
  EXPECT_EQ(numberof(Key::addShift), 172u);
  std::string const lower = "1234567890-=[]\\;',./`abcdefghijklmnopqrstuvwxyz";
  std::string const upper = "!@#$%^&*()_+{}|:\"<>?~ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  ASSERT_EQ(lower.size(), upper.size());
  for (size_t i = 0; i < lower.size(); ++i) {
    EXPECT_EQ(Key::addShift[int(lower[i])], upper[i]) << lower[i];
    EXPECT_EQ(Key::removeShift[int(upper[i])], lower[i]) << upper[i];
  }
  // Everything else maps to itself.
  for (int c = 0; c < Key::keyCount; ++c) {
    if (lower.find(char(c)) == std::string::npos) { EXPECT_EQ(Key::addShift[c], c) << c; }
    if (upper.find(char(c)) == std::string::npos) { EXPECT_EQ(Key::removeShift[c], c) << c; }
  }

  // reset() rebuilds damaged tables.
  Key::addShift['2'] = 0;
  Key::removeShift['A'] = 'A';
  kb.reset();
  EXPECT_EQ(Key::addShift['2'], '@');
  EXPECT_EQ(Key::removeShift['A'], 'a');
}
