// Plane _plane<3, float>: normal (a, b, c) and distance term d, stored as a
// 4-vector; the points p on it satisfy a*p.x + b*p.y + c*p.z + d = 0.
#pragma once

#include "math/vec.h"

template <int N, class T>
struct _plane;

template <class T>
struct _plane<3, T> : _vec<4, T> {
  constexpr _plane() : _vec<4, T>(0, 0, 0, 0) {}
  constexpr _plane(T a, T b, T c, T d) : _vec<4, T>(a, b, c, d) {}

  _vec<3, T> normal() const { return _vec<3, T>(this->x, this->y, this->z); }

  // Moves the plane along its normal so that it passes through p; returns d.
  T& calcDist(_vec<3, T> const& p) {
    this->w = -(this->x * p.x + this->y * p.y + this->z * p.z);
    return this->w;
  }

  // Signed distance of p, in units of the normal's length.
  T distance(_vec<3, T> const& p) const {
    return this->x * p.x + this->y * p.y + this->z * p.z + this->w;
  }
};
