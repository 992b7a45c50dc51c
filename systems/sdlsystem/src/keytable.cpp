// The table from SDL scancodes (layout-independent key positions) to engine key codes.
#include "sdlbackend.h"

namespace {

struct KeyTableBuilder {
  KeyTableBuilder(Key::Key_t* t) {
    for (int i = 0; i < SDL_NUM_SCANCODES; ++i) t[i] = static_cast<Key::Key_t>(0);
    auto set = [t](SDL_Scancode s, int k) { t[s] = static_cast<Key::Key_t>(k); };

    for (int i = 0; i < 26; ++i) set(static_cast<SDL_Scancode>(SDL_SCANCODE_A + i), 'a' + i);
    for (int i = 0; i < 9; ++i) set(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + i), '1' + i);
    set(SDL_SCANCODE_0, '0');

    set(SDL_SCANCODE_MINUS, '-');
    set(SDL_SCANCODE_EQUALS, '=');
    set(SDL_SCANCODE_LEFTBRACKET, '[');
    set(SDL_SCANCODE_RIGHTBRACKET, ']');
    set(SDL_SCANCODE_BACKSLASH, '\\');
    set(SDL_SCANCODE_NONUSHASH, '\\');
    set(SDL_SCANCODE_SEMICOLON, ';');
    set(SDL_SCANCODE_APOSTROPHE, '\'');
    set(SDL_SCANCODE_GRAVE, '`');
    set(SDL_SCANCODE_COMMA, ',');
    set(SDL_SCANCODE_PERIOD, '.');
    set(SDL_SCANCODE_SLASH, '/');

    set(SDL_SCANCODE_RETURN, Key::RETURN);
    set(SDL_SCANCODE_KP_ENTER, Key::RETURN);
    set(SDL_SCANCODE_TAB, Key::TAB);
    set(SDL_SCANCODE_SPACE, Key::SPACE);
    set(SDL_SCANCODE_BACKSPACE, Key::BACKSPACE);
    set(SDL_SCANCODE_ESCAPE, Key::ESC);
    set(SDL_SCANCODE_DELETE, Key::DEL);

    set(SDL_SCANCODE_LSHIFT, Key::LSHIFT);
    set(SDL_SCANCODE_RSHIFT, Key::RSHIFT);
    set(SDL_SCANCODE_LCTRL, Key::LCTRL);
    set(SDL_SCANCODE_RCTRL, Key::RCTRL);
    set(SDL_SCANCODE_LALT, Key::LALT);
    set(SDL_SCANCODE_RALT, Key::RALT);
    set(SDL_SCANCODE_LGUI, Key::LMETA);
    set(SDL_SCANCODE_RGUI, Key::RMETA);

    for (int i = 0; i < 12; ++i) set(static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + i), Key::F1 + i);
    for (int i = 0; i < 4; ++i) set(static_cast<SDL_Scancode>(SDL_SCANCODE_F13 + i), Key::F13 + i);

    set(SDL_SCANCODE_UP, Key::UP);
    set(SDL_SCANCODE_DOWN, Key::DOWN);
    set(SDL_SCANCODE_LEFT, Key::LEFT);
    set(SDL_SCANCODE_RIGHT, Key::RIGHT);
    set(SDL_SCANCODE_PAGEUP, Key::PAGE_UP);
    set(SDL_SCANCODE_PAGEDOWN, Key::PAGE_DOWN);
    set(SDL_SCANCODE_HOME, Key::HOME);
    set(SDL_SCANCODE_END, Key::END);
    set(SDL_SCANCODE_INSERT, Key::INSERT);

    set(SDL_SCANCODE_KP_0, Key::KP0);
    for (int i = 0; i < 9; ++i) set(static_cast<SDL_Scancode>(SDL_SCANCODE_KP_1 + i), Key::KP1 + i);
    set(SDL_SCANCODE_CAPSLOCK, Key::CAPSLOCK);
  }
};

}  // namespace

Key::Key_t keyForScancode[SDL_NUM_SCANCODES];
// Filled during static construction; nothing reads the table before main.
static KeyTableBuilder keyTableBuilder(keyForScancode);
