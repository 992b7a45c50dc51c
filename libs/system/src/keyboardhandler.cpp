// KeyboardHandler: raw key events become per-frame key states (pressed, held,
// released, up) and a ring buffer of the keys pressed since the last frame.
#include <cstdio>
#include <cstring>

#include "math/assert.h"
#include "system/keyboard.h"

namespace {

bool validKey(int k) { return 0 <= k && k < Key::keyCount; }

void reportUnknownKey(int k) {
  std::fprintf(stderr, "KeyboardHandler::keyUp got an unknown key %d\n", k);
}

}  // namespace

void KeyboardHandler::reset() {
  std::memset(keyState, 0, sizeof keyState);
  std::memset(keyDownQueue, 0, sizeof keyDownQueue);
  queueHead = 0;
  queueTail = 0;
  std::memset(keyIsDown, 0, sizeof keyIsDown);
  std::memset(keyWasDown, 0, sizeof keyWasDown);
  Key::buildShiftTables();
}

signed char KeyboardHandler::getKeyState(int k) {
  // Out-of-range codes read as up rather than outside the table.
  return validKey(k) ? keyState[k] : 0;
}

void KeyboardHandler::keyDown(Key::Key_t k) {
  if (!validKey(k)) {
    reportUnknownKey(k);
    return;
  }
  // One slot stays free so that a full ring differs from an empty one; a press
  // that would fill it is dropped.
  keyDownQueue[queueTail] = k;
  int next = (queueTail + 1) % queueLength;
  if (next != queueHead) queueTail = next;
  keyIsDown[k] = true;
}

void KeyboardHandler::keyUp(Key::Key_t k) {
  if (!validKey(k)) {
    reportUnknownKey(k);
    return;
  }
  keyIsDown[k] = false;
}

void KeyboardHandler::keySet(Key::Key_t k, bool down) {
  if (!validKey(k)) {
    reportUnknownKey(k);
    return;
  }
  keyIsDown[k] = down;
}

void KeyboardHandler::preUpdate() {
  for (int k = 0; k < Key::keyCount; ++k) {
    if (keyIsDown[k])
      keyState[k] = keyWasDown[k] ? 1 : 2;
    else
      keyState[k] = keyWasDown[k] ? 3 : 0;
    keyWasDown[k] = keyIsDown[k];
  }
}

void KeyboardHandler::postUpdate() { queueHead = queueTail; }

int KeyboardHandler::getKeyDownQueueSize() {
  return (queueTail - queueHead + queueLength) % queueLength;
}

int KeyboardHandler::getKeyDownQueue(int i) {
  // Beyond the queued presses there is no key: read as code 0.
  if (i < 0 || i >= getKeyDownQueueSize()) return 0;
  return keyDownQueue[(queueHead + i) % queueLength];
}

PKeyboardHandler* KeyboardHandler::clone() {
  KeyboardHandler* c = new KeyboardHandler();
  c->copy(this);
  return c;
}

void KeyboardHandler::copy(PKeyboardHandler* source) {
  KeyboardHandler* from = dynamic_cast<KeyboardHandler*>(source);
  ASSERT(from);
  if (from == this) return;
  std::memcpy(keyState, from->keyState, sizeof keyState);
  std::memcpy(keyDownQueue, from->keyDownQueue, sizeof keyDownQueue);
  queueHead = from->queueHead;
  queueTail = from->queueTail;
  std::memcpy(keyIsDown, from->keyIsDown, sizeof keyIsDown);
  std::memcpy(keyWasDown, from->keyWasDown, sizeof keyWasDown);
}
