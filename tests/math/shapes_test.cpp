// Boxes, planes, rays and bases: defaults, containment edges, plane distance.
#include <gtest/gtest.h>

#include "math/mat.h"

typedef _vec<2, int> vec2i;
typedef _vec<2, float> vec2f;
typedef _vec<3, float> vec3f;
typedef _box<2, float> box2f;

// Both corners of the tested rectangle must lie inside; the edges count as inside.
TEST(Box, ContainsEdgesIncluded) {
  struct Row { vec2i lo, hi; bool inside; };
  Row const rows[] = {{{9, 9}, {9, 9}, true},    {{0, 0}, {0, 0}, true},    {{10, 5}, {10, 5}, false},
                      {{5, -1}, {5, -1}, false}, {{-1, 5}, {-1, 5}, false}, {{5, 10}, {5, 10}, false},
                      {{2, 3}, {9, 4}, true},    {{2, 3}, {10, 4}, false},  {{-2, 3}, {8, 4}, false}};
  _box<2, int> const b(0, 0, 9, 9);
  for (Row const& r : rows) {
    EXPECT_EQ(b.containsE(r.lo, r.hi), r.inside)
        << "(" << r.lo.x << ", " << r.lo.y << ") to (" << r.hi.x << ", " << r.hi.y << ")";
  }
  EXPECT_EQ((_box<2, int>()), (_box<2, int>(0, 0, 0, 0)));
}

TEST(Box, Translation) {
  box2f b(1, 2, 5, 7);
  EXPECT_EQ(b + vec2f(10, -1), box2f(11, 1, 15, 6));
  EXPECT_EQ(b, box2f(1, 2, 5, 7));  // the operand is unchanged
  b -= vec2f(1, 2);
  EXPECT_EQ(b, box2f(0, 0, 4, 5));
  EXPECT_EQ(b.size(), vec2f(4, 5));
}

TEST(Plane, DistanceThroughPoint) {
  EXPECT_EQ((_plane<3, float>().w), 0.0f);  // unlike a plain 4-vector, d starts at 0
  _plane<3, float> p(0, 0, 1, 0);
  float& d = p.calcDist(vec3f(5, 6, 7));
  EXPECT_EQ(d, -7.0f);
  EXPECT_EQ(&d, &p.w);
  EXPECT_EQ(p.distance(vec3f(1, 2, 7)), 0.0f);
  EXPECT_EQ(p.distance(vec3f(1, 2, 10)), 3.0f);

  _plane<3, float> tilted(1, 2, 3, 0);
  tilted.calcDist(vec3f(1, 1, 1));
  EXPECT_EQ(tilted.w, -6.0f);
  EXPECT_EQ(tilted.distance(vec3f(3, 0, 1)), 0.0f);  // 3 + 3 - 6
}

// A default ray looks along +X from the origin; a default basis is unrotated.
TEST(Line, DefaultsAndPoints) {
  _line<3, float> l;
  EXPECT_EQ(l.origin, vec3f(0, 0, 0));
  EXPECT_EQ(l.dir, vec3f(1, 0, 0));
  l = _line<3, float>(vec3f(1, 2, 3), vec3f(0, 0, 2));
  EXPECT_EQ(l.at(1.5f), vec3f(1, 2, 6));

  _basis<vec3f, _quat<float> > b;
  EXPECT_EQ(b.orient, quat4fIdentity);
  EXPECT_EQ(b.pos, vec3f(0, 0, 0));
}
