// The keyboard front object `kbd`: forwards every call to the bound implementation.
#include "system/keyboard.h"

#include "math/assert.h"

IKeyboardHandler kbd;

signed char IKeyboardHandler::getKeyState(int k) {
  ASSERT(imp);
  return imp->getKeyState(k);
}

void IKeyboardHandler::reset() {
  ASSERT(imp);
  imp->reset();
}

void IKeyboardHandler::keyUp(Key::Key_t k) {
  ASSERT(imp);
  imp->keyUp(k);
}

void IKeyboardHandler::keyDown(Key::Key_t k) {
  ASSERT(imp);
  imp->keyDown(k);
}

void IKeyboardHandler::preUpdate() {
  ASSERT(imp);
  imp->preUpdate();
}

void IKeyboardHandler::postUpdate() {
  ASSERT(imp);
  imp->postUpdate();
}

int IKeyboardHandler::getKeyDownQueueSize() {
  ASSERT(imp);
  return imp->getKeyDownQueueSize();
}

int IKeyboardHandler::getKeyDownQueue(int i) {
  ASSERT(imp);
  return imp->getKeyDownQueue(i);
}

PKeyboardHandler* IKeyboardHandler::clone() {
  ASSERT(imp);
  return imp->clone();
}

void IKeyboardHandler::copy(PKeyboardHandler* from) {
  ASSERT(imp);
  imp->copy(from);
}
