// CVar and CVarPrim: self-registering named entries and the variable dispatch
// (set from the tokens, run the hook, echo the value).
#include "base/cvar.h"

namespace {
void registerCVar(CVar* v) { cvarRegistry()->addNew(v); }
}  // namespace

CVar::CVar(char const* name_) : name(name_), text(nullptr), handler(nullptr) {
  registerCVar(this);
}

CVar::CVar(char const* name_, char const* text_) : name(name_), text(text_), handler(nullptr) {
  registerCVar(this);
}

CVar::CVar(char const* name_, CVarFunc handler_) : name(name_), text(nullptr), handler(handler_) {
  registerCVar(this);
}

CVar::CVar(char const* name_, char const* text_, CVarFunc handler_)
    : name(name_), text(text_), handler(handler_) {
  registerCVar(this);
}

void CVar::execArgs(int argc, char** argv) {
  if (handler) handler(argc, argv);
}

void CVarPrim::execArgs(int argc, char** argv) {
  if (argc > 1) setValue(argc, argv);
  if (handler) handler(argc, argv);
  echoData();
}

void CVarPrim::setValue(int, char**) {}

void CVarPrim::echoData() {}
