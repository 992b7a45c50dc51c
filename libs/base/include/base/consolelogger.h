// ConsoleLogger: copies console text into the log file while logging is on.
#pragma once

#include <cstdio>
#include <string>

class ConsoleLogger {
public:
  ConsoleLogger() : enabled(0), file(nullptr) {}
  ~ConsoleLogger() { Enable(false); }
  ConsoleLogger(ConsoleLogger const&) = delete;
  ConsoleLogger& operator=(ConsoleLogger const&) = delete;

  // Writes the text's bytes when a file is open (no newline added, no flush).
  void addString(char const* text);
  // On: opens consoleFilename empty, then for appending (if no file is open).
  // Off: closes the file. A file that cannot be opened leaves logging off.
  void Enable(bool on);

  bool isEnabled() const { return enabled != 0; }

  int enabled;
  FILE* file;
};

extern ConsoleLogger consoleLogger;
// Name of the log file, "console.txt" unless the "log" command changed it.
extern std::string consoleFilename;
