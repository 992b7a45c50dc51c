// CVarw: console variables over storage owned elsewhere (bool, int, float,
// double elements, vectors and quaternions of floats, or no storage at all).
#include <cstdlib>
#include <strings.h>

#include <vector>

#include "base/console.h"
#include "base/cvar.h"
#include "base/parsenumber.h"
#include "cvar/badvalue.h"

CVarw::CVarw(bool* d, char const* n, CVarFunc h, int c)
    : CVarPrim(n, nullptr, h), data(d), type(Bool), count(c) {}
CVarw::CVarw(int* d, char const* n, CVarFunc h, int c)
    : CVarPrim(n, nullptr, h), data(d), type(Int), count(c) {}
CVarw::CVarw(float* d, char const* n, CVarFunc h, int c)
    : CVarPrim(n, nullptr, h), data(d), type(Float), count(c) {}
CVarw::CVarw(double* d, char const* n, CVarFunc h, int c)
    : CVarPrim(n, nullptr, h), data(d), type(Double), count(c) {}
CVarw::CVarw(_vec<3, float>* d, char const* n, CVarFunc h)
    : CVarPrim(n, nullptr, h), data(d ? d->ptr() : nullptr), type(Float), count(3) {}
CVarw::CVarw(_vec<4, float>* d, char const* n, CVarFunc h)
    : CVarPrim(n, nullptr, h), data(d ? d->ptr() : nullptr), type(Float), count(4) {}
CVarw::CVarw(_quat<float>* d, char const* n, CVarFunc h)
    : CVarPrim(n, nullptr, h), data(d ? &d->x : nullptr), type(Float), count(4) {}
CVarw::CVarw(int, char const* n, CVarFunc h, int c)
    : CVarPrim(n, nullptr, h), data(nullptr), type(None), count(c) {}

// Every value of the line is read before any is stored, so that one bad value
// refuses the whole line: a vector is never left half updated. So do more
// values than the variable holds (fewer set the first elements).
void CVarw::setValue(int argc, char** argv) {
  if (!data || type < Bool || type > Double) return;
  if (refuseExtraValues(name, argc, argv, count)) return;
  int const n = count < argc - 1 ? count : argc - 1;
  if (n <= 0) return;
  std::vector<double> values(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    char const* token = argv[i + 1];
    NumberParse result = NumberParse::Ok;
    char const* typeName = "a double";
    if (type == Bool) {
      // "true" in any case, or a leading non-zero integer (strtol saturates).
      values[i] = strcasecmp(token, "true") == 0 || std::strtol(token, nullptr, 10) != 0;
    } else if (type == Int) {
      int v = 0;
      result = parseNumber(token, v);
      typeName = "an int";
      values[i] = v;
    } else if (type == Float) {
      float v = 0;
      result = parseNumber(token, v);
      typeName = "a float";
      values[i] = static_cast<double>(v);
    } else {
      result = parseNumber(token, values[i]);
    }
    if (result != NumberParse::Ok) {
      reportBadValue(name, token, result, typeName);
      return;
    }
  }
  for (int i = 0; i < n; ++i) {
    switch (type) {
      case Bool:
        static_cast<bool*>(data)[i] = values[i] != 0;
        break;
      case Int:
        static_cast<int*>(data)[i] = static_cast<int>(values[i]);
        break;
      case Float:
        static_cast<float*>(data)[i] = static_cast<float>(values[i]);
        break;
      default:
        static_cast<double*>(data)[i] = values[i];
        break;
    }
  }
}

void CVarw::echoData() {
  if (type == None) return;
  con.print("%s :=", name);
  for (int i = 0; i < count; ++i) {
    switch (type) {
      case Bool:
        con.print("%s", static_cast<bool*>(data)[i] ? " true" : " false");
        break;
      case Int:
        con.print(" %d", static_cast<int*>(data)[i]);
        break;
      case Float:
        con.print(" %f", static_cast<double>(static_cast<float*>(data)[i]));
        break;
      case Double:
        con.print(" %f", static_cast<double*>(data)[i]);
        break;
      default:
        break;
    }
  }
  con.addString("\n");
}
