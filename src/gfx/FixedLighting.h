// FixedLighting: the fixed-function light and material state the relief
// shaders read (gl_FrontLightProduct, gl_FrontMaterial): light 0's colour and
// intensity, the material's specular colour and shininess.
#pragma once

#include "math/vec.h"

struct FixedLighting {
  // The start-up state: a white light of intensity 1, a white specular
  // material of shininess 10.
  _vec<3, float> lightColor = _vec<3, float>(1.0f, 1.0f, 1.0f);
  float lightIntensity = 1.0f;
  _vec<3, float> specularColor = _vec<3, float>(1.0f, 1.0f, 1.0f);
  float shininess = 10.0f;

  // The ranges a user may set: colours from black to white, an intensity up
  // to 100, and the GL's own limit on the shininess exponent.
  static constexpr float maxIntensity = 100.0f;
  static constexpr float maxShininess = 128.0f;

  // Light 0's ambient, diffuse and specular colours, each the colour times the
  // intensity (alpha 1).
  void applyLight() const;
  // The material's specular colour (alpha 1) and shininess, on both faces.
  void applyMaterial() const;
};
