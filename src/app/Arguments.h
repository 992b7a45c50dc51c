// The bench's command-line options: --exec lines, --frames, --data, --size and --help.
#pragma once

#include <string>
#include <vector>

struct Arguments {
  std::vector<std::string> exec;  // console lines to run in order
  long frames = 0;                // quit after this many frames (0: never)
  bool hasData = false;           // --data was given
  std::string data;               // its folder
  int width = 800, height = 600;  // --size: the window's size in pixels
};

// Reads the program's recorded arguments (sys.getArg). --help prints the usage
// and exits; a bad option throws an Exception naming it.
Arguments parseArguments();
