// The console's commands: "Console" (grid, animation and idle settings),
// "ConsoleFont" (replace the glyph sheet) and "log" (log file on or off).
#include <cstdlib>
#include <strings.h>

#include <GL/gl.h>

#include "base/console.h"

void Console::setInfo(int argc, char** argv) {
  if (argc > 2) {
    char const* setting = argv[1];
    char const* value = argv[2];
    if (strcasecmp(setting, "width") == 0)
      width = atoi(value);
    else if (strcasecmp(setting, "height") == 0)
      height = atoi(value);
    else if (strcasecmp(setting, "droptime") == 0)
      dropTime = atof(value);
    else if (strcasecmp(setting, "droptype") == 0)
      dropType = atoi(value);
    else if (strcasecmp(setting, "idlevis") == 0)
      idleVisible = atoi(value) != 0;
    else if (strcasecmp(setting, "idledrop") == 0)
      idleDrop = atoi(value);
  }
  print("  Width:   %d\n", width);
  print("  Height:  %d\n", height);
  print("  DropTime:%f\n", dropTime);
  print("  DropType:%d\n", dropType);
  print("  IdleVis: %s\n", idleVisible ? "true" : "false");
  print("  IdleDrop:%d\n", idleDrop);
}

void cfuncConSetInfo(int argc, char** argv) { con.setInfo(argc, argv); }

void cfuncConsoleFont(int argc, char** argv) {
  if (argc < 2) return;
  Texture loaded;
  if (!loaded.load2D(argv[1])) return;
  con.font.unload();
  con.font = loaded;
  // Loading leaves the texture bound; the console enables its target itself
  // when it draws.
  glDisable(static_cast<GLenum>(con.font.target));
}

void CFunc_consoleLogging(int argc, char** argv) {
  if (argc > 1) {
    consoleFilename = argv[1];
    con.addString("changing console filename to ");
    con.addString(consoleFilename.c_str());
    con.addString("\n");
  }
  consoleLogger.Enable(!consoleLogger.enabled);
}
