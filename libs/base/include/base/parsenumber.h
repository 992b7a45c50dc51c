// Strict number parsing for typed values: the whole text must be one finite
// number, or the value is refused and the caller's variable left alone.
#pragma once

// Each function reads `text` as strtod does (decimal or hexadecimal, with an
// exponent) and succeeds only when nothing but blanks surrounds the number and
// the result is finite; "abc", "12abc", "", "nan" and "inf" are refused. On
// failure `out` is left unchanged.

bool parseFiniteDouble(char const* text, double& out);
// Also refused: values beyond the float range (they would become infinite).
bool parseFiniteFloat(char const* text, float& out);
// The number truncated towards zero, saturating at the int limits:
// "2.9" gives 2, "99999999999" gives INT_MAX, never undefined behaviour.
bool parseInt(char const* text, int& out);
