// _cvar<int> and _cvar<float>: console variables that own their value.
#include "base/console.h"
#include "base/cvar.h"
#include "base/parsenumber.h"
#include "cvar/badvalue.h"

template <>
void _cvar<int>::setValue(int argc, char** argv) {
  if (argc < 2 || refuseExtraValues(name, argc, argv, 1)) return;
  NumberParse const result = parseNumber(argv[1], value);
  if (result != NumberParse::Ok) reportBadValue(name, argv[1], result, "an int");
}

template <>
void _cvar<float>::setValue(int argc, char** argv) {
  if (argc < 2 || refuseExtraValues(name, argc, argv, 1)) return;
  NumberParse const result = parseNumber(argv[1], value);
  if (result != NumberParse::Ok) reportBadValue(name, argv[1], result, "a float");
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
