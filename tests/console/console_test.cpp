// The console's input line, history, key capture and text buffer, driven
// through the keyboard queue frame by frame.
#include <cstring>
#include <string>
#include <vector>

#include "base/console.h"
#include "base/cvar.h"
#include "keyfixture.h"

namespace {
float conSpeed = 1.0f;
CVarw conSpeedVar(&conSpeed, "conSpeed", nullptr, 1);

// Collects the lines handed to it instead of running them.
struct RecordingInterpreter : ConsoleInterpreter {
  void exec(char const* line) override { lines.push_back(line); }
  std::vector<std::string> lines;
};
}  // namespace

TEST_F(ConsoleKeys, TypedLineRunsTheCommandAndLandsInHistory) {
  EXPECT_FALSE(console->isVisible());
  open();
  EXPECT_TRUE(console->isVisible());
  EXPECT_EQ(type("conSpeed 2", true), "]conSpeed 2\nconSpeed := 2.000000\n");
  EXPECT_FLOAT_EQ(conSpeed, 2.0f);
  // The echo of the line is this console's; the variable prints to `con`.
  std::string text = console->getText();
  EXPECT_EQ(text.substr(text.size() - 12), "]conSpeed 2\n");
  ASSERT_EQ(console->getHistoryCount(), 1);
  EXPECT_STREQ(console->getHistory(0), "conSpeed 2");
  EXPECT_STREQ(console->getInput(), "");
  EXPECT_EQ(console->getInputLength(), 0);

  // An empty line is echoed, run and stored as well.
  EXPECT_EQ(type("", true), "]\nunknown cvar \"\"\n");
  ASSERT_EQ(console->getHistoryCount(), 2);
  EXPECT_STREQ(console->getHistory(0), "");
}

TEST_F(ConsoleKeys, ShiftMapsKeysToTheirShiftedCharacters) {
  RecordingInterpreter rec;
  console->setInterpreter(&rec);
  open();
  type("Say \"Hi!\" ok?", true);
  ASSERT_EQ(rec.lines.size(), 1u);
  EXPECT_EQ(rec.lines[0], "Say \"Hi!\" ok?");

  // The right shift key works too; keys that print nothing are not consumed.
  keys.keyDown(Key::RSHIFT);
  frame({'2', '['});
  release(Key::RSHIFT);
  EXPECT_STREQ(console->getInput(), "@{");
  EXPECT_FALSE(console->keyDown(Key::F1));
  EXPECT_FALSE(console->keyDown(Key::LEFT));
  EXPECT_TRUE(console->keyDown('x'));
}

TEST_F(ConsoleKeys, ClosedConsoleLeavesKeysAloneAndOpeningClearsTheInput) {
  EXPECT_FALSE(console->keyDown('a'));
  EXPECT_FALSE(console->keyDown(Key::RETURN));
  EXPECT_EQ(console->getHistoryCount(), 0);
  EXPECT_TRUE(console->keyDown('`'));
  EXPECT_TRUE(console->keyDown('a'));
  EXPECT_TRUE(console->keyDown('`'));
  EXPECT_FALSE(console->isVisible());
  EXPECT_STREQ(console->getInput(), "a");
  EXPECT_TRUE(console->keyDown('`'));
  EXPECT_STREQ(console->getInput(), "");
}

TEST_F(ConsoleKeys, InputLineHoldsAtMost255Characters) {
  console->toggle();
  for (int i = 0; i < 300; ++i) console->keyDown('x');
  EXPECT_EQ(console->getInputLength(), 255);
  EXPECT_EQ(std::strlen(console->getInput()), 255u);
  EXPECT_TRUE(console->keyDown(Key::SPACE));  // consumed, though full
  EXPECT_EQ(console->getInputLength(), 255);
  EXPECT_TRUE(console->keyDown(Key::BACKSPACE));
  EXPECT_TRUE(console->keyDown(Key::DEL));
  EXPECT_EQ(console->getInputLength(), 253);
  console->addToInput(8);
  EXPECT_EQ(console->getInputLength(), 252);
  console->clearInput();
  EXPECT_TRUE(console->keyDown(Key::BACKSPACE));  // nothing to remove
  EXPECT_EQ(console->getInputLength(), 0);
  console->addToInput('q');
  EXPECT_STREQ(console->getInput(), "q");
}

TEST_F(ConsoleKeys, HistoryKeepsTheLast32LinesAndRecallsThem) {
  RecordingInterpreter rec;
  console->setInterpreter(&rec);
  console->toggle();
  testing::internal::CaptureStdout();
  for (int i = 0; i < 40; ++i) {
    for (char ch : "line" + std::to_string(i)) console->keyDown(ch);
    console->keyDown(Key::RETURN);
  }
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(rec.lines.size(), 40u);
  ASSERT_EQ(console->getHistoryCount(), 32);
  EXPECT_STREQ(console->getHistory(0), "line39");
  EXPECT_STREQ(console->getHistory(31), "line8");

  EXPECT_FALSE(console->keyDown(Key::UP));
  EXPECT_STREQ(console->getInput(), "line39");
  for (int i = 0; i < 39; ++i) console->keyDown(Key::UP);
  EXPECT_EQ(console->getHistoryCursor(), 31);
  EXPECT_STREQ(console->getInput(), "line8");
  EXPECT_EQ(console->getInputLength(), 5);

  for (int i = 0; i < 31; ++i) EXPECT_FALSE(console->keyDown(Key::DOWN));
  EXPECT_STREQ(console->getInput(), "line39");
  console->keyDown(Key::DOWN);
  EXPECT_EQ(console->getHistoryCursor(), -1);
  EXPECT_STREQ(console->getInput(), "line39");  // kept
  console->keyDown(Key::DOWN);
  EXPECT_EQ(console->getHistoryCursor(), -1);

  // Any other key forgets the position in the history.
  console->keyDown(Key::UP);
  console->keyDown(Key::UP);
  EXPECT_EQ(console->getHistoryCursor(), 1);
  console->keyDown('z');
  EXPECT_EQ(console->getHistoryCursor(), -1);
  EXPECT_STREQ(console->getInput(), "line38z");
}

