// Window size: the interface PDisplay, its front IDisplay (the global `disp`)
// and the platform-neutral implementation Display, which holds a reported size
// back until the next frame so that a whole frame sees one size.
#pragma once

#include "math/vec.h"

class PDisplay {
public:
  // Once per frame, before the frame function: the last reported size becomes current.
  virtual void update() = 0;
  // The window system reports a new content size.
  virtual void resize(int width, int height) = 0;
  // The size current for this frame (width, height in pixels).
  virtual _vec<2, int> const& getSize() const = 0;
  // True during the one frame after the current size changed.
  virtual bool sizeHasChanged() = 0;

protected:
  ~PDisplay() = default;
};

class IDisplay : public PDisplay {
public:
  constexpr IDisplay() : imp(nullptr) {}

  void setImp(PDisplay* p) { imp = p; }

  void update() override;
  void resize(int width, int height) override;
  _vec<2, int> const& getSize() const override;
  bool sizeHasChanged() override;

  PDisplay* imp;
};

class Display : public PDisplay {
public:
  Display() { reset(); }

  void update() override;
  void resize(int width, int height) override;
  _vec<2, int> const& getSize() const override;
  bool sizeHasChanged() override;

  // All three sizes back to 0 by 0.
  void reset();

  _vec<2, int> size;     // current for this frame
  _vec<2, int> oldSize;  // current in the previous frame
  _vec<2, int> newSize;  // last reported by the window system
};

extern IDisplay disp;
