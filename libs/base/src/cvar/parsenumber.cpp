// parseNumber for double, float and int: one whole number that fits its type, or nothing.
#include "base/parsenumber.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

// True when only blanks follow `end`.
bool onlyBlanksFrom(char const* end) {
  while (std::isspace(static_cast<unsigned char>(*end))) ++end;
  return *end == '\0';
}

// Reads one number with `convert` (strtod or strtof). An infinite result is
// out of range when the text spelled a finite number (strtod sets ERANGE on
// overflow), and not a number when the text itself said "inf"; NaN is never a
// number.
template <typename T, typename Convert>
NumberParse readNumber(char const* text, T& out, Convert convert) {
  if (!text) return NumberParse::NotANumber;
  char* end = nullptr;
  int const savedErrno = errno;
  errno = 0;
  T const value = convert(text, &end);
  bool const overflowed = errno == ERANGE && std::isinf(value);
  errno = savedErrno;
  if (end == text || !onlyBlanksFrom(end) || std::isnan(value)) return NumberParse::NotANumber;
  if (std::isinf(value)) return overflowed ? NumberParse::OutOfRange : NumberParse::NotANumber;
  out = value;
  return NumberParse::Ok;
}

}  // namespace

std::string numberParseReason(NumberParse result, char const* typeName) {
  switch (result) {
    case NumberParse::Ok:
      return "";
    case NumberParse::NotANumber:
      return "is not a finite number";
    case NumberParse::OutOfRange:
      return std::string("is out of range for ") + (typeName && *typeName ? typeName : "its type");
  }
  return "";
}

NumberParse parseNumber(char const* text, double& out) {
  return readNumber(text, out, [](char const* t, char** e) { return std::strtod(t, e); });
}

NumberParse parseNumber(char const* text, float& out) {
  // strtof rounds the text once, straight to float, so that a value just
  // above FLT_MAX that rounds down to it is still accepted.
  return readNumber(text, out, [](char const* t, char** e) { return std::strtof(t, e); });
}

NumberParse parseNumber(char const* text, int& out) {
  double d = 0;
  NumberParse const result = parseNumber(text, d);
  if (result != NumberParse::Ok) return result;
  // Truncation towards zero keeps anything above -2^31 - 1 and below 2^31.
  if (!(d > -2147483649.0 && d < 2147483648.0)) return NumberParse::OutOfRange;
  out = static_cast<int>(d);
  return NumberParse::Ok;
}

bool parseFiniteDouble(char const* text, double& out) { return parseNumber(text, out) == NumberParse::Ok; }
bool parseFiniteFloat(char const* text, float& out) { return parseNumber(text, out) == NumberParse::Ok; }
bool parseInt(char const* text, int& out) { return parseNumber(text, out) == NumberParse::Ok; }
