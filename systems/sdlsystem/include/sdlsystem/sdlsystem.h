// SDLSystem: the desktop backend on SDL2. It owns the window, the GL context and
// the event loop, and feeds window events into the keyboard, mouse and display.
// SDL's own headers stay in the backend's sources (sdlbackend.h): this header
// names SDL's window and event only as opaque types.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "math/vec.h"
#include "system/display.h"
#include "system/keyboard.h"
#include "system/mouse.h"
#include "system/system.h"
#include "system/timer.h"

struct SDL_Window;
union SDL_Event;

class SDLSystem : public PSystem {
public:
  SDLSystem();
  ~SDLSystem();

  void init() override;
  void shutdown() override;
  void loop(void (*frame)()) override;
  void requestExit() override;
  bool isCatchingUp() const override { return catchingUp; }
  void setInitDoubleBuffered(bool doubleBuffered) override;
  void setInitPos(_vec<2, int> const& pos) override;
  void setInitSize(_vec<2, int> const& size) override;
  std::string getArg(int i) const override;
  int getArgCount() const override;

  // Back to the state after construction; does not touch a live window.
  void reset();

  // Records one program argument; the entry point adds them in order.
  void addArg(std::string const& arg);

  // One pass of the loop: dispatches at most one pending event without
  // waiting, then runs one frame. Returns false once an exit was requested.
  // loop() is this until exit; tests use it to step a bounded number of frames.
  bool pass();
  // Sets the frame function without entering the loop (for stepping with pass()).
  void setLoopFunc(void (*frame)()) { loopFunc = frame; }

  // Routes one window-system event into the keyboard, mouse and display.
  void dispatch(SDL_Event const& ev);
  // Whether dispatch() would change anything for `ev`: false for key repeats
  // and for the event kinds and window events that it ignores.
  static bool changesState(SDL_Event const& ev);

  // The per-frame parts of a pass.
  void preUpdate();   // display, mouse, keyboard updates, in that order
  void postUpdate();  // keyboard post-update, then present the frame
  void doLoop();      // preUpdate, the frame function, postUpdate

  bool isExitRequested() const { return exitRequested; }
  SDL_Window* getWindow() const { return window; }

  std::vector<std::string> args;
  void (*loopFunc)();
  bool initDoubleBuffered;
  _vec<2, int> initPos;
  _vec<2, int> initSize;
  bool doubleBuffered;
  bool exitRequested;
  bool catchingUp;     // this pass has more key or button events waiting behind it
  SDL_Window* window;
  void* glContext;     // the SDL_GLContext
  int depthBits;       // depth buffer size actually obtained
  uint32_t buttonMask; // SDL button mask as of the last mouse event
  int pointer[2];      // the pointer position last reported, window pixels from the top left

private:
  void mouseEvent(int x, int y, bool hasPos);
  // Reports the pointer at (x, y), window pixels from the top left.
  void pointerAt(int x, int y);
  // The pointer left the window: it is reported two pixels outside the edge nearest
  // to where it was last seen, so that no viewport is under it and the step
  // there stays small. A position outside already (a drag) is kept.
  void pointerLeft();
};

// The backend's implementation objects, bound to the front objects by sdlBindSingletons().
extern SDLSystem sdlSys;
extern KeyboardHandler sdlKbd;
extern MouseHandler sdlMouse;
extern Display sdlDisp;
extern LinuxHiResTimer sdlTimer;

// Binds sys, kbd, mouse, disp and timer to the SDL backend's objects, in that order.
void sdlBindSingletons();
