// The mouse front object `mouse`: forwards every call to the bound implementation.
#include "system/mouse.h"

#include "math/assert.h"

IMouseHandler mouse;

void IMouseHandler::update() {
  ASSERT(imp);
  imp->update();
}

void IMouseHandler::setButtonPress(Button_t b, bool down) {
  ASSERT(imp);
  imp->setButtonPress(b, down);
}

void IMouseHandler::setCursorPos(int x, int y) {
  ASSERT(imp);
  imp->setCursorPos(x, y);
}

void IMouseHandler::accumDZ(short d) {
  ASSERT(imp);
  imp->accumDZ(d);
}

int IMouseHandler::getDZ() const {
  ASSERT(imp);
  return imp->getDZ();
}

_vec<2, int> const& IMouseHandler::getPos() const {
  ASSERT(imp);
  return imp->getPos();
}

_vec<2, int> const& IMouseHandler::getMove() const {
  ASSERT(imp);
  return imp->getMove();
}

_vec<2, float> const& IMouseHandler::getFPos() const {
  ASSERT(imp);
  return imp->getFPos();
}

_vec<2, float> const& IMouseHandler::getFMove() const {
  ASSERT(imp);
  return imp->getFMove();
}

signed char IMouseHandler::getButtonState(int b) const {
  ASSERT(imp);
  return imp->getButtonState(b);
}
