// The engine frame's own console commands (quit, exit, error) and variables
// (frame-rate display and value, motion scaling by zoom).
#include "base/basecvars.h"
#include "base/exception.h"
#include "system/system.h"

_cvar<int> displayFPS("displayFPS");
_cvar<float> currentFPS("currentFPS");
_cvar<int> moveByZoom("moveByZoom");

static CVar cvarQuit("quit", CFunc_Quit);
static CVar cvarExit("exit", CFunc_Quit);
static CVar cvarError("error", CFunc_Error);

void CFunc_Quit(int, char**) { sys.requestExit(); }

void CFunc_Error(int argc, char** argv) {
  if (argc < 2) return;
  Error e;
  e << argv[1];
  throw e;
}
