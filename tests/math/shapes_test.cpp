// Boxes, planes, rays and bases: defaults, containment edges, plane distance.
#include <gtest/gtest.h>

#include "math/mat.h"

typedef _vec<2, int> vec2i;
typedef _vec<2, float> vec2f;
typedef _vec<3, float> vec3f;
typedef _box<2, float> box2f;

TEST(Box, ContainsEdgesIncluded) {
  _box<2, int> b(0, 0, 9, 9);
  EXPECT_TRUE(b.containsE(vec2i(9, 9), vec2i(9, 9)));
  EXPECT_TRUE(b.containsE(vec2i(0, 0), vec2i(0, 0)));
  EXPECT_FALSE(b.containsE(vec2i(10, 5), vec2i(10, 5)));
  EXPECT_FALSE(b.containsE(vec2i(5, -1), vec2i(5, -1)));
  EXPECT_FALSE(b.containsE(vec2i(-1, 5), vec2i(-1, 5)));
  EXPECT_FALSE(b.containsE(vec2i(5, 10), vec2i(5, 10)));
  // A rectangle: both corners must lie inside.
  EXPECT_TRUE(b.containsE(vec2i(2, 3), vec2i(9, 4)));
  EXPECT_FALSE(b.containsE(vec2i(2, 3), vec2i(10, 4)));
  EXPECT_FALSE(b.containsE(vec2i(-2, 3), vec2i(8, 4)));

  _box<2, int> zero;
  EXPECT_EQ(zero.min, vec2i(0, 0));
  EXPECT_EQ(zero.max, vec2i(0, 0));
}

TEST(Box, Translation) {
  _box<2, float> b(1, 2, 5, 7);
  EXPECT_EQ(b.min, vec2f(1, 2));
  EXPECT_EQ(b.max, vec2f(5, 7));
  _box<2, float> moved = b + vec2f(10, -1);
  EXPECT_EQ(moved, box2f(11, 1, 15, 6));
  EXPECT_EQ(b, box2f(1, 2, 5, 7));  // the operand is unchanged
  b -= vec2f(1, 2);
  EXPECT_EQ(b, box2f(0, 0, 4, 5));
  EXPECT_EQ(b.size(), vec2f(4, 5));
}

TEST(Plane, DistanceThroughPoint) {
  _plane<3, float> p;
  EXPECT_EQ(p.x, 0.0f);
  EXPECT_EQ(p.w, 0.0f);  // unlike a plain 4-vector, d starts at 0

  p = _plane<3, float>(0, 0, 1, 0);
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

TEST(Line, DefaultsAndAssignment) {
  _line<3, float> l;
  EXPECT_EQ(l.origin, vec3f(0, 0, 0));
  EXPECT_EQ(l.dir, vec3f(1, 0, 0));
  _line<3, float> m(vec3f(1, 2, 3), vec3f(0, 0, 2));
  l = m;
  EXPECT_EQ(l.origin, vec3f(1, 2, 3));
  EXPECT_EQ(l.dir, vec3f(0, 0, 2));
  EXPECT_EQ(l.at(1.5f), vec3f(1, 2, 6));
}

TEST(Basis, Defaults) {
  _basis<vec3f, _quat<float> > b;
  EXPECT_EQ(b.orient, quat4fIdentity);
  EXPECT_EQ(b.pos, vec3f(0, 0, 0));
}
