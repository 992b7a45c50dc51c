// The registry's own commands, "echo" and "listcmds", and the name pattern
// matching that "listcmds" uses.
#include <cstring>

#include "base/console.h"
#include "base/cvar.h"

void CFunc_echo(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    con.addString(i == 1 ? "" : " ");
    con.addString(argv[i]);
  }
  con.addString("\n");
}

// Literal bytes up to the first '*' must match one for one; each later literal
// run is searched for from the current position, and the position stays at the
// start of the run found, so consecutive runs may overlap.
bool cvarMatchPattern(char const* pattern, char const* name) {
  if (!pattern || !*pattern) return true;
  if (!name) return false;
  char const* p = pattern;
  char const* n = name;
  while (*p && *p != '*') {
    if (*p != *n) return false;
    ++p;
    ++n;
  }
  if (!*p) return *n == '\0';
  for (;;) {
    while (*p == '*') ++p;
    if (!*p) return true;
    char const* runEnd = std::strchr(p, '*');
    size_t runLength = runEnd ? static_cast<size_t>(runEnd - p) : std::strlen(p);
    char const* found = nullptr;
    for (char const* s = n; *s; ++s) {
      if (std::strncmp(s, p, runLength) == 0) {
        found = s;
        break;
      }
    }
    if (!found) return false;
    n = found;
    p += runLength;
    if (!*p) return true;
  }
}

void CFunc_ListCmds(int argc, char** argv) {
  char const* pattern = argc > 1 ? argv[1] : "";
  CVarSys* registry = cvarRegistry();
  int listed = 0;
  for (int i = 0; i < registry->size(); ++i) {
    CVar* v = registry->at(i);
    if (cvarMatchPattern(pattern, v->name)) {
      con.addString(v->name);
      con.addString("\n");
      ++listed;
    }
  }
  if (!listed) con.print("listcmds: no name matches \"%s\" ('*' stands for any text, case counts)\n", pattern);
}
