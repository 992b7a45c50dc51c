// ConsoleLogger: the console's log file, appended to session after session.
#include "base/consolelogger.h"

#include <sys/stat.h>

#include <ctime>

#include "base/regularfile.h"

ConsoleLogger consoleLogger;
std::string consoleFilename = "console.txt";

void ConsoleLogger::addString(char const* text) {
  if (file && text) std::fputs(text, file);
}

bool ConsoleLogger::Enable(bool on, std::string& error) {
  if (on) {
    if (!file) {
      file = openRegularFileForAppend(consoleFilename.c_str(), error);
      if (file) {
        // After earlier sessions the marker follows an empty line, so it starts
        // a line of its own even when the last text had no line end.
        struct stat st;
        bool const earlier = fstat(fileno(file), &st) == 0 && st.st_size > 0;
        char when[64] = "";
        std::time_t now = std::time(nullptr);
        if (std::tm const* local = std::localtime(&now)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", local);
        std::fprintf(file, "%s==== console log opened %s ====\n", earlier ? "\n" : "", when);
      }
    }
    enabled = file != nullptr;
  } else {
    if (file) std::fclose(file);
    file = nullptr;
    enabled = 0;
  }
  return !on || file != nullptr;
}
