// SDLSystem's lifecycle: window and GL context creation, the loop, presentation.
#include "sdlbackend.h"

#include <GL/gl.h>

#include <cstdio>

#include "math/assert.h"
#include "system/memory.h"

SDLSystem::SDLSystem() { reset(); }

SDLSystem::~SDLSystem() { shutdown(); }

void SDLSystem::reset() {
  args.clear();
  loopFunc = nullptr;
  initDoubleBuffered = true;
  initPos = _vec<2, int>(1024, 768) / 2 - _vec<2, int>(720, 480) / 2;
  initSize = _vec<2, int>(720, 480);
  doubleBuffered = true;
  exitRequested = false;
  catchingUp = false;
  window = nullptr;
  glContext = nullptr;
  depthBits = 0;
  buttonMask = 0;
  pointer[0] = pointer[1] = 0;
}

namespace {

// Opens the window and its context with the given depth buffer size; both stay
// null when the driver has no such visual.
bool tryCreate(SDLSystem& s, int depth, bool accelerated) {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, s.doubleBuffered ? 1 : 0);
  if (accelerated) SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);

  s.window = SDL_CreateWindow("Relief shading test bench", s.initPos.x, s.initPos.y, s.initSize.x,
                              s.initSize.y, SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN);
  if (!s.window) return false;
  s.glContext = SDL_GL_CreateContext(s.window);
  if (!s.glContext) {
    SDL_DestroyWindow(s.window);
    s.window = nullptr;
    return false;
  }
  // Some drivers hand out a smaller depth buffer than asked for instead of
  // failing; only accept what was asked for, so the fallbacks are taken in order.
  int got = 0;
  SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &got);
  if (got < depth) {
    SDL_GL_DeleteContext(s.glContext);
    SDL_DestroyWindow(s.window);
    s.glContext = nullptr;
    s.window = nullptr;
    return false;
  }
  s.depthBits = got;
  return true;
}

}  // namespace

void SDLSystem::init() {
  doubleBuffered = initDoubleBuffered;
  exitRequested = false;
  timer.init();
  memSystemInit();

  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "SDLSystem::init could not start the video system: %s\n", SDL_GetError());
  }

  // A 32-bit depth buffer first, then 24, then 16; an accelerated visual is
  // preferred, a software one (Mesa llvmpipe) accepted.
  static int const depths[] = {32, 24, 16};
  bool ok = false;
  for (int depth : depths) {
    if (tryCreate(*this, depth, true) || tryCreate(*this, depth, false)) {
      ok = true;
      break;
    }
  }
  bool const pf = ok;
  if (!pf) std::fprintf(stderr, "SDLSystem::init found no OpenGL visual: %s\n", SDL_GetError());
  ASSERT(pf);
  ASSERT(glContext);
  SDL_GL_MakeCurrent(window, glContext);
  // Text input events are not used: keys arrive as raw key events.
  SDL_StopTextInput();

  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(window, &w, &h);
  disp.resize(w, h);
}

void SDLSystem::shutdown() {
  if (glContext) SDL_GL_DeleteContext(glContext);
  if (window) SDL_DestroyWindow(window);
  bool const hadWindow = window != nullptr;
  glContext = nullptr;
  window = nullptr;
  if (hadWindow) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    memSystemShutdown();
  }
  // The arguments belong to the process, not to the window: keep them.
  std::vector<std::string> keep;
  keep.swap(args);
  reset();
  args.swap(keep);
}

void SDLSystem::loop(void (*frame)()) {
  loopFunc = frame;
  while (pass()) {
  }
}

bool SDLSystem::pass() {
  if (exitRequested) return false;
  // Pump, then take at most one event. (SDL_PollEvent is not used: it returns
  // nothing once in a while at its internal sentinel even with events pending.)
  // Keys and buttons stay one per pass, since their states count frames; but a
  // mouse moves far more often than frames are drawn, so a run of consecutive
  // motion events counts as one, the latest (whose button mask is current).
  // Events that change nothing (a held key's repeats, focus and exposure
  // changes) are dropped without using the pass. Otherwise motion, or a key
  // held while frames are slow, would queue up and delay every later key by
  // seconds.
  SDL_PumpEvents();
  SDL_Event ev;
  while (SDL_PeepEvents(&ev, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
    if (!changesState(ev)) continue;
    SDL_Event next;
    while (ev.type == SDL_MOUSEMOTION &&
           SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1 &&
           next.type == SDL_MOUSEMOTION)
      SDL_PeepEvents(&ev, 1, SDL_GETEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION);
    dispatch(ev);
    break;
  }
  // Keys and buttons still waiting make this a catch-up pass, which is run but
  // not shown. (With no event array, SDL counts the matching events.)
  catchingUp = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_KEYUP) > 0 ||
               SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP) > 0;
  doLoop();
  return !exitRequested;
}

void SDLSystem::requestExit() { exitRequested = true; }

void SDLSystem::setInitDoubleBuffered(bool b) { initDoubleBuffered = b; }
void SDLSystem::setInitPos(_vec<2, int> const& pos) { initPos = pos; }
void SDLSystem::setInitSize(_vec<2, int> const& size) { initSize = size; }

std::string SDLSystem::getArg(int i) const {
  if (i < 0 || i >= static_cast<int>(args.size())) return std::string();
  return args[static_cast<size_t>(i)];
}

int SDLSystem::getArgCount() const { return static_cast<int>(args.size()); }

void SDLSystem::addArg(std::string const& arg) { args.push_back(arg); }

void SDLSystem::preUpdate() {
  disp.update();
  mouse.update();
  kbd.preUpdate();
}

void SDLSystem::postUpdate() {
  kbd.postUpdate();
  if (!window || catchingUp) return;
  if (doubleBuffered)
    SDL_GL_SwapWindow(window);
  else
    glFlush();
}

void SDLSystem::doLoop() {
  preUpdate();
  if (loopFunc) loopFunc();
  postUpdate();
}
