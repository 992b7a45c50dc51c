// Console keyboard handling: the backquote toggle, line editing, history and
// hiding the keyboard from the rest of the frame while the console is open.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/commandkeys.h"
#include "base/console.h"
#include "math/assert.h"
#include "system/keyboard.h"
#include "system/timer.h"

namespace {
constexpr int backquote = 0x60;
constexpr int maxInput = Console::inputSize - 1;

bool isDown(int state) { return state == 1 || state == 2; }
}  // namespace

void Console::clearInput() {
  std::memset(input, 0, sizeof input);
  inputLength = 0;
  inputFullTold = false;
}

void Console::addToInput(char c) {
  if (c == 8) {
    if (inputLength > 0) input[--inputLength] = '\0';
    inputFullTold = false;
    return;
  }
  if (inputLength < maxInput) {
    input[inputLength++] = c;
    input[inputLength] = '\0';
  } else if (!inputFullTold) {
    // Said once for each time the line fills up, not for every key after it.
    inputFullTold = true;
    print("the console's line is full (%d characters): further keys are not taken\n", maxInput);
  }
}

bool Console::keyDown(int key) {
  if (key == backquote) {
    visible = !visible;
    if (!visible) return true;
    clearInput();
    if (dropType != -1) {
      dropStyle = dropType;
    } else {
      dropStyle = ((std::rand() % 4) + 4) % 4;
    }
    dropStart = timer.getTime();
    return true;
  }
  if (!visible) return false;

  if (key != Key::UP && key != Key::DOWN) historyCursor = -1;

  switch (key) {
    case Key::RETURN: {
      history.insert(history.begin(), std::string(input));
      if (static_cast<int>(history.size()) > historySize) history.pop_back();
      print("]%s\n", input);
      // The line is taken out of the input first: a command may throw.
      std::string line(input);
      clearInput();
      if (interpreter) interpreter->exec(line.c_str());
      return true;
    }
    case Key::SPACE:
      addToInput(' ');
      return true;
    case Key::BACKSPACE:
    case Key::DEL:
      addToInput(8);
      return true;
    case Key::UP:
    case Key::DOWN: {
      int count = static_cast<int>(history.size());
      if (key == Key::UP) {
        historyCursor = std::min(historyCursor + 1, count - 1);
      } else if (--historyCursor < -1) {
        historyCursor = -1;
        return false;
      }
      if (historyCursor >= 0 && historyCursor < count) {
        std::string const& line = history[static_cast<size_t>(historyCursor)];
        clearInput();
        size_t n = line.size() < static_cast<size_t>(maxInput) ? line.size() : maxInput;
        std::memcpy(input, line.data(), n);
        inputLength = static_cast<int>(n);
      }
      return false;
    }
    default:
      break;
  }

  // Shift counts while it is down (held or pressed in this frame), not in the
  // frame in which it was let go.
  if (isDown(kbd.getKeyState(Key::LSHIFT)) || isDown(kbd.getKeyState(Key::RSHIFT))) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-compare"
    ASSERT(key >= 0 && key < numberof(Key::addShift));
#pragma GCC diagnostic pop
    key = Key::addShift[key];
  }
  if (key >= 0x20 && key <= 0x7F) {
    addToInput(static_cast<char>(key));
    return true;
  }
  return false;
}

void Console::preUpdate() {
  stashActive = false;
  // Presses of a command chord (Super + q quits) are no text for the line.
  for (int i = 0; i < kbd.getKeyDownQueueSize(); ++i)
    if (!pressIsChord(i)) keyDown(kbd.getKeyDownQueue(i));
  if (visible) {
    PKeyboardHandler* bound = kbd.getImp();
    if (!keyStash && bound) keyStash = bound->clone();
    if (keyStash && bound) {
      stashActive = true;
      keyStash->copy(bound);
      kbd.reset();
    }
  }
}

void Console::postUpdate() {
  if (stashActive && kbd.getImp()) kbd.getImp()->copy(keyStash);
}
