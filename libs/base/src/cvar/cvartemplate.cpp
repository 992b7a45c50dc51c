// _cvar<int> and _cvar<float>: console variables that own their value.
#include <cstdlib>

#include "base/console.h"
#include "base/cvar.h"
#include "cvar/narrow.h"

template <>
void _cvar<int>::setValue(int argc, char** argv) {
  if (argc > 1) value = truncateToInt(atof(argv[1]));
}

template <>
void _cvar<float>::setValue(int argc, char** argv) {
  if (argc > 1) value = narrowToFloat(atof(argv[1]));
}

template <>
void _cvar<int>::echoData() {
  con.addString(name);
  con.addString(" := ");
  con.print("%d", value);
  con.addString("\n");
}

template <>
void _cvar<float>::echoData() {
  con.addString(name);
  con.addString(" := ");
  con.print("%f", static_cast<double>(value));
  con.addString("\n");
}

template class _cvar<int>;
template class _cvar<float>;
