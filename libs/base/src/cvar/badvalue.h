// The one console line that answers a value which is not a number, or one too
// large for the variable's type.
#pragma once

#include "base/console.h"
#include "base/parsenumber.h"

inline void reportBadValue(char const* name, char const* token, NumberParse why, char const* typeName) {
  con << name << ": \"" << token << "\" " << numberParseReason(why, typeName).c_str()
      << "; the value stays as it was\n";
}

// More values than a variable holds: true after the one line that refuses
// them. Empty tokens past the last value (a trailing space) are no values.
inline bool refuseExtraValues(char const* name, int argc, char** argv, int holds) {
  int given = argc - 1;
  while (given > holds && argv[given][0] == '\0') --given;
  if (given <= holds) return false;
  con.print("%s: takes %d value%s, the line gave %d; the value stays as it was\n", name, holds,
            holds == 1 ? "" : "s", given);
  return true;
}
