// A program whose module types the line given as its first argument into the
// console, as real key events, and then lets the program run on until the line
// ends it. A watchdog ends the program with status 3 if nothing does.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/basemodule.h"
#include "system/system.h"

namespace {

void pushKey(SDL_Scancode sc) {
  SDL_Event ev{};
  ev.type = SDL_KEYDOWN;
  ev.key.state = SDL_PRESSED;
  ev.key.keysym.scancode = sc;
  SDL_PushEvent(&ev);
  ev.type = SDL_KEYUP;
  ev.key.state = SDL_RELEASED;
  SDL_PushEvent(&ev);
}

// The key that types c on a US keyboard (lower-case letters, digits, space).
SDL_Scancode scancodeOf(char c) {
  if (c >= 'a' && c <= 'z') return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (c - 'a'));
  if (c >= '1' && c <= '9') return static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (c - '1'));
  if (c == '0') return SDL_SCANCODE_0;
  if (c == ' ') return SDL_SCANCODE_SPACE;
  std::fprintf(stderr, "console_module: cannot type '%c'\n", c);
  std::exit(4);
}

class ConsoleModule : public BaseModule {
public:
  void init() override {
    sys.setInitSize(_vec<2, int>(160, 120));
    BaseModule::init();
    std::puts("module init");
  }
  void update() override {
    if (++frames == 1) {
      std::string line = sys.getArgCount() > 1 ? sys.getArg(1) : std::string();
      pushKey(SDL_SCANCODE_GRAVE);  // open the console
      for (char c : line) pushKey(scancodeOf(c));
      pushKey(SDL_SCANCODE_RETURN);
    }
    if (frames > 2000) {
      std::puts("watchdog: the line did not end the program");
      std::fflush(stdout);
      std::_Exit(3);
    }
  }
  void shutdown() override {
    std::printf("module shutdown after %d frames\n", frames);
    BaseModule::shutdown();
  }
  int frames = 0;
};

ConsoleModule consoleModule;

}  // namespace

BaseModule* RegisterApplication() { return &consoleModule; }
