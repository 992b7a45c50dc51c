// SDLSystem::dispatch: one window-system event into the keyboard, mouse and
// display, and the pointer's position as the fronts see it (outside the window
// once it left).
#include "sdlbackend.h"

#include <algorithm>

void SDLSystem::mouseEvent(int x, int y, bool hasPos) {
  mouse.setButtonPress(PMouseHandler::PRIMARY, (buttonMask & SDL_BUTTON_LMASK) != 0);
  mouse.setButtonPress(PMouseHandler::SECONDARY, (buttonMask & SDL_BUTTON_RMASK) != 0);
  mouse.setButtonPress(PMouseHandler::TERTIARY, (buttonMask & SDL_BUTTON_MMASK) != 0);
  // A click with the command (GUI) key held counts as a secondary click.
  if (kbd.getKeyState(Key::LMETA) || kbd.getKeyState(Key::RMETA)) {
    mouse.setButtonPress(PMouseHandler::PRIMARY, false);
    mouse.setButtonPress(PMouseHandler::SECONDARY, (buttonMask & SDL_BUTTON_LMASK) != 0);
  }
  // SDL positions are already relative to the drawable: no title-bar correction.
  if (hasPos) pointerAt(x, y);
}

void SDLSystem::pointerAt(int x, int y) {
  pointer[0] = x;
  pointer[1] = y;
  mouse.setCursorPos(x, y);
}

void SDLSystem::pointerLeft() {
  // The size the mouse handler flips positions by.
  int const w = disp.getSize().x, h = disp.getSize().y;
  int x = pointer[0], y = pointer[1];
  if (x < 0 || y < 0 || x >= w || y >= h) return;
  // Two pixels out: a viewport holds both of its edges, the far one included.
  int const left = x + 2, right = w + 1 - x, top = y + 2, bottom = h + 1 - y;
  int const nearest = std::min(std::min(left, right), std::min(top, bottom));
  if (nearest == left)
    x = -2;
  else if (nearest == right)
    x = w + 1;
  else if (nearest == top)
    y = -2;
  else
    y = h + 1;
  pointerAt(x, y);
}

bool SDLSystem::changesState(SDL_Event const& ev) {
  switch (ev.type) {
    case SDL_KEYDOWN:
      return !ev.key.repeat;
    case SDL_KEYUP:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
    case SDL_QUIT:
      return true;
    case SDL_WINDOWEVENT:
      return ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED || ev.window.event == SDL_WINDOWEVENT_CLOSE ||
             ev.window.event == SDL_WINDOWEVENT_ENTER || ev.window.event == SDL_WINDOWEVENT_LEAVE;
    default:
      return false;
  }
}

void SDLSystem::dispatch(SDL_Event const& ev) {
  switch (ev.type) {
    case SDL_KEYDOWN:
      // A held key is queued once: repeats are ignored.
      if (!ev.key.repeat) kbd.keyDown(keyForScancode[ev.key.keysym.scancode]);
      break;
    case SDL_KEYUP:
      kbd.keyUp(keyForScancode[ev.key.keysym.scancode]);
      break;
    case SDL_MOUSEMOTION:
      // The event carries the button mask as of the motion.
      buttonMask = ev.motion.state;
      mouseEvent(ev.motion.x, ev.motion.y, true);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      Uint32 const bit = SDL_BUTTON(ev.button.button);
      if (ev.type == SDL_MOUSEBUTTONDOWN)
        buttonMask |= bit;
      else
        buttonMask &= ~bit;
      mouseEvent(ev.button.x, ev.button.y, true);
      break;
    }
    case SDL_MOUSEWHEEL: {
      int dy = ev.wheel.y;
      if (ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) dy = -dy;
      if (dy) mouse.accumDZ(static_cast<short>(dy));
      break;
    }
    case SDL_WINDOWEVENT:
      if (ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        int w = ev.window.data1, h = ev.window.data2;
        if (window) SDL_GL_GetDrawableSize(window, &w, &h);
        disp.resize(w, h);
      } else if (ev.window.event == SDL_WINDOWEVENT_CLOSE) {
        sys.requestExit();
      } else if (ev.window.event == SDL_WINDOWEVENT_LEAVE) {
        // SDL reports no motion outside the window (unless a drag holds the
        // pointer): without this the fronts would see it inside, where it was last.
        pointerLeft();
      } else if (ev.window.event == SDL_WINDOWEVENT_ENTER) {
        // Where SDL saw it last; the motion that comes with the entry refines it.
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        pointerAt(x, y);
      }
      break;
    case SDL_QUIT:
      sys.requestExit();
      break;
    default:
      break;
  }
}
