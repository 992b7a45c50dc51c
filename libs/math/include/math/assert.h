// The one assertion macro of the whole system: a broken invariant prints
// "<file>:<line>: failed assertion `<expression>'" on standard error and aborts.
// __FILE__ is repository-relative because the build maps the source root away.
#pragma once

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void rbAssertFail(char const* file, unsigned line, char const* expr) {
  std::fprintf(stderr, "%s:%u: failed assertion `%s'\n", file, line, expr);
  std::fflush(stderr);
  std::abort();
}

#define ASSERT(expr) \
  ((expr) ? static_cast<void>(0) : rbAssertFail(__FILE__, static_cast<unsigned>(__LINE__), #expr))

// Number of elements of a fixed-size array.
#define numberof(a) (sizeof(a) / sizeof((a)[0]))
