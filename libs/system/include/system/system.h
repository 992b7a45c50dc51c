// The system bridge: the interface PSystem of a platform backend (window, GL
// context, event loop, arguments) and its front ISystem, the global `sys`.
#pragma once

#include <string>

#include "math/vec.h"

class PSystem {
public:
  // Creates the window and the GL context from the start-up parameters, starts
  // the timer and reports the content size to the display.
  virtual void init() = 0;
  // Destroys the context and the window; back to the reset state.
  virtual void shutdown() = 0;
  // Stores the frame function and runs the event loop until an exit is requested.
  virtual void loop(void (*frame)()) = 0;
  // The loop ends after the current pass.
  virtual void requestExit() = 0;
  // True during a pass that has more key or button input waiting behind the
  // event it handled. Such a pass runs the frame but is not shown, so the
  // application may skip its costly drawing: a burst of input then drains at
  // the speed of the frame logic, not at the speed of drawing.
  virtual bool isCatchingUp() const = 0;
  // Start-up parameters; they take effect only when given before init().
  virtual void setInitDoubleBuffered(bool doubleBuffered) = 0;
  virtual void setInitPos(_vec<2, int> const& pos) = 0;
  virtual void setInitSize(_vec<2, int> const& size) = 0;
  // The recorded program arguments; index 0 is the program path.
  virtual std::string getArg(int i) const = 0;
  virtual int getArgCount() const = 0;

protected:
  // Implementations are never deleted through the interface.
  ~PSystem() = default;
};

// Forwards every call to the bound implementation; calling while unbound is a
// failed assertion "imp".
class ISystem : public PSystem {
public:
  constexpr ISystem() : imp(nullptr) {}

  void setImp(PSystem* p) { imp = p; }

  void init() override;
  void shutdown() override;
  void loop(void (*frame)()) override;
  void requestExit() override;
  bool isCatchingUp() const override;
  void setInitDoubleBuffered(bool doubleBuffered) override;
  void setInitPos(_vec<2, int> const& pos) override;
  void setInitSize(_vec<2, int> const& size) override;
  std::string getArg(int i) const override;
  int getArgCount() const override;

  PSystem* imp;
};

extern ISystem sys;
