// The SDL side of the backend, private to its sources: SDL's headers, the
// public SDLSystem declaration and the scancode table.
#pragma once

#include <SDL.h>

#include "sdlsystem/sdlsystem.h"

// The engine key code of every SDL scancode (0 for keys the engine lacks).
extern Key::Key_t keyForScancode[SDL_NUM_SCANCODES];
