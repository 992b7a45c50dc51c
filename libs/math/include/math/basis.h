// Position-plus-orientation pair _basis<V, Q>: the orientation rotates local
// axes into the parent space, the position places the local origin there.
#pragma once

#include "math/quat.h"
#include "math/vec.h"

template <class V, class Q>
struct _basis {
  constexpr _basis() : orient(), pos() {}
  constexpr _basis(Q const& o, V const& p) : orient(o), pos(p) {}

  Q orient;
  V pos;
};
