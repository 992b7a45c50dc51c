// Compare: the A/B view. Left of a vertical wipe line the scene is drawn with
// technique set A (the panel's), right of it with set B; the middle mouse
// button drags the line, and the b key makes the whole view blink between the
// two about once a second until it is pressed again.
#pragma once

#include <memory>
#include <string>

#include "ReliefProgram.h"

class Compare {
public:
  bool active() const { return programB != nullptr; }
  // Starts comparing with set B drawn by `prog`, built by the caller at
  // `steps`: B's own count when `ownSteps` (the labels then name both sides'
  // counts), else the panel's.
  void start(unsigned setB, int steps, std::unique_ptr<ReliefProgram> prog, bool ownSteps = false);
  void stop();
  // A rebuilt program for the same set B (after a shader edit or step change).
  void replaceProgram(int steps, std::unique_ptr<ReliefProgram> prog);

  unsigned setB() const { return b; }
  int steps() const { return bSteps; }
  bool ownSteps() const { return fixedSteps; }
  ReliefProgram* program() const { return programB.get(); }

  // The wipe's place, as a fraction of the view's width from its left edge.
  float wipe() const { return split; }
  void setWipe(float fraction);

  bool blinking() const { return blink; }
  void toggleBlink(double now);
  // While blinking, whether B is the set shown at time `now`.
  bool showsB(double now) const;

  // A middle-button drag moves the line; the b key toggles blinking. `pointerX`
  // is the pointer's x as a fraction of the view's width.
  void handleInput(float pointerX, int middleButtonState, bool bPressed, double now);

  // The wipe line and the two labels over a view of w x h pixels whose top-left
  // corner is at (x, y) in overlay coordinates.
  void drawOverlay(float x, float y, float w, float h, std::string const& labelA, double now) const;

private:
  std::unique_ptr<ReliefProgram> programB;
  unsigned b = 0;
  int bSteps = 0;
  bool fixedSteps = false;
  float split = 0.5f;
  bool blink = false;
  double blinkStart = 0;
};
