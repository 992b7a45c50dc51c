// The program entry point: binds the SDL backend, records the arguments and runs
// the registered application module, reporting what ends it abnormally.
#include <cstdio>
#include <iostream>
#include <string>

#include "base/basemodule.h"
#include "base/exception.h"
#include "sdlsystem/sdlsystem.h"
#include "system/args.h"

int main(int argc, char** argv) {
  // Progress, console text and logs reach a pipe or file line by line, as they
  // would a terminal, so that whoever watches the output sees them as they happen.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  sdlBindSingletons();
  osxAdjustArguments(argc, argv);
  for (int i = 0; i < argc; ++i) sdlSys.addArg(std::string(argv[i]));

  try {
    InitBase();
  } catch (Exception const& e) {
    std::cout << "caught an exception: " << e << std::endl;
    return 1;
  } catch (Error const& e) {
    // A fatal error must not look like a normal end.
    std::cout.flush();
    std::cerr << "fatal error: " << e << std::endl;
    return 2;
  }
  return RegisterApplication()->exitStatus();
}
