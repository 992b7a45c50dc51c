// A module program: with the argument "fail" its init() throws an Exception once the
// engine is up; otherwise it types the argument into the console as real key events
// and runs until that line ends it (a watchdog ends it with status 3 if nothing does).
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/basemodule.h"
#include "base/exception.h"
#include "system/system.h"

namespace {

struct LineModule : BaseModule {
  void init() override {
    sys.setInitSize(_vec<2, int>(160, 120));
    BaseModule::init();
    std::puts("module init");
    if (sys.getArg(1) == "fail") throw Exception() << "cannot load " << "missing.bmp";
  }
  void update() override {
    // The backquote opens the console; letters, digits and spaces by their key names.
    if (++frames == 1) {
      for (char c : "`" + sys.getArg(1) + "\n") {
        SDL_Event ev{};
        std::string const name = c == ' ' ? "Space" : c == '\n' ? "Return" : std::string(1, c);
        ev.key.keysym.scancode = SDL_GetScancodeFromName(name.c_str());
        for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) ev.type = type, SDL_PushEvent(&ev);
      }
    }
    if (frames > 2000) std::puts("watchdog: the line did not end the program"), std::fflush(stdout), std::_Exit(3);
  }
  void shutdown() override {
    std::puts("module shutdown");
    BaseModule::shutdown();
  }
  int frames = 0;
} lineModule;

}  // namespace

BaseModule* RegisterApplication() { return &lineModule; }
