// SDLSystem::dispatch: one window-system event into the keyboard, mouse and display.
#include "sdlbackend.h"

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
  if (hasPos) mouse.setCursorPos(x, y);
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
      return ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED || ev.window.event == SDL_WINDOWEVENT_CLOSE;
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
      }
      break;
    case SDL_QUIT:
      sys.requestExit();
      break;
    default:
      break;
  }
}
