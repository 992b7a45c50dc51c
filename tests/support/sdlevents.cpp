// Pushing SDL events for tests.
#include "testsupport/sdlevents.h"

#include <gtest/gtest.h>

#include "sdlsystem/sdlsystem.h"

namespace testevents {

namespace {
void push(SDL_Event& ev) { EXPECT_EQ(SDL_PushEvent(&ev), 1) << SDL_GetError(); }
}  // namespace

void key(Uint32 type, SDL_Scancode sc, bool repeat) {
  SDL_Event ev{type};  // the type, shared by every member of the union
  ev.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  ev.key.repeat = repeat ? 1 : 0;
  ev.key.keysym.scancode = sc;
  push(ev);
}

void button(Uint32 type, Uint8 which, int x, int y) {
  SDL_Event ev{type};
  ev.button.button = which;
  ev.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  ev.button.x = x;
  ev.button.y = y;
  push(ev);
}

void motion(int x, int y, Uint32 state) {
  SDL_Event ev{SDL_MOUSEMOTION};
  ev.motion.x = x;
  ev.motion.y = y;
  ev.motion.state = state;
  push(ev);
}

void wheel(int y, bool flipped) {
  SDL_Event ev{SDL_MOUSEWHEEL};
  ev.wheel.y = y;
  ev.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
  push(ev);
}

void window(Uint8 event) {
  SDL_Event ev{SDL_WINDOWEVENT};
  ev.window.event = event;
  push(ev);
}

void drain() {
  SDL_PumpEvents();
  while (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) sdlSys.pass();
  sdlSys.pass();
}

}  // namespace testevents
