// MouseHandler: raw pointer, wheel and button events become a per-frame snapshot
// with the origin at the window's bottom-left and edge-aware button states.
#include <cstdio>
#include <cstring>

#include "system/display.h"
#include "system/mouse.h"

void MouseHandler::reset() {
  std::memset(buttonState, 0, sizeof buttonState);
  pos = _vec<2, int>(0, 0);
  move = _vec<2, int>(0, 0);
  fpos = _vec<2, float>(0, 0);
  fmove = _vec<2, float>(0, 0);
  dz = 0;
  dzAccum = 0;
  cursor[0] = 0;
  cursor[1] = 0;
  std::memset(buttonDown, 0, sizeof buttonDown);
  std::memset(buttonPrev, 0, sizeof buttonPrev);
}

void MouseHandler::setButtonPress(Button_t b, bool down) {
  if (b < 0 || b >= buttonCount) {
    std::fprintf(stderr, "MouseHandler::setButtonPress got an unknown button %d\n",
                 static_cast<int>(b));
    return;
  }
  buttonDown[b] = down;
}

void MouseHandler::setCursorPos(int x, int y) {
  cursor[0] = x;
  cursor[1] = y;
}

void MouseHandler::accumDZ(short d) { dzAccum += d; }

void MouseHandler::update() {
  _vec<2, int> const size = disp.getSize();

  // The window system counts y downward from the top; the engine upward from the bottom.
  _vec<2, int> now(cursor[0], (size.y - 1) - cursor[1]);
  move = now - pos;
  pos = now;

  // A window without area (before it is opened) gives no meaningful fraction.
  for (int i = 0; i < 2; ++i) {
    if (size[i] > 0) {
      fpos[i] = static_cast<float>(pos[i]) / static_cast<float>(size[i]);
      fmove[i] = static_cast<float>(move[i]) / static_cast<float>(size[i]);
    } else {
      fpos[i] = 0;
      fmove[i] = 0;
    }
  }

  dz = dzAccum;
  dzAccum = 0;

  for (int b = 0; b < buttonCount; ++b) {
    if (buttonDown[b])
      buttonState[b] = buttonPrev[b] ? 1 : 2;
    else
      buttonState[b] = buttonPrev[b] ? 3 : 0;
    buttonPrev[b] = buttonDown[b];
  }
}

int MouseHandler::getDZ() const { return dz; }

_vec<2, int> const& MouseHandler::getPos() const { return pos; }

_vec<2, int> const& MouseHandler::getMove() const { return move; }

_vec<2, float> const& MouseHandler::getFPos() const { return fpos; }

_vec<2, float> const& MouseHandler::getFMove() const { return fmove; }

signed char MouseHandler::getButtonState(int b) const {
  // Out-of-range codes read as up rather than outside the table.
  return (0 <= b && b < buttonCount) ? buttonState[b] : 0;
}
