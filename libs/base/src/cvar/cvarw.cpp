// CVarw: console variables over storage owned elsewhere (bool, int, float,
// double elements, vectors and quaternions of floats, or no storage at all).
#include <cstdlib>
#include <strings.h>

#include "base/console.h"
#include "base/cvar.h"
#include "cvar/narrow.h"

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

void CVarw::setValue(int argc, char** argv) {
  if (!data) return;
  for (int i = 0; i < count && i + 1 < argc; ++i) {
    char const* token = argv[i + 1];
    switch (type) {
      case Bool:
        static_cast<bool*>(data)[i] = strcasecmp(token, "true") == 0 || atoi(token) != 0;
        break;
      case Int:
        static_cast<int*>(data)[i] = atoi(token);
        break;
      case Float:
        static_cast<float*>(data)[i] = narrowToFloat(atof(token));
        break;
      case Double:
        static_cast<double*>(data)[i] = atof(token);
        break;
      default:
        return;
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
