// BilinearCell: the height of one cell's bilinear patch along a ray as a quadratic in the ray parameter, its first crossing and its highest point.
#pragma once

#include <algorithm>
#include <cmath>

#include "CellWalk.h"

// q(s) = a s^2 + b s + c, s measured from the start of a cell's stretch.
struct Quadratic {
  double a, b, c;
  double operator()(double s) const { return (a * s + b) * s + c; }
};

// The bilinear height over a cell's stretch, s = t - span.t0, for a ray moving
// (dx, dy) cells per unit of t: with the patch written as
// h = a + (b - a) fx + (c - a) fy + (a - b - c + d) fx fy and fx = fx0 + dx s,
// fy = fy0 + dy s, it is a quadratic whose s^2 term is (a - b - c + d) dx dy
// (zero for a ray along an axis or a planar cell).
inline Quadratic heightAlong(CellSpan const& span, double dx, double dy) {
  double const ex = span.b - span.a, ey = span.c - span.a, exy = span.a - span.b - span.c + span.d;
  return {exy * dx * dy, ex * dx + ey * dy + exy * (span.fx * dy + span.fy * dx),
          span.a + ex * span.fx + (ey + exy * span.fx) * span.fy};
}

// The smallest s in [0, len] with q(s) >= 0, or -1 when there is none; q(0)
// and q(len) are taken as they stand. With q(0) < 0 the crossing is the root
// where q rises through zero: the larger root of an upward parabola, the
// smaller of a downward one (none when both lie behind). A crossing exactly on
// the boundary between two stretches is never lost between them: a root that
// rounds to just past the end is found by the next stretch as a root that
// rounds to just before its start, which counts as its start (and the end
// itself is checked too). The roots come from the cancellation-free form of
// the quadratic formula.
inline double firstNonNegative(Quadratic const& q, double len) {
  if (q.c >= 0.0) return 0.0;
  double root = -1.0;
  if (q.a == 0.0) {
    if (q.b > 0.0) root = -q.c / q.b;  // linear; a constant below zero never crosses
  } else {
    double const disc = q.b * q.b - 4.0 * q.a * q.c;
    if (disc >= 0.0) {
      double const k = -0.5 * (q.b + std::copysign(std::sqrt(disc), q.b));  // not 0, as q.c != 0
      double const r0 = std::min(k / q.a, q.c / k), r1 = std::max(k / q.a, q.c / k);
      if (q.a > 0.0)
        root = std::max(r1, 0.0);
      else if (r1 >= 0.0)
        root = std::max(r0, 0.0);
    }
  }
  if (root >= 0.0 && root <= len) return root;
  return q(len) >= 0.0 ? len : -1.0;
}

// The highest value of q over [0, len]: at an end, or at the vertex of a
// downward parabola that lies inside.
inline double highestOver(Quadratic const& q, double len) {
  double best = std::max(q.c, q(len));
  if (q.a < 0.0) {
    double const s = -q.b / (2.0 * q.a);
    if (s > 0.0 && s < len) best = std::max(best, q(s));
  }
  return best;
}
