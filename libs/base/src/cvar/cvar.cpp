// CVar and CVarPrim: self-enlisting named entries and the variable dispatch
// (set from the tokens, run the hook, echo the value).
#include "base/cvar.h"

CVar::CVar(char const* name_) : name(name_), text(nullptr), handler(nullptr), nextListed(nullptr) {
  CVarSys::enlist(this);
}

CVar::CVar(char const* name_, char const* text_)
    : name(name_), text(text_), handler(nullptr), nextListed(nullptr) {
  CVarSys::enlist(this);
}

CVar::CVar(char const* name_, CVarFunc handler_)
    : name(name_), text(nullptr), handler(handler_), nextListed(nullptr) {
  CVarSys::enlist(this);
}

CVar::CVar(char const* name_, char const* text_, CVarFunc handler_)
    : name(name_), text(text_), handler(handler_), nextListed(nullptr) {
  CVarSys::enlist(this);
}

CVar::~CVar() { CVarSys::delist(this); }

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
