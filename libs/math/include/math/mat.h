// Matrix values _mat<W, H, T> stored column by column (the layout OpenGL
// expects), the rotation matrix of a quaternion, and the umbrella include for
// the other geometric values (quaternion, box, plane, line, basis).
#pragma once

#include <type_traits>

#include "math/basis.h"
#include "math/box.h"
#include "math/line.h"
#include "math/plane.h"
#include "math/quat.h"
#include "math/vec.h"

template <int W, int H, class T>
struct _mat {
  // All columns zero; every user sets the matrix before reading it.
  constexpr _mat() {}

  // Values column by column: the first H fill column 0, the next H column 1, ...
  template <class... A, class = std::enable_if_t<sizeof...(A) == W * H>>
  _mat(A... a) {
    T const values[W * H] = {static_cast<T>(a)...};
    for (int c = 0; c < W; ++c)
      for (int r = 0; r < H; ++r) cols[c][r] = values[c * H + r];
  }

  static constexpr int width() { return W; }
  static constexpr int height() { return H; }

  _vec<H, T>& vec(int col) {
    ASSERT(0 <= col && col < width());
    return cols[col];
  }
  _vec<H, T> const& vec(int col) const {
    ASSERT(0 <= col && col < width());
    return cols[col];
  }

  T* ptr() { return cols[0].ptr(); }
  T const* ptr() const { return cols[0].ptr(); }

  // The rotation matrix of the unit quaternion q: its columns are the images
  // of the X, Y and Z axes.
  _mat& set(_quat<T> const& q) {
    static_assert(W == 3 && H == 3, "a quaternion sets a 3 by 3 matrix");
    T x = q.x, y = q.y, z = q.z, w = q.w;
    cols[0] = _vec<3, T>(1 - 2 * y * y - 2 * z * z, 2 * x * y + 2 * w * z, 2 * x * z - 2 * w * y);
    cols[1] = _vec<3, T>(2 * x * y - 2 * w * z, 1 - 2 * x * x - 2 * z * z, 2 * y * z + 2 * w * x);
    cols[2] = _vec<3, T>(2 * x * z + 2 * w * y, 2 * y * z - 2 * w * x, 1 - 2 * x * x - 2 * y * y);
    return *this;
  }

  _vec<H, T> cols[W];
};

// Matrix times vector: the columns weighted by the vector's components.
template <int W, int H, class T>
_vec<H, T> operator*(_mat<W, H, T> const& m, _vec<W, T> const& v) {
  _vec<H, T> r = m.vec(0) * v[0];
  for (int c = 1; c < W; ++c) r += m.vec(c) * v[c];
  return r;
}

// Rotation matrix of angle degrees about axis.
inline _mat<3, 3, float> mat33Rot(_vec<3, float> const& axis, float angle) {
  _mat<3, 3, float> m;
  return m.set(angleAxisToQuat(axis.x, axis.y, axis.z, angle));
}

// Rotates v by the unit quaternion q.
inline _vec<3, float> quatRotate(_quat<float> const& q, _vec<3, float> const& v) {
  _mat<3, 3, float> m;
  return m.set(q) * v;
}

// Per translation unit constant: the 3 by 3 identity.
static _mat<3, 3, float> const mat33fIdentity(1, 0, 0, 0, 1, 0, 0, 0, 1);
