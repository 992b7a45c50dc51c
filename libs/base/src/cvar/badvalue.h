// The one console line that answers a value which is not a number, or one too
// large for the variable's type.
#pragma once

#include "base/console.h"
#include "base/parsenumber.h"

inline void reportBadValue(char const* name, char const* token, NumberParse why, char const* typeName) {
  con << name << ": \"" << token << "\" " << numberParseReason(why, typeName).c_str()
      << "; the value stays as it was\n";
}
