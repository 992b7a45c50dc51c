// Console variables and commands: named static objects that enlist themselves
// with the registry (CVarSys), which registers them in its init().
#pragma once

#include "math/quat.h"
#include "math/vec.h"

// A command handler, or a variable's hook: argv[0] is the name that was typed,
// argv[1] .. argv[argc - 1] the arguments. The array has exactly argc entries
// (no terminating null) and the strings live only for the call.
typedef void (*CVarFunc)(int argc, char** argv);

// A named entry of the registry. Instances are static objects that live for the
// whole run. Every constructor links the object onto the registry's list of
// objects (which needs nothing constructed first, so static objects may be
// defined in any translation unit); the registry's init() registers the list
// in construction order, and an object made while the registry runs is
// registered at once. The destructor takes the object off the list and out of
// the registry. Names (and texts) are not copied: pass string literals.
class CVar {
public:
  explicit CVar(char const* name);
  CVar(char const* name, char const* text);
  CVar(char const* name, CVarFunc handler);
  CVar(char const* name, char const* text, CVarFunc handler);
  virtual ~CVar();
  CVar(CVar const&) = delete;
  CVar& operator=(CVar const&) = delete;

  // Runs the handler, if any, with the tokens of the line.
  virtual void execArgs(int argc, char** argv);

  char const* name;
  char const* text;
  CVarFunc handler;
  // The object constructed next (the registry's list of objects).
  CVar* nextListed;
};

// A variable: typing its name alone prints its value, typing it with values sets
// them, runs the hook and prints the new value.
class CVarPrim : public CVar {
public:
  using CVar::CVar;

  void execArgs(int argc, char** argv) override;
  virtual void setValue(int argc, char** argv);
  virtual void echoData();
};

// A variable over storage owned by someone else: count consecutive elements of
// one type starting at data. The int-first constructor makes the no-storage
// kind, a command routed through the variable path (only its hook acts).
// Numbers are read strictly (see parsenumber.h): one value that is not a finite
// number, or too large for the type, refuses the whole line with one line
// saying which, nothing stored; so do more values than count. Bools take
// "true" or a non-zero integer; other words are false.
class CVarw : public CVarPrim {
public:
  enum Type { None = 0, Bool = 1, Int = 2, Float = 3, Double = 4 };

  CVarw(bool* data, char const* name, CVarFunc handler, int count);
  CVarw(int* data, char const* name, CVarFunc handler, int count);
  CVarw(float* data, char const* name, CVarFunc handler, int count);
  CVarw(double* data, char const* name, CVarFunc handler, int count);
  CVarw(_vec<3, float>* data, char const* name, CVarFunc handler);
  CVarw(_vec<4, float>* data, char const* name, CVarFunc handler);
  CVarw(_quat<float>* data, char const* name, CVarFunc handler);
  // The first argument is ignored; nothing is stored.
  CVarw(int ignored, char const* name, CVarFunc handler, int count);

  void setValue(int argc, char** argv) override;
  void echoData() override;

  void* data;
  int type;
  int count;
};

// A variable that owns its value (instantiated for int and float).
template <class T>
class _cvar : public CVarPrim {
public:
  explicit _cvar(char const* name) : CVarPrim(name), value(0) {}

  void setValue(int argc, char** argv) override;
  void echoData() override;

  virtual T& operator=(T const& v) {
    value = v;
    return value;
  }
  virtual operator T() { return value; }
  virtual operator T const() const { return value; }

  T value;
};

// int: the first argument truncated towards zero; float: the first argument as
// a float. A value that is not a finite number, or one outside the type's
// range (see parsenumber.h), is refused with one line and the value kept, as
// is a line with more than one value. Echo prints "name := value".
template <> void _cvar<int>::setValue(int argc, char** argv);
template <> void _cvar<float>::setValue(int argc, char** argv);
template <> void _cvar<int>::echoData();
template <> void _cvar<float>::echoData();

extern template class _cvar<int>;
extern template class _cvar<float>;

// The registry, its interpreter and its two commands.
#include "base/cvarsys.h"
