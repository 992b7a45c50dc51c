// Pushing window-system events into SDL's queue the way a user's keys and
// mouse produce them, and running passes until the queue is empty.
#pragma once

#include <SDL2/SDL.h>

namespace testevents {

void key(Uint32 type, SDL_Scancode sc, bool repeat = false);
void button(Uint32 type, Uint8 button, int x, int y);
// Motion to (x, y) with the buttons of `state` (SDL_BUTTON_LMASK...) held.
void motion(int x, int y, Uint32 state);
void wheel(int y, bool flipped);
// A window event such as SDL_WINDOWEVENT_LEAVE.
void window(Uint8 event);
// Passes of the bound SDL system until every pushed event is handled, plus one.
void drain();

}  // namespace testevents
