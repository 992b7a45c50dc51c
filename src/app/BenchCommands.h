// The bench's console commands and variables that need the module's state bound at start-up.
#pragma once

#include "math/vec.h"

struct FixedLighting;

// Points the lightPos variable at the scene's light (null: nothing to show).
void bindLightVar(_vec<4, float>* light);
// Points the light and material variables (lightColor, lightIntensity,
// materialSpecular, materialShininess) at the module's looks (null: none).
void bindLookVars(FixedLighting* looks);
