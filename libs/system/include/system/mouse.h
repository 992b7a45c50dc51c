// Mouse input: the interface PMouseHandler, its front IMouseHandler (the global
// `mouse`) and MouseHandler, which folds raw pointer, wheel and button events
// into a per-frame snapshot with the origin at the window's bottom-left.
#pragma once

#include "math/vec.h"

class PMouseHandler {
public:
  enum Button_t : int { PRIMARY = 0, SECONDARY = 1, TERTIARY = 2 };
  static constexpr int buttonCount = 3;

  // Once per frame after the display update: raw input becomes this frame's snapshot.
  virtual void update() = 0;
  // Raw button flag from the backend.
  virtual void setButtonPress(Button_t b, bool down) = 0;
  // Raw pointer position from the backend: pixels, origin top-left, y downward.
  virtual void setCursorPos(int x, int y) = 0;
  // Adds one wheel event's steps.
  virtual void accumDZ(short d) = 0;
  // Wheel steps received during the previous frame.
  virtual int getDZ() const = 0;
  // Pointer position in pixels, origin bottom-left, y upward.
  virtual _vec<2, int> const& getPos() const = 0;
  virtual _vec<2, int> const& getMove() const = 0;
  // The same as fractions of the window size.
  virtual _vec<2, float> const& getFPos() const = 0;
  virtual _vec<2, float> const& getFMove() const = 0;
  // 0 up, 1 held, 2 pressed in this frame, 3 released in this frame.
  virtual signed char getButtonState(int b) const = 0;

protected:
  ~PMouseHandler() = default;
};

class IMouseHandler : public PMouseHandler {
public:
  constexpr IMouseHandler() : imp(nullptr) {}

  void setImp(PMouseHandler* p) { imp = p; }

  void update() override;
  void setButtonPress(Button_t b, bool down) override;
  void setCursorPos(int x, int y) override;
  void accumDZ(short d) override;
  int getDZ() const override;
  _vec<2, int> const& getPos() const override;
  _vec<2, int> const& getMove() const override;
  _vec<2, float> const& getFPos() const override;
  _vec<2, float> const& getFMove() const override;
  signed char getButtonState(int b) const override;

  PMouseHandler* imp;
};

class MouseHandler : public PMouseHandler {
public:
  MouseHandler() { reset(); }

  void update() override;
  void setButtonPress(Button_t b, bool down) override;
  void setCursorPos(int x, int y) override;
  void accumDZ(short d) override;
  int getDZ() const override;
  _vec<2, int> const& getPos() const override;
  _vec<2, int> const& getMove() const override;
  _vec<2, float> const& getFPos() const override;
  _vec<2, float> const& getFMove() const override;
  signed char getButtonState(int b) const override;

  // Everything back to zero.
  void reset();

  signed char buttonState[buttonCount];
  _vec<2, int> pos;     // pixels, origin bottom-left
  _vec<2, int> move;    // change of pos since the previous frame
  _vec<2, float> fpos;  // pos / window size
  _vec<2, float> fmove; // move / window size
  int dz;               // wheel steps of the previous frame
  int dzAccum;          // wheel steps since the last update
  int cursor[2];        // raw position: origin top-left, y downward
  bool buttonDown[buttonCount];
  bool buttonPrev[buttonCount];
};

extern IMouseHandler mouse;
