// Objects that two translation units define as statics, for the registry's init().
#pragma once

#include "base/cvar.h"

extern CVar orderA1;
extern CVarw orderA2;
extern CVarw dupFromA;
extern CVar orderB1;
extern CVar dupFromB;
