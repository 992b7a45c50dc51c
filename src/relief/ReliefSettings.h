// ReliefSettings: what a relief program is built and drawn with, the values it
// starts from, the limits a user may set, and the checks of a typed value that
// the panel's fields and the console commands share.
#pragma once

#include <string>

struct ReliefSettings {
  // The start-up values. The fragment shader's own fallbacks (ITERATIVE_STEPS
  // 32.0, REFINE_STEPS 6.0) are the same numbers, for a build without macros.
  static constexpr int defaultSteps = 32;
  static constexpr int defaultRefineSteps = 6;
  static constexpr float defaultPolyThickness = 0.5f;
  static constexpr float defaultBumpHeight = 100.0f;

  // The step counts a user may ask for: more would stall the GPU for seconds.
  static constexpr int minSteps = 1;
  static constexpr int maxSteps = 1024;
  static constexpr int maxRefineSteps = 32;
  // The depth and scale a user may set: beyond them the relief and the normals
  // stop meaning anything, and a float would soon overflow.
  static constexpr double maxPolyDepth = 10.0;
  static constexpr double maxBumpScale = 10000.0;

  unsigned set = 0;                      // the technique set (bit i: technique i)
  int steps = defaultSteps;              // ITERATIVE_STEPS
  int refineSteps = defaultRefineSteps;  // REFINE_STEPS: the bisections of BINARY_REFINE and RELAXED_CONE
  float polyThickness = defaultPolyThickness;  // the relief's depth, in fifths of a texture repeat
  float bumpHeight = defaultBumpHeight;        // the normal generator's scale: the relief's depth in texels
  // Whether the programs bound their loops by uniforms carrying the counts
  // (the console's stepsAsUniforms) instead of the literals alone.
  bool stepsAsUniforms = false;

  // The checks of a typed value. Each returns true when `text` gives a value
  // to use, put into `out` (which stays as it was otherwise), and sets
  // `message` to the console line the user should read ("" when there is
  // none): why nothing changed, or how the value was capped.
  //
  // A step count is the text's leading integer, read as atoi reads it
  // (blanks, a sign, digits: "12abc" gives 12). A count under the field's
  // least changes nothing; one above its most is capped to it. Text with no
  // leading integer changes nothing.
  static bool takeSteps(std::string const& text, int current, int& out, std::string& message);
  static bool takeRefineSteps(std::string const& text, int current, int& out, std::string& message);
  // A depth or scale is the whole text as one finite number, from 0 to its
  // most; anything else changes nothing.
  static bool takePolyDepth(std::string const& text, float current, float& out, std::string& message);
  static bool takeBumpScale(std::string const& text, float current, float& out, std::string& message);

  // A float as the panel's fields show it: a default text stream's six
  // significant digits, no trailing zeros ("0.5", "100").
  static std::string format(double value);
};
