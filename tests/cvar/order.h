// Objects that two translation units register during static construction.
#pragma once

#include "base/cvar.h"

extern CVar orderA1;
extern CVarw orderA2;
extern CVarw dupFromA;
extern CVar orderB1;
extern CVar dupFromB;

// Whether the registry already existed and answered when the static
// constructor of each unit ran (it must, whatever the order).
extern bool registryAnsweredInA;
extern bool registryAnsweredInB;
