// The key name table and the US-keyboard shift tables of the engine's key codes.
#include "system/keyboard.h"

#include "math/assert.h"

namespace Key {

char const* const name[keyCount + 1] = {
    // 0 - 31: control codes; only a few are keys.
    "", "", "", "", "", "", "", "", "BACKSPACE", "TAB", "", "", "", "RETURN", "", "",
    "", "", "", "", "", "", "", "", "", "", "", "ESC", "", "", "", "",
    // 32 - 63
    "SPACE", "", "", "", "", "", "", "'", "", "", "", "", ",", "-", ".", "/",
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "", ";", "", "=", "", "",
    // 64 - 95
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "", "", "", "", "[", "\\", "]", "", "",
    // 96 - 127
    "`", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o",
    "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z", "", "", "", "", "DEL",
    // 128 - 135: modifiers
    "LSHIFT", "RSHIFT", "LCTRL", "RCTRL", "LALT", "RALT", "LMETA", "RMETA",
    // 136 - 151: function keys
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12", "F13", "F14",
    "F15", "F16",
    // 152 - 160: cursor keys
    "UP", "DOWN", "LEFT", "RIGHT", "PAGE_UP", "PAGE_DOWN", "HOME", "END", "INSERT",
    // 161 - 171: keypad digits, caps lock
    "KP0", "KP1", "KP2", "KP3", "KP4", "KP5", "KP6", "KP7", "KP8", "KP9", "CAPSLOCK",
    // nameEnd
    ""};

int addShift[keyCount];
int removeShift[keyCount];

void buildShiftTables() {
  // Pairs (unshifted, shifted) of a US keyboard besides the letters.
  static char const pairs[][2] = {
      {'1', '!'}, {'2', '@'}, {'3', '#'}, {'4', '$'},  {'5', '%'}, {'6', '^'}, {'7', '&'},
      {'8', '*'}, {'9', '('}, {'0', ')'}, {'-', '_'},  {'=', '+'}, {'[', '{'}, {']', '}'},
      {'\\', '|'}, {';', ':'}, {'\'', '"'}, {',', '<'}, {'.', '>'}, {'/', '?'}, {'`', '~'}};

  for (int c = 0; c < keyCount; ++c) {
    addShift[c] = c;
    removeShift[c] = c;
  }
  for (auto const& p : pairs) {
    addShift[static_cast<int>(p[0])] = p[1];
    removeShift[static_cast<int>(p[1])] = p[0];
  }
  for (int c = 'a'; c <= 'z'; ++c) {
    addShift[c] = c - 'a' + 'A';
    removeShift[c - 'a' + 'A'] = c;
  }
  ASSERT(Key::removeShift['A'] == 'a');
}

}  // namespace Key
