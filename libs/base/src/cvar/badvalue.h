// The one console line that answers a value which is not a number.
#pragma once

#include "base/console.h"

inline void reportBadValue(char const* name, char const* token) {
  con << name << ": \"" << token << "\" is not a finite number; the value stays as it was\n";
}
