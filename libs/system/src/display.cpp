// The display front object `disp`: forwards every call to the bound implementation.
#include "system/display.h"

#include "math/assert.h"

IDisplay disp;

void IDisplay::update() {
  ASSERT(imp);
  imp->update();
}

void IDisplay::resize(int width, int height) {
  ASSERT(imp);
  imp->resize(width, height);
}

_vec<2, int> const& IDisplay::getSize() const {
  ASSERT(imp);
  return imp->getSize();
}

bool IDisplay::sizeHasChanged() {
  ASSERT(imp);
  return imp->sizeHasChanged();
}
