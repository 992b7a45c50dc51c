// The bench's console commands and variables that need the module's state bound at start-up.
#pragma once

#include "FidelityTruth.h"
#include "math/vec.h"

struct FixedLighting;

// Points the lightPos variable at the scene's light (null: nothing to show).
void bindLightVar(_vec<4, float>* light);
// The flipPpd variable: the pixels per degree of visual angle at which the
// image figures see the pictures (Flip::kDefaultPixelsPerDegree unless set).
float flipPixelsPerDegree();
// The fidelityTruth variable: the truth the fidelity figures are against
// (the tangent plane unless set).
FidelityTruth fidelityTruth();
// Points the light and material variables (lightColor, lightIntensity,
// materialSpecular, materialShininess) at the module's looks (null: none).
void bindLookVars(FixedLighting* looks);
