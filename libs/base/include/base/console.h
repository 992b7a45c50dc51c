// Console: the in-window text overlay with its one-line command input, history,
// text buffer and keyboard capture; the global console `con` every module prints to.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "base/consolelogger.h"
#include "base/cvar.h"
#include "base/texture.h"
#include "system/mutex.h"

class PKeyboardHandler;

class Console {
public:
  static constexpr int inputSize = 256;      // input line, zero terminator included
  static constexpr int textSize = 8192;      // text buffer, zero terminator included
  static constexpr int historySize = 32;     // lines kept, newest first

  Console();
  ~Console();

  // Sets the grid size, parks a copy of the keyboard, initialises the lock,
  // loads the font and installs the registry's interpreter. Needs the GL context.
  void init(int width, int height);
  // Unloads the font texture; must run while the GL context exists.
  void shutdown();

  // Copies text to standard output and the log, then appends it to the text
  // buffer, which keeps the most recent 8191 characters. Null is ignored.
  void addString(char const* text);
  // printf-style; results longer than 1023 characters are cut.
  void print(char const* format, ...) __attribute__((format(printf, 2, 3)));

  // One key press: the backquote opens and closes the console; while it is
  // open, keys edit the input line. True when the key was consumed.
  bool keyDown(int key);
  // Before the frame: feeds this frame's key presses to keyDown and, while the
  // console is open, hides the keyboard from the rest of the frame.
  void preUpdate();
  // After the frame: gives the hidden keyboard state back.
  void postUpdate();
  // Draws the input line and the text rows over the scene (nothing when closed
  // unless idle-visible).
  void display();
  // Draws count glyphs of text on the current row, one cell each.
  void displayLine(char* text, int count);
  // The "Console" command: "Console <setting> <value>", then the settings.
  void setInfo(int argc, char** argv);

  void toggle() { visible = !visible; }
  void setIdleVisible(bool on) { idleVisible = on; }
  void clearInput();
  void setInterpreter(ConsoleInterpreter* i) { interpreter = i; }
  // Backspace (8) removes the last character; others are appended while the
  // line has room. The first character refused for want of room gets one
  // console line saying so.
  void addToInput(char c);

  bool isVisible() const { return visible; }
  bool isIdleVisible() const { return idleVisible; }
  char const* getText() const { return text; }
  char const* getInput() const { return input; }
  int getInputLength() const { return inputLength; }
  int getHistoryCount() const { return static_cast<int>(history.size()); }
  // Entry 0 is the newest line.
  char const* getHistory(int i) const { return history[static_cast<size_t>(i)].c_str(); }
  int getHistoryCursor() const { return historyCursor; }
  int getWidth() const { return width; }
  int getHeight() const { return height; }
  int getIdleDrop() const { return idleDrop; }
  double getDropTime() const { return dropTime; }
  int getDropType() const { return dropType; }
  int getDropStyle() const { return dropStyle; }
  float getDropProgress() const { return dropProgress; }

  // Replaces the glyph sheet with the picture in `filename`. A file that does
  // not load leaves the sheet as it was: false, with the reason in `error`.
  bool replaceFont(char const* filename, std::string& error);
  // Counts the changes of the glyph sheet (start-up, shut-down, replacements).
  // Whoever draws with the sheet's texture compares it with the count it last
  // saw, since a replaced sheet's texture is deleted.
  unsigned fontRevision() const { return fontChanges; }

  // The glyph sheet; the GUI toolkit draws its own text with it too.
  Texture font;

private:
  void appendText(char const* text);
  bool loadFont();

  int historyCursor;
  int inputLength;
  bool inputFullTold;  // the full line was reported since it last had room
  std::vector<std::string> history;
  char input[inputSize];
  char text[textSize];
  PKeyboardHandler* keyStash;
  bool stashActive;
  ConsoleInterpreter* interpreter;
  unsigned fontChanges;
  Mutex lock;
  // Set once init() has initialised the lock; text added earlier (static
  // construction, tests without init) is added without locking.
  bool lockReady;
  bool visible;
  bool idleVisible;
  int width;
  int height;
  int idleDrop;
  double dropTime;
  int dropType;
  int dropStyle;
  double dropStart;
  float dropProgress;
};

extern Console con;

// Stream output: any streamable value is formatted with a default output string
// stream and added as text.
template <class T>
Console& operator<<(Console& c, T const& v) {
  std::ostringstream os;
  os << v;
  c.addString(os.str().c_str());
  return c;
}
inline Console& operator<<(Console& c, std::string const& s) {
  c.addString(s.c_str());
  return c;
}
// C strings are added as they are; a null one adds nothing.
inline Console& operator<<(Console& c, char const* s) {
  c.addString(s);
  return c;
}
inline Console& operator<<(Console& c, char* s) {
  c.addString(s);
  return c;
}
inline Console& operator<<(Console& c, _cvar<float> const& v) {
  return c << static_cast<double>(static_cast<float>(v));
}
inline Console& operator<<(Console& c, _cvar<int> const& v) {
  return c << static_cast<int>(v);
}

// The console's commands.
void cfuncConSetInfo(int argc, char** argv);
void cfuncConsoleFont(int argc, char** argv);
void CFunc_consoleLogging(int argc, char** argv);
