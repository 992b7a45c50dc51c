// _cvar<int> and _cvar<float>: console variables that own their value.
#include "base/console.h"
#include "base/cvar.h"
#include "base/parsenumber.h"
#include "cvar/badvalue.h"

template <>
void _cvar<int>::setValue(int argc, char** argv) {
  if (argc > 1 && !parseInt(argv[1], value)) reportBadValue(name, argv[1]);
}

template <>
void _cvar<float>::setValue(int argc, char** argv) {
  if (argc > 1 && !parseFiniteFloat(argv[1], value)) reportBadValue(name, argv[1]);
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
