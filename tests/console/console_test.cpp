// The console without GL, frame by frame: keys, history, text, settings, log.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>

#include "base/console.h"
#include "system/keyboard.h"
#include "system/timer.h"

namespace {
class ConsoleKeys : public testing::Test {
protected:
  void SetUp() override {
    kbd.setImp(&keys);
    timer.setImp(&clock);
    cvarRegistry()->init();
    if (con.isVisible()) con.toggle();
    testing::internal::CaptureStderr();  // no image loaders here: no font, no GL needed
    con.init(80, 50);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "failed to find font file\n");
    EXPECT_TRUE(con.getHistoryCount() == 0 && !*con.getInput());  // init() starts afresh
  }
  // One frame, whose body sees no keys while the console is open; its end sees
  // them again.
  void frame(std::initializer_list<int> presses) {
    for (int k : presses) keys.keyDown(static_cast<Key::Key_t>(k));
    keys.preUpdate();
    con.preUpdate();
    EXPECT_EQ(kbd.getKeyDownQueueSize(), con.isVisible() ? 0 : int(presses.size()));
    con.postUpdate();
    for (int k : presses) EXPECT_GE(kbd.getKeyState(k), 1) << k;  // down
    keys.postUpdate();
    for (int k : presses) keys.keyUp(static_cast<Key::Key_t>(k));
  }
  // Opens the console, types a line and Return; gives back what was printed.
  std::string type(std::string const& line) {
    testing::internal::CaptureStdout();
    if (!con.isVisible()) frame({'`'});
    for (char c : line) frame({c});
    frame({Key::RETURN});
    return testing::internal::GetCapturedStdout();
  }

  KeyboardHandler keys;
  LinuxHiResTimer clock;
};
}  // namespace

// Either shift shifts; closed, keys are ignored.
TEST_F(ConsoleKeys, ShiftAndToggle) {
  frame({'`'});
  for (int shift : {Key::LSHIFT, Key::RSHIFT}) {
    keys.keyDown(static_cast<Key::Key_t>(shift));
    frame({'2', '[', '\''});
    keys.keyUp(static_cast<Key::Key_t>(shift));
  }
  EXPECT_STREQ(con.getInput(), "@{\"@{\"");
  frame({'`'});  // closes
  EXPECT_TRUE(!con.isVisible() && !con.keyDown('a') && con.keyDown('`') && con.isVisible() && !*con.getInput());
  EXPECT_TRUE(con.keyDown('`') && !con.isVisible());
}

// Keys pressed with a command key down, or after its press in the same frame,
// belong to a chord (Super + q quits) and type nothing.
TEST_F(ConsoleKeys, CommandChordsTypeNothing) {
  frame({'`'});
  for (int meta : {Key::LMETA, Key::RMETA}) {
    frame({meta, 'q'});
    keys.keyDown(static_cast<Key::Key_t>(meta));
    frame({});
    frame({'q', 'x'});
    keys.keyUp(static_cast<Key::Key_t>(meta));
  }
  frame({'q', Key::LMETA});  // the q came first: typed
  frame({'a'});
  EXPECT_STREQ(con.getInput(), "qa");
}

// At most 255 characters, and one line says when a key finds the line full;
// keys that type nothing are not consumed.
TEST_F(ConsoleKeys, InputLineEditing) {
  con.toggle();
  testing::internal::CaptureStdout();
  for (int i = 0; i < 300; ++i) con.keyDown(i ? 'x' : ' ');
  con.keyDown(Key::SPACE);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "the console's line is full (255 characters): further keys are not taken\n");
  EXPECT_EQ(con.getInput(), " " + std::string(254, 'x'));
  EXPECT_TRUE(con.keyDown(Key::BACKSPACE) && con.keyDown(Key::DEL) && con.keyDown(Key::SPACE));
  EXPECT_EQ(con.getInput(), " " + std::string(252, 'x') + " ");
  con.clearInput();
  EXPECT_TRUE(con.keyDown(Key::BACKSPACE) && con.keyDown('q') && con.keyDown(Key::BACKSPACE) && con.keyDown('r'));
  EXPECT_EQ(con.getInput() + std::to_string(con.getInputLength()), "r1");
  EXPECT_FALSE(con.keyDown(Key::F1) || con.keyDown(Key::LEFT) || con.keyDown(Key::UP) || con.keyDown(Key::DOWN));
}

