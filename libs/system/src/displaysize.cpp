// Display: the window size as the frame sees it. A reported size is held back
// until the next update so that every reader in one frame sees the same size.
#include "system/display.h"

void Display::reset() {
  size = _vec<2, int>(0, 0);
  oldSize = _vec<2, int>(0, 0);
  newSize = _vec<2, int>(0, 0);
}

void Display::update() {
  oldSize = size;
  size = newSize;
}

void Display::resize(int width, int height) { newSize = _vec<2, int>(width, height); }

_vec<2, int> const& Display::getSize() const { return size; }

bool Display::sizeHasChanged() { return size != oldSize; }
