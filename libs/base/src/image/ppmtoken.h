// The sample tokens of the text forms of portable any-maps (P2, P3): where a
// token starts, ends, and what number it holds as atoi would read it.
#pragma once

#include <cstddef>

// Characters that atoi skips before a number. Space and newline never reach
// it: they separate tokens.
inline bool isBlank(char c) { return c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A token's number: its value modulo 2^32, its sign, and whether it passed
// the largest maximum value a file may declare.
struct TokenValue {
  unsigned value = 0;
  bool negative = false;
  bool large = false;
};

// One token, read as atoi reads it (leading blanks, a sign, digits up to the
// first other character); it counts as a sample when its value is not 0 or it
// starts with the digit 0. Unsigned arithmetic keeps the low bits exact for
// numbers of any length.
inline bool readToken(char const* t, size_t len, TokenValue& out) {
  char const* q = t;
  char const* end = t + len;
  while (q < end && isBlank(*q)) ++q;
  if (q < end && (*q == '+' || *q == '-')) out.negative = *q++ == '-';
  bool nonZero = false;
  while (q < end && isDigit(*q)) {
    unsigned d = unsigned(*q++ - '0');
    out.value = out.value * 10u + d;
    out.large |= out.value > 65535u;
    nonZero |= d != 0;
  }
  return nonZero || t[0] == '0';
}
