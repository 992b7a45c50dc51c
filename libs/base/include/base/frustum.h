// Frustum: the eight world-space corners and six bounding planes of a view volume.
#pragma once

#include "math/plane.h"
#include "math/vec.h"

class Frustum {
public:
  // Corner index bits: bit 0 set = on the far plane (clear = near); bit 1 set =
  // on the +width side, the screen's left (clear = -width); bit 2 set = top
  // (clear = bottom).
  enum CornerBits { FAR_BIT = 1, LEFT_BIT = 2, TOP_BIT = 4 };
  // Plane order. Every normal points out of the volume, so a point is inside
  // when a*x + b*y + c*z + d <= 0 for all six planes.
  enum PlaneIndex { FAR = 0, NEAR = 1, LEFT = 2, RIGHT = 3, TOP = 4, BOTTOM = 5 };

  Frustum() : corners(), planes() {}

  // True when p is inside or on the boundary of all six planes.
  bool contains(_vec<3, float> const& p) const {
    for (int i = 0; i < 6; ++i)
      if (planes[i].distance(p) > 0) return false;
    return true;
  }

  _vec<3, float> corners[8];
  _plane<3, float> planes[6];
};
