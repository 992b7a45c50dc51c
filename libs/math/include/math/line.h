// Ray _line<3, T>: an origin and a direction (not necessarily unit length).
#pragma once

#include "math/vec.h"

template <int N, class T>
struct _line;

template <class T>
struct _line<3, T> {
  constexpr _line() : origin(), dir(1, 0, 0) {}
  constexpr _line(_vec<3, T> const& o, _vec<3, T> const& d) : origin(o), dir(d) {}

  // The point at parameter t along the ray.
  _vec<3, T> at(T t) const { return origin + dir * t; }

  _vec<3, T> origin;
  _vec<3, T> dir;
};
