// Rotation quaternion _quat<T>: (x, y, z, w) with the scalar w last, Hamilton
// products, conversion from and to an axis and an angle in degrees.
#pragma once

#include <cmath>

#include "math/vec.h"

// A quaternion is also a 4-vector and may be used wherever one is expected.
template <class T>
struct _quat : _vec<4, T> {
  constexpr _quat() : _vec<4, T>(0, 0, 0, 1) {}
  constexpr _quat(T x_, T y_, T z_, T w_) : _vec<4, T>(x_, y_, z_, w_) {}
  constexpr explicit _quat(_vec<4, T> const& v) : _vec<4, T>(v) {}

  // Image of the X axis under the rotation: column 0 of its matrix.
  _vec<3, T> xAxis() const {
    T x = this->x, y = this->y, z = this->z, w = this->w;
    return _vec<3, T>(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w));
  }
  // Image of the Y axis: column 1 of its matrix.
  _vec<3, T> yAxis() const {
    T x = this->x, y = this->y, z = this->z, w = this->w;
    return _vec<3, T>(2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w));
  }
  // Image of the Z axis: column 2 of its matrix.
  _vec<3, T> zAxis() const {
    T x = this->x, y = this->y, z = this->z, w = this->w;
    return _vec<3, T>(2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y));
  }

  // Scales all four components by 1 / length, in double precision.
  _quat& normalize() {
    double inv = 1.0 / this->len();
    for (int i = 0; i < 4; ++i) (*this)[i] = static_cast<T>((*this)[i] * inv);
    return *this;
  }
};

// Hamilton product: applied to a vector, a * b rotates by b first, then by a.
template <class T>
_quat<T> operator*(_quat<T> const& a, _quat<T> const& b) {
  return _quat<T>(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
                  a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                  a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
                  a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
}

// Rotation by angle degrees about the axis (x, y, z); the axis is taken as
// given, not normalised.
inline _quat<float> angleAxisToQuat(float x, float y, float z, float angle) {
  double h = angle * M_PI / 360.0;
  double s = std::sin(h);
  return _quat<float>(static_cast<float>(x * s), static_cast<float>(y * s),
                      static_cast<float>(z * s), static_cast<float>(std::cos(h)));
}

// Axis and angle of a unit quaternion, packed as (axis x, axis y, axis z, degrees).
// The identity (no axis) gives (0, 0, 1, 0).
inline _quat<float> quatToAngleAxis(_quat<float> const& q) {
  double w = q.w;
  if (w > 1.0) w = 1.0;
  if (w < -1.0) w = -1.0;
  double a = std::acos(w);
  double s = std::sin(a);
  if (s == 0.0) return _quat<float>(0, 0, 1, 0);
  return _quat<float>(static_cast<float>(q.x / s), static_cast<float>(q.y / s),
                      static_cast<float>(q.z / s), static_cast<float>(a * 360.0 / M_PI));
}

// Per translation unit constant: the identity rotation.
static _quat<float> const quat4fIdentity(0, 0, 0, 1);
