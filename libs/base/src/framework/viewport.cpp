// Viewport: GL viewport, scissor and clear set-up, frustum update, drawing of its
// view, and the pixel-to-near-plane mapping.
#include "base/viewport.h"

#include <GL/gl.h>

#include "base/view.h"

Viewport::Viewport() { reset(); }

void Viewport::reset() {
  rect = _box<2, int>(0, 0, 1, 1);
  view = nullptr;
  frustum = Frustum();
  scissor = false;
  setClearColor = false;
  clearColor = _vec<4, float>(0, 0, 0, 0);
  doClear = true;
  clearMask = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT;
}

float Viewport::getAspect() const {
  return static_cast<float>(rect.max.y - rect.min.y) / static_cast<float>(rect.max.x - rect.min.x);
}

void Viewport::setupViewport() {
  GLsizei w = rect.max.x - rect.min.x, h = rect.max.y - rect.min.y;
  glViewport(rect.min.x, rect.min.y, w, h);
  if (scissor) {
    glScissor(rect.min.x, rect.min.y, w, h);
    glEnable(GL_SCISSOR_TEST);
  }
  if (setClearColor) glClearColor(clearColor.x, clearColor.y, clearColor.z, clearColor.w);
  if (doClear) clear();
}

void Viewport::clear() { glClear(clearMask); }

void Viewport::setupFrustum() { view->calculateFrustum(this); }

void Viewport::render() {
  setupViewport();
  if (view) {
    setupFrustum();
    view->render(this);
  }
  shutdownViewport();
}

void Viewport::shutdownViewport() {
  if (scissor) glDisable(GL_SCISSOR_TEST);
}

_vec<3, float> Viewport::getPixelPos(_vec<2, int> const& p) const {
  float u = static_cast<float>(p.x - rect.min.x) / static_cast<float>(rect.max.x - rect.min.x);
  float v = static_cast<float>(p.y - rect.min.y) / static_cast<float>(rect.max.y - rect.min.y);
  // Camera-local +Y is the screen's left, so the left edge (u = 0) blends the
  // +width corners (2 and 6) and the right edge the -width ones (0 and 4).
  return frustum.corners[2] * ((1 - u) * (1 - v)) + frustum.corners[0] * (u * (1 - v)) +
         frustum.corners[6] * ((1 - u) * v) + frustum.corners[4] * (u * v);
}
