// CVarInterpreter: hands each console line to the registry.
#include "base/cvar.h"

CVarInterpreter cvarInterpreter;

void CVarInterpreter::exec(char const* line) {
  cvarRegistry()->exec(line);
}
