// ConsoleLogger: the console's log file, opened empty and then appended to.
#include "base/consolelogger.h"

ConsoleLogger consoleLogger;
std::string consoleFilename = "console.txt";

void ConsoleLogger::addString(char const* text) {
  if (file && text) std::fputs(text, file);
}

void ConsoleLogger::Enable(bool on) {
  if (on) {
    if (!file) {
      // "w" empties the file; the log then appends to it.
      FILE* f = std::fopen(consoleFilename.c_str(), "w");
      if (f) {
        std::fclose(f);
        file = std::fopen(consoleFilename.c_str(), "a");
      }
    }
    enabled = file != nullptr;
  } else {
    if (file) std::fclose(file);
    file = nullptr;
    enabled = 0;
  }
}
