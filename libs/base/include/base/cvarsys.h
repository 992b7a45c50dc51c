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

  // Does nothing: the registry is complete before main runs.
  void init();
  // Forgets every registered object (the objects themselves are static).
  void shutdown();

  // Registers v at the end of the list, unless its name is taken: then the
  // message "cvarAddNew: found two cvars with name <name>" goes to the console
  // and the first object keeps the name.
  void addNew(CVar* v);
  // The object registered under exactly this name (case-sensitive), or null.
  CVar* matchString(char const* name) const;

  // Cuts a line into tokens: a space outside double quotes separates tokens
  // (two spaces give an empty token between them), quote characters toggle
  // quoting and stay in the token, at most maxTokens tokens are kept.
  static void parseArgs(char const* line, std::vector<std::string>& out);
  // Runs one tokenised line: the object named by the first token gets all
  // tokens; an unknown name prints "unknown cvar "<name>"".
  void executeArgs(std::vector<std::string> const& args);
  // parseArgs, then executeArgs.
  void exec(char const* line);

  // The registered objects, in registration order.
  int size() const { return static_cast<int>(cvars.size()); }
  CVar* at(int i) const { return cvars[static_cast<size_t>(i)]; }

private:
  std::vector<CVar*> cvars;
};

// The registry's holder: in zero-filled static storage, created by the first
// validate(), so static constructors in any translation unit may register.
extern Singleton<CVarSys> cvarSys;

// Validates the holder and returns the registry; usable from any static
// constructor.
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

// Whether name matches pattern: bytes compare exactly, '*' matches any run of
// characters; an empty pattern matches every name.
bool cvarMatchPattern(char const* pattern, char const* name);

// The registry's own commands: "echo" prints its arguments separated by single
// spaces; "listcmds [pattern]" prints every registered name that matches.
void CFunc_echo(int argc, char** argv);
void CFunc_ListCmds(int argc, char** argv);
