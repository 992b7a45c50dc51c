// Strict number parsing for typed values: the whole text must be one number
// that fits the type it is stored in, or the value is refused and the
// caller's variable left alone.
#pragma once

#include <string>

// Each function reads `text` as strtod does (decimal or hexadecimal, with an
// exponent) and succeeds only when nothing but blanks surrounds the number and
// the result fits the stored type. On failure `out` is left unchanged.

// Why a text was refused.
enum class NumberParse {
  Ok,
  NotANumber,  // "", "abc", "12abc", "nan", "inf", "1 2", null
  OutOfRange,  // a number too large for the type: "1e39" for a float, "1e400", "3e9" for an int
};

// The refusal as words that follow the quoted text in a message: "is not a
// finite number" or "is out of range for a float" (double, int); "" for Ok.
std::string numberParseReason(NumberParse result, char const* typeName);

// Tiny values that underflow to zero or a denormal are accepted.
NumberParse parseNumber(char const* text, double& out);
// Rounded to the nearest float; refused when that would be infinite.
NumberParse parseNumber(char const* text, float& out);
// The number truncated towards zero: "2.9" gives 2, "-2.5" gives -2; refused
// when the truncated value lies outside the int range.
NumberParse parseNumber(char const* text, int& out);

// The same as a plain yes or no.
bool parseFiniteDouble(char const* text, double& out);
bool parseFiniteFloat(char const* text, float& out);
bool parseInt(char const* text, int& out);
