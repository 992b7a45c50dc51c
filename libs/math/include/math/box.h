// Axis-aligned 2-D box _box<2, T>: a minimum and a maximum corner.
#pragma once

#include "math/vec.h"

template <int N, class T>
struct _box;

template <class T>
struct _box<2, T> {
  constexpr _box() {}
  constexpr _box(T x0, T y0, T x1, T y1) : min(x0, y0), max(x1, y1) {}
  constexpr _box(_vec<2, T> const& lo, _vec<2, T> const& hi) : min(lo), max(hi) {}

  _vec<2, T> size() const { return max - min; }
  T width() const { return max.x - min.x; }
  T height() const { return max.y - min.y; }

  // True when the rectangle from a to b lies inside the box, edges included;
  // with a == b it is an inclusive point test.
  bool containsE(_vec<2, T> const& a, _vec<2, T> const& b) const {
    return min.x <= a.x && min.y <= a.y && max.x >= b.x && max.y >= b.y;
  }

  _box& operator+=(_vec<2, T> const& v) {
    min += v;
    max += v;
    return *this;
  }
  _box& operator-=(_vec<2, T> const& v) {
    min -= v;
    max -= v;
    return *this;
  }

  _vec<2, T> min;
  _vec<2, T> max;
};

template <class T>
_box<2, T> operator+(_box<2, T> b, _vec<2, T> const& v) {
  return b += v;
}
template <class T>
_box<2, T> operator-(_box<2, T> b, _vec<2, T> const& v) {
  return b -= v;
}
template <class T>
bool operator==(_box<2, T> const& a, _box<2, T> const& b) {
  return a.min == b.min && a.max == b.max;
}
template <class T>
bool operator!=(_box<2, T> const& a, _box<2, T> const& b) {
  return !(a == b);
}
