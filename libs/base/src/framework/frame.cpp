// Base: one frame of the engine - frame rate, console input capture, camera
// keys, the quit key, the pick ray, the module's update, the viewports' drawing,
// re-layout after a resize and the console overlay.
#include "base/base.h"
#include "base/basecvars.h"
#include "base/basemodule.h"
#include "base/commandkeys.h"
#include "base/console.h"
#include "system/display.h"
#include "system/keyboard.h"
#include "system/mouse.h"
#include "system/system.h"
#include "system/timer.h"

void Base::doLoop() {
  // A new window size is laid out before anything uses the rectangles, so the
  // first frame, and the first after a resize, is drawn and picked right.
  if (disp.sizeHasChanged()) {
    _vec<2, int> const& size = disp.getSize();
    resizeViewports(size.x, size.y);
  }
  updateFrameRate();
  // Super + q quits on the press, even when both keys were let go before the
  // frame; read before the console, which hides the keys while it is open.
  if (quitChordPressed()) sys.requestExit();
  con.preUpdate();
  if (camKeys && !(loopCallback && loopCallback->takesKeyboard())) cameraKeys();

  updateMouseLine();

  if (loopFunc) loopFunc();
  if (loopCallback) loopCallback->update();

  for (Viewport* vp : activeViewports) vp->render();

  con.postUpdate();
  con.display();
}

void Base::updateFrameRate() {
  framecount += 1;
  thistime = timer.getTime();
  // Refreshed whenever the clock enters a new whole second.
  if (static_cast<long long>(lasttime) != static_cast<long long>(thistime)) {
    currentFPS = static_cast<float>(framecount) / static_cast<float>(thistime - lasttime);
    if (displayFPS != 0) con << "FPS: " << currentFPS << "\n";
    lasttime = thistime;
    framecount = 0;
  }
}

void Base::updateMouseLine() {
  _vec<2, int> const& p = mouse.getPos();
  Viewport* vp = getTopViewAt(p);
  if (!vp || !vp->view) return;
  View const* v = vp->view;
  _vec<3, float> near = vp->getPixelPos(p);
  if (v->ortho) {
    // Parallel rays along the view's forward axis, starting one near-clip
    // distance behind the near plane.
    mouseLine.dir = v->basis.orient.xAxis() * v->nearClip;
    mouseLine.origin = near - mouseLine.dir;
  } else {
    mouseLine.origin = v->basis.pos;
    mouseLine.dir = near - mouseLine.origin;
  }
}

void base_loopCallback() { base.doLoop(); }
