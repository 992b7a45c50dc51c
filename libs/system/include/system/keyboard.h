// Keyboard input: the engine's key codes with their name and shift tables, the
// interface PKeyboardHandler, its front IKeyboardHandler (the global `kbd`) and
// KeyboardHandler, which turns raw key events into per-frame key states and a
// queue of the keys pressed in the frame.
#pragma once

namespace Key {

// Printable keys use their unshifted ASCII code (letters lower case); the
// other keys have codes from 128 up. 172 codes in all.
enum Key_t : int {
  BACKSPACE = 8,
  TAB = 9,
  RETURN = 13,
  ESC = 27,
  SPACE = 32,
  DEL = 127,
  LSHIFT = 128,
  RSHIFT,
  LCTRL,
  RCTRL,
  LALT,
  RALT,
  LMETA,
  RMETA,
  F1 = 136,
  F2,
  F3,
  F4,
  F5,
  F6,
  F7,
  F8,
  F9,
  F10,
  F11,
  F12,
  F13,
  F14,
  F15,
  F16,
  UP = 152,
  DOWN,
  LEFT,
  RIGHT,
  PAGE_UP,
  PAGE_DOWN,
  HOME,
  END,
  INSERT,
  KP0 = 161,
  KP1,
  KP2,
  KP3,
  KP4,
  KP5,
  KP6,
  KP7,
  KP8,
  KP9,
  CAPSLOCK = 171,
  // Index of the final, empty entry of the name table; also the number of codes.
  nameEnd = 172
};

constexpr int keyCount = 172;

// The name of every code ("" for unnamed codes), then the empty name at nameEnd.
extern char const* const name[keyCount + 1];

// addShift[c]: the code that c produces with shift held; removeShift[c]: the
// code without shift. Rebuilt by KeyboardHandler::reset().
extern int addShift[keyCount];
extern int removeShift[keyCount];

// Fills both shift tables for a US keyboard.
void buildShiftTables();

}  // namespace Key

class PKeyboardHandler {
public:
  // 0 up, 1 held, 2 pressed in this frame, 3 released in this frame.
  virtual signed char getKeyState(int k) = 0;
  virtual void reset() = 0;
  virtual void keyUp(Key::Key_t k) = 0;
  virtual void keyDown(Key::Key_t k) = 0;
  // Once per frame before the frame function: raw flags become key states.
  virtual void preUpdate() = 0;
  // Once per frame after the frame function: empties the press queue.
  virtual void postUpdate() = 0;
  virtual int getKeyDownQueueSize() = 0;
  // The i-th oldest press of this frame.
  virtual int getKeyDownQueue(int i) = 0;
  // A new handler, owned by the caller, with a copy of this one's state.
  virtual PKeyboardHandler* clone() = 0;
  // Takes over the whole state of another KeyboardHandler.
  virtual void copy(PKeyboardHandler* from) = 0;

  // Clones are owned through this interface, so it must be deletable.
  virtual ~PKeyboardHandler() = default;
};

class IKeyboardHandler : public PKeyboardHandler {
public:
  constexpr IKeyboardHandler() : imp(nullptr) {}

  void setImp(PKeyboardHandler* p) { imp = p; }
  PKeyboardHandler* getImp() { return imp; }

  signed char getKeyState(int k) override;
  void reset() override;
  void keyUp(Key::Key_t k) override;
  void keyDown(Key::Key_t k) override;
  void preUpdate() override;
  void postUpdate() override;
  int getKeyDownQueueSize() override;
  int getKeyDownQueue(int i) override;
  PKeyboardHandler* clone() override;
  void copy(PKeyboardHandler* from) override;

  PKeyboardHandler* imp;
};

class KeyboardHandler : public PKeyboardHandler {
public:
  KeyboardHandler() { reset(); }

  signed char getKeyState(int k) override;
  void reset() override;
  void keyUp(Key::Key_t k) override;
  void keyDown(Key::Key_t k) override;
  void preUpdate() override;
  void postUpdate() override;
  int getKeyDownQueueSize() override;
  int getKeyDownQueue(int i) override;
  PKeyboardHandler* clone() override;
  void copy(PKeyboardHandler* from) override;

  // Sets the raw flag of k without queueing a press.
  void keySet(Key::Key_t k, bool down);

  static constexpr int queueLength = 32;  // holds at most queueLength - 1 presses

  signed char keyState[Key::keyCount];
  int keyDownQueue[queueLength];
  int queueHead;  // oldest queued press
  int queueTail;  // where the next press goes
  bool keyIsDown[Key::keyCount];   // raw: between a key-down and its key-up
  bool keyWasDown[Key::keyCount];  // raw flags at the last preUpdate
};

extern IKeyboardHandler kbd;
