// Console arguments: unquoting and joining tokens.
#include "ConsoleArgs.h"

std::string unquote(char const* token) {
  std::string out;
  for (char const* c = token; *c; ++c)
    if (*c != '"') out += *c;
  return out;
}

std::string joined(char** argv, int first, int last) {
  std::string out;
  for (int i = first; i < last; ++i) {
    if (i > first) out += ' ';
    out += unquote(argv[i]);
  }
  return out;
}