// The newest 32 lines; past the newest Down keeps the input; other keys reset.
TEST_F(ConsoleKeys, HistoryKeepsTheLast32LinesAndRecallsThem) {
  for (int i = 0; i < 34; ++i) type("l" + std::to_string(i));
  struct { int key, times; char const* input; } const steps[] = {
      {Key::UP, 1, "l33"}, {Key::UP, 1, "l32"}, {Key::DOWN, 1, "l33"}, {Key::DOWN, 2, "l33"}, {Key::UP, 1, "l33"},
      {'z', 1, "l33z"},    {Key::UP, 1, "l33"}, {Key::UP, 31, "l2"},   {Key::UP, 1, "l2"},    {Key::DOWN, 1, "l3"}};
  for (auto const& s : steps) {
    for (int i = 0; i < s.times; ++i) frame({s.key});
    EXPECT_STREQ(con.getInput(), s.input) << s.key << " x" << s.times;
  }
}

// "Console <setting> <value>" sets one, then shows all; drop type -1 is random.
TEST_F(ConsoleKeys, SettingsCommandAndOpeningStyle) {
  std::string const shown = "  Width:   80\n  Height:  50\n  DropTime:0.500000\n  DropType:-1\n  IdleVis: false\n  IdleDrop:4\n";
  std::string const bad = "\" is not a finite number; the value stays as it was\n" + shown;
  EXPECT_EQ(type("Console") + type("Console width") + type("Console colour 7"),
            "]Console\n" + shown + "]Console width\n" + shown + "]Console colour 7\n" + shown);
  EXPECT_EQ(type("Console width 8x") + type("Console idlevis on") + type("Console droptime -"),
            "]Console width 8x\nwidth: \"8x" + bad + "]Console idlevis on\nidlevis: \"on" + bad +
                "]Console droptime -\ndroptime: \"-" + bad);
  std::set<int> styles;
  for (int i = 0; i < 200; ++i, con.keyDown('`')) con.keyDown('`'), styles.insert(con.getDropStyle());
  EXPECT_EQ(styles, (std::set<int>{0, 1, 2, 3}));
  for (char const* line : {"Console WIDTH 40", "Console height 20", "Console DropTime 0.25", "Console idlevis 1", "Console droptype 2"}) type(line);
  EXPECT_EQ(type("Console IdleDrop 7"), "]Console IdleDrop 7\n  Width:   40\n  Height:  20\n  DropTime:0.250000\n"
                                        "  DropType:2\n  IdleVis: true\n  IdleDrop:7\n");
}

// New text pushes as much old text out as it is long; print() cuts at 1023.
TEST(ConsoleText, BufferKeepsTheMostRecent8191Characters) {
  Console c;  // never initialised: closed, and text is added without the lock
  EXPECT_FALSE(c.isVisible() || c.isIdleVisible());
  std::string all;
  testing::internal::CaptureStdout();
  for (auto const& step : {std::pair<size_t, size_t>{100, 100}, {8150, 8150}, {40, 8190}, {1, 8191}, {10, 8191}, {9000, 8191}}) {
    std::string s;
    for (size_t i = 0; i < step.first; ++i) s += char('a' + (all.size() + i) % 26);
    c.addString(s.c_str());
    all += s;
    EXPECT_EQ(c.getText(), all.substr(all.size() - step.second)) << step.first;
  }
  c.addString(nullptr);
  c.print("%s", std::string(2000, 'p').c_str());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), all + std::string(1023, 'p'));
}

// "log [NAME]" switches logging; sessions append to the file after a marker.
TEST_F(ConsoleKeys, LogCommandAppendsSessionsToItsFile) {
  char folder[] = "/tmp/consolelogXXXXXX";
  ASSERT_TRUE(mkdtemp(folder) && chdir(folder) == 0);
  std::ofstream("console.txt") << "earlier run\n";
  char const* const script[][2] = {{"log", "logging is on, to console.txt"},
                                   {"log other.txt", "changing console filename to other.txt\nlogging is off; the log file is other.txt"},
                                   {"log /none/x", "log: cannot open /none/x: No such file or directory; logging stays off"},
                                   {"log", "logging is on, to other.txt"},
                                   {"log", "logging is off; the log file is other.txt"}};
  for (auto const& s : script) EXPECT_EQ(type(s[0]), "]" + std::string(s[0]) + "\n" + s[1] + "\n");
  auto read = [](char const* name) {
    std::stringstream s;
    s << std::ifstream(name).rdbuf();
    std::remove(name);
    std::string text = s.str();
    for (size_t at = 0; (at = text.find("opened ", at)) != std::string::npos;) text.replace(at += 7, 19, "T");
    return text;
  };
  std::string const marker = "==== console log opened T ====\n";
  EXPECT_EQ(read("console.txt"), "earlier run\n\n" + marker + "logging is on, to console.txt\n]log other.txt\n" +
                                     "changing console filename to other.txt\n");
  EXPECT_EQ(read("other.txt"), marker + "logging is on, to other.txt\n]log\n");
  consoleFilename = "console.txt";
  EXPECT_EQ(chdir("/tmp") + rmdir(folder), 0);
}