TEST_F(ConsoleKeys, OpenConsoleHidesTheKeyboardFromTheRestOfTheFrame) {
  // 'w' is held from the start.
  keys.keyDown(static_cast<Key::Key_t>('w'));
  frame({}, [&] { EXPECT_EQ(kbd.getKeyState('w'), 2); });
  frame({}, [&] { EXPECT_EQ(kbd.getKeyState('w'), 1); });

  // The frame in which the backquote opens the console already hides keys.
  frame({'`'}, [&] {
    EXPECT_TRUE(console->isVisible());
    EXPECT_EQ(kbd.getKeyState('w'), 0);
    EXPECT_EQ(kbd.getKeyDownQueueSize(), 0);
  });
  release('`');
  frame({'a'}, [&] {
    EXPECT_EQ(kbd.getKeyState('w'), 0);
    EXPECT_EQ(kbd.getKeyState('a'), 0);
    EXPECT_EQ(kbd.getKeyDownQueueSize(), 0);
  });
  release('a');
  EXPECT_STREQ(console->getInput(), "a");

  // The frame in which it closes does not; 'w' is still held, with no
  // spurious press.
  frame({'`'}, [&] {
    EXPECT_FALSE(console->isVisible());
    EXPECT_EQ(kbd.getKeyState('w'), 1);
    EXPECT_EQ(kbd.getKeyDownQueueSize(), 1);
  });
  release('`');
  release('w');
  frame({}, [&] { EXPECT_EQ(kbd.getKeyState('w'), 3); });
}

TEST_F(ConsoleKeys, SettingsCommandAndOpeningAnimationChoice) {
  auto setInfo = [&](std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    testing::internal::CaptureStdout();
    console->setInfo(static_cast<int>(argv.size()), argv.data());
    return testing::internal::GetCapturedStdout();
  };
  EXPECT_EQ(setInfo({"Console", "DropType", "2"}),
            "  Width:   80\n  Height:  50\n  DropTime:0.500000\n  DropType:2\n"
            "  IdleVis: false\n  IdleDrop:4\n");
  for (int i = 0; i < 3; ++i) {
    console->keyDown('`');
    EXPECT_EQ(console->getDropStyle(), 2);
    console->keyDown('`');
  }
  setInfo({"Console", "droptype", "-1"});
  setInfo({"Console", "idlevis", "1"});
  setInfo({"Console", "colour", "7"});  // unknown: nothing changes
  EXPECT_EQ(setInfo({"Console", "width", "8x"}).rfind("width: \"8x\" is not a finite number; the value stays as it was\n", 0), 0u);
  EXPECT_EQ(console->getDropType(), -1);
  EXPECT_TRUE(console->isIdleVisible());
  EXPECT_EQ(console->getWidth(), 80);
  bool seen[4] = {false, false, false, false};
  for (int i = 0; i < 200; ++i) {
    console->keyDown('`');
    int style = console->getDropStyle();
    ASSERT_TRUE(style >= 0 && style <= 3) << style;
    seen[style] = true;
    console->keyDown('`');
  }
  EXPECT_TRUE(seen[0] && seen[1] && seen[2] && seen[3]);
}

TEST(ConsoleText, BufferKeepsTheMostRecent8191Characters) {
  Console c;  // never initialised: text is added without the lock
  std::string all;
  testing::internal::CaptureStdout();
  for (int i = 0; all.size() < 9000; ++i) {
    std::string line = "line " + std::to_string(i) + "\n";
    c.addString(line.c_str());
    all += line;
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), all);
  std::string text = c.getText();
  EXPECT_LE(text.size(), 8191u);
  EXPECT_GE(text.size(), 8191u - 12);
  EXPECT_EQ(all.substr(all.size() - text.size()), text);

  // One text longer than the whole buffer leaves its last 8191 characters.
  std::string huge(9000, 'a');
  huge[8999] = 'z';
  testing::internal::CaptureStdout();
  c.addString(huge.c_str());
  testing::internal::GetCapturedStdout();
  text = c.getText();
  EXPECT_EQ(text.size(), 8191u);
  EXPECT_EQ(text.back(), 'z');

  // Null and empty texts change nothing.
  c.addString(nullptr);
  c.addString("");
  EXPECT_EQ(std::string(c.getText()), text);
}

TEST(ConsoleText, PrintCutsAt1023CharactersAndStreamsFormatValues) {
  Console c;
  std::string longText(2000, 'p');
  testing::internal::CaptureStdout();
  c.print("%s", longText.c_str());
  EXPECT_EQ(std::strlen(c.getText()), 1023u);
  char* nothing = nullptr;
  c << " " << 42 << " " << 0.5 << std::string(" s") << static_cast<char const*>(nullptr) << nothing;
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(std::string(c.getText()).substr(1023), " 42 0.5 s");
}
