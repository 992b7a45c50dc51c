// CVarSys: the list of objects, registration, name lookup, the line tokeniser
// and dispatch; also defines the registry's holder and its two commands.
#include <algorithm>
#include <cstring>

#include "base/console.h"
#include "base/cvar.h"

Singleton<CVarSys> cvarSys;

namespace {
// Every live CVar in construction order, linked through CVar::nextListed.
// Both pointers are constant-initialised, so a constructor in any translation
// unit finds the list ready.
CVar* listHead = nullptr;
CVar** listTail = &listHead;
}  // namespace

// Defined here so that every program that registers anything also links them.
CVar cvar_listcmds("listcmds", CFunc_ListCmds);
CVar cvar_echo("echo", CFunc_echo);

CVarSys* cvarRegistry() {
  cvarSys.validate();
  return cvarSys.instance;
}

void CVarSys::init() {
  if (running) return;
  running = true;
  for (CVar* v = listHead; v; v = v->nextListed) addNew(v);
}

void CVarSys::shutdown() {
  cvars.clear();
  running = false;
}

void CVarSys::enlist(CVar* v) {
  v->nextListed = nullptr;
  *listTail = v;
  listTail = &v->nextListed;
  if (cvarSys.instance && cvarSys.instance->running) cvarSys->addNew(v);
}

void CVarSys::delist(CVar* v) {
  for (CVar** link = &listHead; *link; link = &(*link)->nextListed) {
    if (*link != v) continue;
    *link = v->nextListed;
    if (listTail == &v->nextListed) listTail = link;
    break;
  }
  if (cvarSys.instance) cvarSys->remove(v);
}

void CVarSys::remove(CVar* v) { cvars.erase(std::remove(cvars.begin(), cvars.end(), v), cvars.end()); }

void CVarSys::addNew(CVar* v) {
  if (!v || !v->name) return;
  if (matchString(v->name)) {
    con.print("cvarAddNew: found two cvars with name %s\n", v->name);
    return;
  }
  cvars.push_back(v);
}

CVar* CVarSys::matchString(char const* name) const {
  if (!name) return nullptr;
  for (CVar* v : cvars)
    if (std::strcmp(v->name, name) == 0) return v;
  return nullptr;
}

bool CVarSys::parseArgs(char const* line, std::vector<std::string>& out) {
  std::string why;
  return parseArgs(line, out, why);
}

bool CVarSys::parseArgs(char const* line, std::vector<std::string>& out, std::string& why) {
  out.clear();
  why.clear();
  if (!line) line = "";
  std::string token;
  int length = 0;  // characters in token, quote characters not counted
  bool quoted = false;
  for (char const* p = line;; ++p) {
    char c = *p;
    if (c == '\0') {
      out.push_back(token);
      return why.empty();
    }
    bool closed = false;
    if (c == ' ' && !quoted) {
      closed = true;
    } else {
      token += c;
      if (c == '"') {
        quoted = !quoted;
      } else if (++length >= maxTokenLength) {
        closed = true;  // an over-long run is cut; what follows starts a new token
        why = "a word of it is longer than " + std::to_string(maxTokenLength - 1) + " characters";
      }
    }
    if (closed) {
      out.push_back(token);
      token.clear();
      length = 0;
      if (static_cast<int>(out.size()) >= maxTokens) {
        if (why.empty() && p[1] != '\0')
          why = "it has more than " + std::to_string(maxTokens) + " words (quoted text counts as one)";
        return why.empty();
      }
    }
  }
}

void CVarSys::executeArgs(std::vector<std::string> const& args) {
  if (args.empty()) return;
  // Private, writable copies: handlers get char** and may keep nothing.
  std::vector<std::string> tokens(args);
  std::vector<char*> argv;
  argv.reserve(tokens.size());
  for (std::string& t : tokens) argv.push_back(&t[0]);

  CVar* v = matchString(argv[0]);
  if (!v) {
    con.addString("unknown cvar \"");
    con.addString(argv[0]);
    con.addString("\"");
    con.addString("\n");
    return;
  }
  v->execArgs(static_cast<int>(argv.size()), argv.data());
}

void CVarSys::exec(char const* line) {
  std::vector<std::string> args;
  std::string why;
  if (!parseArgs(line, args, why)) {
    // Running what is left would act on another line than the one given.
    con.print("%s: the line was not run: %s\n", args[0].c_str(), why.c_str());
    return;
  }
  executeArgs(args);
}
