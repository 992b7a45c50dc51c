// EyeRays: pixels to world-space rays by the view's frustum.
#include "EyeRays.h"

#include "math/mat.h"

DisplacedRay eyeRay(View const& view, int width, int height, int pixel) {
  float w = 0, h = 0;
  view.getExtents(static_cast<float>(height) / static_cast<float>(width), &w, &h);
  int const x = pixel % width, y = pixel / width;
  // Normalised device coordinates of the pixel's centre; the camera's +Y is
  // the screen's left, its +Z up.
  float const nx = 2.0f * (static_cast<float>(x) + 0.5f) / static_cast<float>(width) - 1.0f;
  float const ny = 2.0f * (static_cast<float>(y) + 0.5f) / static_cast<float>(height) - 1.0f;
  _vec<3, float> const across(0.0f, -nx * w, ny * h);
  _quat<float> const& q = view.basis.orient;
  _vec<3, float> const& pos = view.basis.pos;
  DisplacedRay r{};
  _vec<3, float> origin = pos, direction;
  if (view.ortho) {
    origin = pos + quatRotate(q, across);
    direction = quatRotate(q, _vec<3, float>(1.0f, 0.0f, 0.0f));
  } else {
    direction = quatRotate(q, _vec<3, float>(1.0f, across.y, across.z));
  }
  for (int k = 0; k < 3; ++k) {
    r.origin[k] = origin[k];
    r.direction[k] = direction[k];
  }
  return r;
}
