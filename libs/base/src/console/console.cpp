// Console: the global console object, its start-up and shut-down, and the text
// buffer that every module prints to.
#include "base/console.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <GL/gl.h>

#include "system/keyboard.h"

Console con;

// The console's commands live with the console so that they are linked with it.
CVar cvar_Console("Console", cfuncConSetInfo);
CVar cvar_ConsoleFont("ConsoleFont", cfuncConsoleFont);
CVarw cvar_log(0, "log", CFunc_consoleLogging, 0);

Console::Console()
    : historyCursor(0),
      inputLength(0),
      inputFullTold(false),
      keyStash(nullptr),
      stashActive(false),
      interpreter(nullptr),
      fontChanges(0),
      lock(false),
      lockReady(false),
      visible(false),
      idleVisible(false),
      width(0),
      height(0),
      idleDrop(0),
      dropTime(0),
      dropType(0),
      dropStyle(0),
      dropStart(0),
      dropProgress(0) {
  std::memset(input, 0, sizeof input);
  std::memset(text, 0, sizeof text);
}

Console::~Console() {
  // Later destructors may still print: they then write without the lock.
  lockReady = false;
  delete keyStash;
  keyStash = nullptr;
  // The GL context is gone by now; shutdown() released the font while it existed.
  font.reset();
}

void Console::init(int w, int h) {
  width = w;
  height = h;
  dropType = -1;
  dropTime = 0.5;
  idleDrop = 4;
  idleVisible = false;
  stashActive = false;

  delete keyStash;
  keyStash = kbd.getImp() ? kbd.getImp()->clone() : nullptr;

  history.clear();
  clearInput();
  historyCursor = -1;

  if (!lockReady) {
    if (lock.init())
      lockReady = true;
    else
      std::fprintf(stderr, "console critical section failed to init!\n");
  }

  loadFont();
  ++fontChanges;
  if (font.target) glDisable(static_cast<GLenum>(font.target));

  interpreter = &cvarInterpreter;
}

void Console::shutdown() {
  font.unload();
  ++fontChanges;
}

void Console::addString(char const* s) {
  if (!s) return;
  if (lockReady) {
    MutexLock guard(&lock);
    appendText(s);
  } else {
    appendText(s);
  }
}

// The buffer is a window on the most recent output: when the new text does not
// fit, as much old text as the new text is long is dropped from the front (or
// all of it), and at most the last textSize - 1 characters of the new text are
// kept.
void Console::appendText(char const* s) {
  std::fputs(s, stdout);
  consoleLogger.addString(s);

  size_t added = std::strlen(s);
  if (added == 0) return;
  size_t const limit = textSize - 1;
  // A text longer than the whole buffer keeps only its most recent part.
  if (added > limit) {
    s += added - limit;
    added = limit;
  }
  size_t held = std::strlen(text);
  if (added + held > limit) {
    if (added < held) {
      std::memmove(text, text + added, held - added + 1);
      held -= added;
    } else {
      text[0] = '\0';
      held = 0;
    }
  }
  std::memcpy(text + held, s, added);
  text[held + added] = '\0';
}

void Console::print(char const* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  addString(buffer);
}
