// The bench's command-line options.
#include "Arguments.h"

#include <cstdio>
#include <cstdlib>

#include "base/exception.h"
#include "system/system.h"

namespace {

void printUsage(char const* program) {
  std::printf(
      "usage: %s [options]\n"
      "Runs the relief-shading test bench.\n"
      "  --exec LINE   run a console line after start-up (repeatable, run in order;\n"
      "                a long command such as profile finishes before the next line)\n"
      "  --frames N    quit after N frames, once every --exec line has finished\n"
      "  --data DIR    read the shaders, maps and font from DIR (default: the working\n"
      "                directory, then the data installed beside the program)\n"
      "  --size WxH    the window's size in pixels (default 800x600; 64x48 to 8192x8192),\n"
      "                which the measurements draw at\n"
      "  --help        show this text and exit\n",
      program);
}

}  // namespace

Arguments parseArguments() {
  Arguments out;
  int const n = sys.getArgCount();
  for (int i = 1; i < n; ++i) {
    std::string const arg = sys.getArg(i);
    bool const takesValue = arg == "--exec" || arg == "--frames" || arg == "--data" || arg == "--size";
    if (arg == "--help" || arg == "-h") {
      printUsage(sys.getArg(0).c_str());
      std::exit(0);
    } else if (takesValue && i + 1 >= n) {
      throw Exception() << arg << " needs a value (try --help)";
    } else if (arg == "--exec") {
      out.exec.push_back(sys.getArg(++i));
    } else if (arg == "--frames") {
      char* end = nullptr;
      std::string const value = sys.getArg(++i);
      long const frames = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || frames <= 0)
        throw Exception() << "--frames needs a positive number of frames, not \"" << value << "\"";
      out.frames = frames;
    } else if (arg == "--size") {
      std::string const value = sys.getArg(++i);
      int w = 0, h = 0;
      char tail = 0;
      if (std::sscanf(value.c_str(), "%dx%d%c", &w, &h, &tail) != 2 || w < 64 || h < 48 || w > 8192 || h > 8192)
        throw Exception() << "--size needs WIDTHxHEIGHT from 64x48 to 8192x8192, not \"" << value << "\"";
      out.width = w;
      out.height = h;
    } else if (arg == "--data") {
      out.hasData = true;
      out.data = sys.getArg(++i);
    } else {
      throw Exception() << "unknown option \"" << arg << "\" (try --help)";
    }
  }
  return out;
}
