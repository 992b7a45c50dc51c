// Console arguments: unquoting and joining tokens.
#include "ConsoleArgs.h"

#include <strings.h>

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

std::vector<std::string> tokens(char** argv, int first, int last) {
  std::vector<std::string> out;
  for (int i = first; i < last; ++i) out.push_back(argv[i]);
  return out;
}

bool hasExtension(std::string const& name, std::vector<std::string> const& extensions) {
  for (std::string const& e : extensions)
    if (name.size() > e.size() && strcasecmp(name.c_str() + name.size() - e.size(), e.c_str()) == 0) return true;
  return false;
}
