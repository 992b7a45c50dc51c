// View: camera state, GL projection and model-view set-up, and frustum corners and planes.
#include "base/view.h"

#include <GL/gl.h>

#include "base/basemodule.h"
#include "base/frustum.h"
#include "base/viewport.h"
#include "math/mat.h"

View::View() { reset(); }

void View::set(Scene* scene_, bool ortho_, float width_, float height_, int aspectMode_,
               float nearClip_, float farClip_, _vec<3, float> const& pos,
               _quat<float> const& orient) {
  scene = scene_;
  ortho = ortho_;
  width = width_;
  height = height_;
  aspectMode = aspectMode_;
  nearClip = nearClip_;
  farClip = farClip_;
  basis.pos = pos;
  basis.orient = orient;
}

void View::reset() {
  set(nullptr, false, 1.0f, 1.0f, 1, 1.0f, 3000.0f, _vec<3, float>(), _quat<float>());
}

void View::getExtents(float aspect, float* w, float* h) const {
  *w = width;
  *h = height;
  if (aspectMode == 1)
    *h = *w * aspect;
  else if (aspectMode == 2)
    *w = *h / aspect;
}

void View::setupView(int flags, float aspect) const {
  if (flags & (PROJECTION_IDENTITY | PROJECTION)) setProjection(flags, aspect);
  if (flags & (MODELVIEW_IDENTITY | MODELVIEW_ROTATE | MODELVIEW_TRANSLATE)) setModelview(flags);
}

void View::setProjection(int flags, float aspect) const {
  glMatrixMode(GL_PROJECTION);
  if (flags & PROJECTION_IDENTITY) glLoadIdentity();
  if (flags & PROJECTION) {
    float w, h;
    getExtents(aspect, &w, &h);
    if (ortho)
      glOrtho(-w, w, -h, h, nearClip, farClip);
    else
      glFrustum(-w * nearClip, w * nearClip, -h * nearClip, h * nearClip, nearClip, farClip);
  }
}

void View::setModelview(int flags) const {
  glMatrixMode(GL_MODELVIEW);
  if (flags & MODELVIEW_IDENTITY) glLoadIdentity();
  correctAngleInverse();
  if (flags & MODELVIEW_ROTATE) rotateInverse();
  if (flags & MODELVIEW_TRANSLATE) translateInverse();
}

void View::correctAngleInverse() {
  glRotatef(90, 0, 1, 0);
  glRotatef(-90, 1, 0, 0);
}

void View::correctAngle() {
  glRotatef(90, 1, 0, 0);
  glRotatef(-90, 0, 1, 0);
}

void View::rotate() const {
  _quat<float> aa = quatToAngleAxis(basis.orient);
  glRotatef(aa.w, aa.x, aa.y, aa.z);
}

void View::rotateInverse() const {
  _quat<float> aa = quatToAngleAxis(basis.orient);
  glRotatef(aa.w, -aa.x, -aa.y, -aa.z);
}

void View::translateInverse() const { glTranslatef(-basis.pos.x, -basis.pos.y, -basis.pos.z); }

void View::render(Viewport const* viewport) const {
  if (!scene) return;
  setupView(ALL, viewport->getAspect());
  scene->render(viewport, this);
}

void View::calculateFrustum(Frustum* f, float aspect) const {
  float w, h;
  getExtents(aspect, &w, &h);
  for (int i = 0; i < 8; ++i) {
    float y = (i & Frustum::LEFT_BIT) ? w : -w;
    float z = (i & Frustum::TOP_BIT) ? h : -h;
    float d = (i & Frustum::FAR_BIT) ? farClip : nearClip;
    _vec<3, float> local = ortho ? _vec<3, float>(d, y, z) : _vec<3, float>(d, y * d, z * d);
    f->corners[i] = basis.pos + quatRotate(basis.orient, local);
  }
  // Windings chosen so that every normal points out of the volume.
  static int const triples[6][3] = {{1, 3, 7}, {0, 4, 6}, {7, 3, 2},
                                    {0, 1, 5}, {4, 5, 7}, {0, 2, 3}};
  for (int p = 0; p < 6; ++p) {
    _vec<3, float> const& a = f->corners[triples[p][0]];
    _vec<3, float> const& b = f->corners[triples[p][1]];
    _vec<3, float> const& c = f->corners[triples[p][2]];
    _vec<3, float> n = vec3unitNormal(a, b, c);
    f->planes[p] = _plane<3, float>(n.x, n.y, n.z, 0);
    f->planes[p].calcDist((a + b + c) / 3.0f);
  }
}

void View::calculateFrustum(Viewport* viewport) const {
  calculateFrustum(&viewport->frustum, viewport->getAspect());
}
