// Vector values: defaults and layout, lengths, arithmetic and the division
// rules, cross products, unit vectors and triangle normals.
#include <gtest/gtest.h>

#include <cmath>

#include "math/vec.h"

typedef _vec<2, int> vec2i;
typedef _vec<3, float> vec3f;
typedef _vec<4, float> vec4f;

static void expectNear(vec3f const& a, vec3f const& b) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], 1e-6f) << "component " << i;
}

// A float 4-vector defaults to the homogeneous origin, other vectors to zero;
// components lie contiguous in x, y, z, w order, as OpenGL reads them.
TEST(Vec, DefaultsAndLayout) {
  EXPECT_EQ(vec4f(), vec4f(0, 0, 0, 1));
  EXPECT_EQ((_vec<4, int>()), (_vec<4, int>(0, 0, 0, 0)));
  vec4f c(1, 2, 3, 4);
  c[2] = 9;
  EXPECT_EQ(sizeof c, 4 * sizeof(float));
  EXPECT_EQ(c.ptr()[2], 9.0f);
}

// Squares summed in the component type, the root taken in double; division by
// a double happens in double precision and rounds once; integer vectors divide
// toward zero.
TEST(Vec, LengthsArithmeticAndDivision) {
  EXPECT_DOUBLE_EQ(vec4f(1, 1, 1, 1).len(), 2.0);
  EXPECT_DOUBLE_EQ(vec3f(1, 1, 0).len(), std::sqrt(2.0));
  vec3f v(0, 3, 4);
  expectNear(v.normalize(), vec3f(0, 0.6f, 0.8f));
  EXPECT_EQ(2.0f * vec3f(1, 2, 3) * 2.0f, vec3f(4, 8, 12));
  EXPECT_EQ(-vec3f(1, -2, 3), vec3f(-1, 2, -3));
  vec3f third = vec3f(1, 2, 4) / 3.0;
  EXPECT_EQ(third.x, float(1.0 / 3.0));
  third /= 10.0;
  EXPECT_EQ(third.z, float(float(4.0 / 3.0) / 10.0));
  EXPECT_EQ(vec2i(-3, 7) / 2, vec2i(-1, 3));
  EXPECT_EQ(vec2i(1, -2) * 3, vec2i(3, -6));
  EXPECT_EQ(vecScaleElem(vec3f(2, 3, 4), vec3f(-1.5f, 4, 0)), vec3f(-3, 12, 0));
  EXPECT_EQ(dot(vec3f(1, 2, 3), vec3f(4, -5, 6)), 12.0f);
  EXPECT_EQ((_vec<2, float>(vec2i(3, -4))), (_vec<2, float>(3, -4)));
}

// Right-handed and in argument order. No usable direction (squared length at
// most 1e-6) gives the X axis, also for a degenerate triangle's normal.
TEST(Vec, CrossUnitVectorsAndNormals) {
  EXPECT_EQ(cross(vec3f(2, 3, 4), vec3f(5, 6, 7)), vec3f(-3, 6, -3));
  struct Row { vec3f in, out; } const rows[] = {
      {vec3f(0, 0, 0), vec3f(1, 0, 0)},      {vec3f(0, 0.00099f, 0), vec3f(1, 0, 0)},
      {vec3f(0, 0.0011f, 0), vec3f(0, 1, 0)}, {vec3f(3, 0, -4), vec3f(0.6f, 0, -0.8f)}};
  for (Row const& r : rows) expectNear(vec3unit(r.in), r.out);
  vec3f a(0, 0, 0), b(2, 0, 0), c(0, 2, 0);
  EXPECT_EQ(vec3planeNormal(a, b, c), vec3f(0, 0, 4));  // (b - a) x (c - b), counter-clockwise from +Z
  EXPECT_EQ(vec3planeNormal(a, c, b), vec3f(0, 0, -4));
  EXPECT_EQ(vec3unitNormal(a, b, vec3f(4, 0, 0)), vec3f(1, 0, 0));
}
