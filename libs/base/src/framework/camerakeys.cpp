// Base: keyboard control of the camera under the mouse pointer - recording
// toggle, speed presets, motion, rotation about the camera's own axes, zoom and
// the layout key.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/base.h"
#include "base/basecvars.h"
#include "math/mat.h"
#include "system/keyboard.h"
#include "system/mouse.h"
#include "system/timer.h"

namespace {

// Any nonzero state: pressed, held, or released in this frame.
bool held(int key) { return kbd.getKeyState(key) != 0; }

// Speed presets by digit, in the order the digits are tested: 1 to 9, then 0.
char const presetKeys[10] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', '0'};
float const rotPresets[10] = {0.3f, 2.25f, 1.5f, 3.0f, 7.5f, 15.0f, 30.0f, 75.0f, 150.0f, 300.0f};
float const speedPresets[10] = {0.1f, 0.25f, 0.5f, 1.0f, 2.5f, 5.0f, 10.0f, 25.0f, 50.0f, 100.0f};

// A scale factor that keeps an extent finite and nonzero. Speeds and the zoom
// factor are set from the console, so a 0 or a huge value must not collapse or
// blow up the view volume (a degenerate projection is a GL error every frame).
bool usableFactor(float f) { return std::isfinite(f) && f > 0; }

}  // namespace

void Base::cameraKeys() {
  if (kbd.getKeyState('\\') == 2) {
    dumping = !dumping;
    std::puts(dumping ? "begin recording" : "end recording");
    std::fflush(stdout);
  }

  Viewport* vp = getTopViewAt(mouse.getPos());
  if (vp && vp->view) {
    View* v = vp->view;

    double now = timer.getTime();
    float dt = static_cast<float>(now - lastClock);
    lastClock = now;
    dt = std::min(0.1f, dt);

    bool shift = held(Key::LSHIFT) || held(Key::RSHIFT);
    for (int i = 0; i < 10; ++i) {
      if (!held(presetKeys[i])) continue;
      if (shift)
        camRot = rotPresets[i];
      else
        camSpeed = speedPresets[i];
    }

    float move = dt * camSpeed;
    float turn = dt * camRot;

    _vec<3, float> m;
    if (held('e')) m.x += move;
    if (held('d')) m.x -= move;
    if (held('s')) m.y += move;
    if (held('f')) m.y -= move;
    if (held('r')) m.z += move;
    if (held('v')) m.z -= move;
    if (v->ortho && moveByZoom != 0) m *= v->width;

    v->basis.pos += quatRotate(v->basis.orient, m);
    // Moving forward in an orthographic view zooms in.
    if (v->ortho) {
      float f = expf(-0.01f * m.x);
      if (usableFactor(f) && usableFactor(v->width * f)) v->width *= f;
    }

    float a = 0, b = 0, c = 0;  // about local Y (pitch), Z (yaw), X (roll)
    if (held('i')) a += turn;
    if (held('k')) a -= turn;
    if (held('j')) b += turn;
    if (held('l')) b -= turn;
    if (held('o')) c += turn;
    if (held('u')) c -= turn;
    if (a != 0 || b != 0 || c != 0) {
      if (!v->ortho && moveByZoom != 0) {
        a *= v->width;
        b *= v->width;
        c *= v->width;
      }
      // Multiplied on the right: each turn is about the camera's own axis.
      _quat<float>& q = v->basis.orient;
      if (c != 0) q = q * angleAxisToQuat(1, 0, 0, c);
      if (a != 0) q = q * angleAxisToQuat(0, 1, 0, a);
      if (b != 0) q = q * angleAxisToQuat(0, 0, 1, b);
      q.normalize();
    }

    float z = 1;
    if (held('w')) z = camZoom;
    if (held('x')) z = z / camZoom;
    float f = powf(z, dt);
    if (z != 1 && usableFactor(f) && usableFactor(v->width * f) && usableFactor(v->height * f)) {
      switch (v->aspectMode) {
        case 0:
          v->width *= f;
          v->height *= f;
          break;
        case 1:
          v->width *= f;
          break;
        case 2:
          v->height *= f;
          break;
        default:
          break;
      }
    }
  }

  if (kbd.getKeyState(Key::SPACE) == 2) {
    if (isFullscreen()) {
      restoreViewports();
    } else if (Viewport* under = getTopViewAt(mouse.getPos())) {
      viewports[VP_FULL].view = under->view;
      restoreViewports();
    }
  }
}
