// The backend's implementation objects, their binding to the front objects, and
// the GL entry-point lookup.
#include "sdlbackend.h"

#include "system/glext.h"

SDLSystem sdlSys;
KeyboardHandler sdlKbd;
MouseHandler sdlMouse;
Display sdlDisp;
LinuxHiResTimer sdlTimer;

void sdlBindSingletons() {
  sys.setImp(&sdlSys);
  kbd.setImp(&sdlKbd);
  mouse.setImp(&sdlMouse);
  disp.setImp(&sdlDisp);
  timer.setImp(&sdlTimer);
}

void* sysGLGetProcAddress(char const* name) {
  if (!name) return nullptr;
  return SDL_GL_GetProcAddress(name);
}
