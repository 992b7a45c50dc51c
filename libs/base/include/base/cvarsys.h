// CVarSys: the registry of console variables and commands, its line tokeniser
// and dispatcher, and the interpreter that hands console lines to it.
#pragma once

#include <string>
#include <vector>

#include "base/singleton.h"

class CVar;

class CVarSys {
public:
  // Longest token the tokeniser collects before it starts a new one (quote
  // characters not counted), and the most tokens a line yields.
  static constexpr int maxTokenLength = 256;
  static constexpr int maxTokens = 16;

  // Registers every listed object (every CVar constructed so far, statics
  // included), in construction order; from then on a new object registers as
  // it is constructed. A second call does nothing until shutdown().
  void init();
  // Forgets every registered object (the objects themselves are static); a
  // later init() registers the listed ones again.
  void shutdown();

  // Registers v at the end of the list, unless its name is taken: then the
  // message "cvarAddNew: found two cvars with name <name>" goes to the console
  // and the first object keeps the name.
  void addNew(CVar* v);
  // Takes v out of the registered objects, if it is one of them.
  void remove(CVar* v);

  // Every CVar constructor: links v at the end of the list of objects, and
  // registers it when the registry runs already. The list's head is constant-
  // initialised, so this works from any static constructor.
  static void enlist(CVar* v);
  // Every CVar destructor: takes v off the list and out of the registry.
  static void delist(CVar* v);
  // The object registered under exactly this name (case-sensitive), or null.
  CVar* matchString(char const* name) const;

  // Cuts a line into tokens: a space outside double quotes separates tokens
  // (two spaces give an empty token between them), quote characters toggle
  // quoting and stay in the token, at most maxTokens tokens are kept. True
  // when the tokens are the whole line: false when text was dropped after the
  // last token kept, or a run reached maxTokenLength characters and was cut.
  static bool parseArgs(char const* line, std::vector<std::string>& out);
  // The same, saying in `why` what kept the line from being taken whole.
  static bool parseArgs(char const* line, std::vector<std::string>& out, std::string& why);
  // Runs one tokenised line: the object named by the first token gets all
  // tokens; an unknown name prints "unknown cvar "<name>"".
  void executeArgs(std::vector<std::string> const& args);
  // parseArgs, then executeArgs. A line that parseArgs cannot take whole is
  // not run: one console line says why ("<first word>: the line was not run:
  // it has more than 16 words ..." or "... a word of it is longer than 255
  // characters").
  void exec(char const* line);

  // The registered objects, in registration order.
  int size() const { return static_cast<int>(cvars.size()); }
  CVar* at(int i) const { return cvars[static_cast<size_t>(i)]; }

private:
  std::vector<CVar*> cvars;
  bool running = false;  // init() ran and shutdown() has not since
};

// The registry's holder: constant-initialised; the registry itself is created
// by the first validate().
extern Singleton<CVarSys> cvarSys;

// Validates the holder and returns the registry.
CVarSys* cvarRegistry();

// Whatever executes a console line.
class ConsoleInterpreter {
public:
  virtual ~ConsoleInterpreter() {}
  virtual void exec(char const* line) = 0;
};

// Hands console lines to the registry.
class CVarInterpreter : public ConsoleInterpreter {
public:
  void exec(char const* line) override;
};

extern CVarInterpreter cvarInterpreter;

// Whether name matches pattern: bytes compare exactly and '*' is the only
// special character; an empty pattern matches every name. The bytes before
// the first '*' must begin the name; each later literal run is looked for from
// where the previous run was found (so runs may overlap: "*a*a" matches "ab"),
// and a pattern ending in a literal run matches once that run is found.
bool cvarMatchPattern(char const* pattern, char const* name);

// The registry's own commands: "echo" prints its arguments separated by single
// spaces; "listcmds [pattern]" prints every registered name that matches.
void CFunc_echo(int argc, char** argv);
void CFunc_ListCmds(int argc, char** argv);
