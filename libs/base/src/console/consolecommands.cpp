// The console's commands: "Console" (grid, animation and idle settings),
// "ConsoleFont" (replace the glyph sheet, through Console::replaceFont) and
// "log" (log file on or off).
#include <strings.h>

#include <GL/gl.h>

#include <string>

#include "base/console.h"
#include "base/image.h"
#include "base/imagesystem.h"
#include "base/parsenumber.h"

void Console::setInfo(int argc, char** argv) {
  if (argc > 2) {
    char const* setting = argv[1];
    char const* value = argv[2];
    int* whole = strcasecmp(setting, "width") == 0      ? &width
                 : strcasecmp(setting, "height") == 0   ? &height
                 : strcasecmp(setting, "droptype") == 0 ? &dropType
                 : strcasecmp(setting, "idledrop") == 0 ? &idleDrop
                                                        : nullptr;
    int number = 0;
    NumberParse result = NumberParse::Ok;
    char const* typeName = "an int";
    if (whole) {
      result = parseNumber(value, *whole);
    } else if (strcasecmp(setting, "idlevis") == 0) {
      if ((result = parseNumber(value, number)) == NumberParse::Ok) idleVisible = number != 0;
    } else if (strcasecmp(setting, "droptime") == 0) {
      result = parseNumber(value, dropTime);
      typeName = "a double";
    }
    if (result != NumberParse::Ok)
      print("%s: \"%s\" %s; the value stays as it was\n", setting, value, numberParseReason(result, typeName).c_str());
  }
  print("  Width:   %d\n", width);
  print("  Height:  %d\n", height);
  print("  DropTime:%f\n", dropTime);
  print("  DropType:%d\n", dropType);
  print("  IdleVis: %s\n", idleVisible ? "true" : "false");
  print("  IdleDrop:%d\n", idleDrop);
}

void cfuncConSetInfo(int argc, char** argv) { con.setInfo(argc, argv); }

bool Console::replaceFont(char const* filename, std::string& error) {
  ImagePtr const img(ImageSystem::load(filename, error));
  if (!img) return false;
  Texture loaded;
  if (!loaded.loadImage(*img)) {
    loaded.unload();
    error = std::string(filename) + ": the GL refused its " + std::to_string(img->width) + "x" +
            std::to_string(img->height) + " " + std::to_string(img->bitsPerPixel) + "-bit picture";
    return false;
  }
  font.unload();
  font = loaded;
  ++fontChanges;
  // Loading leaves the texture bound; the console enables its target itself
  // when it draws.
  glDisable(static_cast<GLenum>(font.target));
  return true;
}

void cfuncConsoleFont(int argc, char** argv) {
  if (argc < 2) {
    con << "usage: ConsoleFont FILE, a picture of 16 x 16 glyph cells; the font stays as it was\n";
    return;
  }
  std::string error;
  if (!con.replaceFont(argv[1], error)) {
    std::string const why = error.find(argv[1]) != std::string::npos ? error : std::string(argv[1]) + ": " + error;
    con << "ConsoleFont: cannot load " << why << "; the font stays as it was\n";
  }
}

// "log" switches logging over and then says where it stands. "log NAME" while
// logging is off opens NAME; while it is on, the file is closed and NAME is
// the file for the next "log". A file that cannot be opened changes nothing.
void CFunc_consoleLogging(int argc, char** argv) {
  std::string error;
  if (consoleLogger.enabled) {
    if (argc > 1) {
      con << "changing console filename to " << argv[1] << "\n";  // still in the old file
      consoleFilename = argv[1];
    }
    consoleLogger.Enable(false);
  } else {
    std::string const previous = consoleFilename;
    if (argc > 1) consoleFilename = argv[1];
    if (!consoleLogger.Enable(true, error)) {
      consoleFilename = previous;
      con << "log: cannot open " << error << "; logging stays off\n";
      return;
    }
    if (argc > 1) con << "changing console filename to " << consoleFilename << "\n";
  }
  if (consoleLogger.enabled)
    con << "logging is on, to " << consoleFilename << "\n";
  else
    con << "logging is off; the log file is " << consoleFilename << "\n";
}
