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
  // On (when no file is open): opens consoleFilename for appending, creating
  // it when missing, and writes a line that marks the new session; what the
  // file held before is kept. Only a regular file or a new name is opened, and
  // without blocking. Off: closes the file. False, with `error` naming the
  // file and the reason, when the file cannot be opened; logging stays off.
  bool Enable(bool on, std::string& error);
  // The same, for callers that need no reason.
  void Enable(bool on) {
    std::string ignored;
    Enable(on, ignored);
  }

  bool isEnabled() const { return enabled != 0; }

  int enabled;
  FILE* file;
};

extern ConsoleLogger consoleLogger;
// Name of the log file, "console.txt" unless the "log" command changed it.
extern std::string consoleFilename;
