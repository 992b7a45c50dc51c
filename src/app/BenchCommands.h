// The bench's console commands and variables that need the module's state bound at start-up.
#pragma once

#include "math/vec.h"

// Points the lightPos variable at the scene's light (null: nothing to show).
void bindLightVar(_vec<4, float>* light);
// The flipPpd variable: the pixels per degree of visual angle at which the
// image figures see the pictures (Flip::kDefaultPixelsPerDegree unless set).
float flipPixelsPerDegree();
