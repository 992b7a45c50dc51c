// Vector values: defaults, indexing, lengths, the division rules, cross
// products, unit vectors and triangle normals.
#include <gtest/gtest.h>

#include <cmath>

#include "math/vec.h"

typedef _vec<2, int> vec2i;
typedef _vec<2, double> vec2d;
typedef _vec<2, float> vec2f;
typedef _vec<3, float> vec3f;
typedef _vec<4, float> vec4f;

static void expectNear(vec3f const& a, vec3f const& b, float eps = 1e-6f) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], eps) << "component " << i;
}

// A default 4-vector is the homogeneous origin; components are contiguous in
// x, y, z, w order, as OpenGL reads them; fInf is positive infinity.
TEST(Vec, DefaultsAndLayout) {
  EXPECT_EQ(vec3f(), vec3f(0, 0, 0));
  vec4f h;
  EXPECT_EQ(h.ptr()[3], 1.0f);
  EXPECT_EQ(vec3f(h.x, h.y, h.z), vec3f(0, 0, 0));
  EXPECT_EQ((_vec<4, int>().w), 0);

  vec4f c(1, 2, 3, 4);
  EXPECT_EQ(sizeof(c), 4 * sizeof(float));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(c.ptr()[i], float(i + 1));
    EXPECT_EQ(c[i], float(i + 1));
  }
  c[2] = 9;
  EXPECT_EQ(c.z, 9.0f);
  EXPECT_TRUE(std::isinf(fInf) && fInf > 0);
}

TEST(Vec, LengthAndNormalize) {
  EXPECT_DOUBLE_EQ(vec3f(3, 4, 12).len(), 13.0);
  EXPECT_DOUBLE_EQ(vec4f(1, 1, 1, 1).len(), 2.0);
  // The root is taken in double precision: sqrt(2) to double accuracy.
  EXPECT_DOUBLE_EQ(vec3f(1, 1, 0).len(), std::sqrt(2.0));
  vec3f v(0, 3, 4);
  EXPECT_EQ(&v.normalize(), &v);
  expectNear(v, vec3f(0, 0.6f, 0.8f));
}

TEST(Vec, ArithmeticAndDivision) {
  EXPECT_EQ(vec3f(1, 2, 3) + vec3f(4, 5, 6), vec3f(5, 7, 9));
  EXPECT_EQ(vec3f(1, 2, 3) - vec3f(4, 5, 6), vec3f(-3, -3, -3));
  EXPECT_EQ(vec3f(1, 2, 3) * 2.0f, vec3f(2, 4, 6));
  EXPECT_EQ(2.0f * vec3f(1, 2, 3), vec3f(2, 4, 6));
  EXPECT_EQ(vec3f(1, 2, 3) / 2.0f, vec3f(0.5f, 1, 1.5f));
  EXPECT_EQ(vec2i(1, -2) * 3, vec2i(3, -6));
  EXPECT_EQ(-vec3f(1, -2, 3), vec3f(-1, 2, -3));

  // Division by a double happens in double precision: 1/3 rounds once, to float.
  vec3f third = vec3f(1, 2, 4) / 3.0;
  EXPECT_EQ(third.x, float(1.0 / 3.0));
  EXPECT_EQ(third.z, float(4.0 / 3.0));
  vec3f w(10, 20, 30);
  w /= 10.0;
  EXPECT_EQ(w, vec3f(1, 2, 3));
  // Integer vectors divide with rounding toward zero.
  EXPECT_EQ(vec2i(-3, 7) / 2, vec2i(-1, 3));
  EXPECT_EQ(vec2i(-8, 9) / -4, vec2i(2, -2));

  EXPECT_EQ(vecScaleElem(vec2d(2, 3), vec2d(-1.5, 4)), vec2d(-3, 12));
  EXPECT_FLOAT_EQ(dot(vec3f(1, 2, 3), vec3f(4, -5, 6)), 12.0f);
  EXPECT_EQ(vec2f(vec2i(3, -4)), vec2f(3, -4));
}

// Right-handed, and in argument order: (2,3,4) x (5,6,7) = (3*7-4*6, 4*5-2*7, 2*6-3*5).
TEST(Vec, CrossProduct) {
  EXPECT_EQ(cross(vec3f(1, 0, 0), vec3f(0, 1, 0)), vec3f(0, 0, 1));
  EXPECT_EQ(cross(vec3f(0, 1, 0), vec3f(1, 0, 0)), vec3f(0, 0, -1));
  EXPECT_EQ(cross(vec3f(2, 3, 4), vec3f(5, 6, 7)), vec3f(-3, 6, -3));
}

// No usable direction (squared length at most 1e-6) gives the X axis; just
// above the threshold the vector is divided by its length.
TEST(Vec, UnitVectorThreshold) {
  struct Row { vec3f in, out; };
  Row const rows[] = {{vec3f(0, 0, 0), vec3f(1, 0, 0)},     {vec3f(0.0001f, 0, 0), vec3f(1, 0, 0)},
                      {vec3f(0, 0.00099f, 0), vec3f(1, 0, 0)}, {vec3f(0, 0, -0.0007f), vec3f(1, 0, 0)},
                      {vec3f(0, 0.0011f, 0), vec3f(0, 1, 0)},  {vec3f(0, 0, -0.01f), vec3f(0, 0, -1)},
                      {vec3f(3, 0, -4), vec3f(0.6f, 0, -0.8f)}};
  for (Row const& r : rows) {
    SCOPED_TRACE(testing::Message() << r.in.x << ", " << r.in.y << ", " << r.in.z);
    expectNear(vec3unit(r.in), r.out);
  }
}

TEST(Vec, TriangleNormals) {
  vec3f a(0, 0, 0), b(2, 0, 0), c(0, 2, 0);
  // (b - a) x (c - b) = (2,0,0) x (-2,2,0) = (0,0,4): counter-clockwise seen from +Z.
  EXPECT_EQ(vec3planeNormal(a, b, c), vec3f(0, 0, 4));
  EXPECT_EQ(vec3planeNormal(a, c, b), vec3f(0, 0, -4));
  expectNear(vec3unitNormal(a, b, c), vec3f(0, 0, 1));
  // A degenerate triangle has no normal and falls back to the X axis.
  EXPECT_EQ(vec3unitNormal(a, b, vec3f(4, 0, 0)), vec3f(1, 0, 0));
}

TEST(VecDeathTest, IndexOutOfRange) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  vec3f v(1, 2, 3);
  vec3f const& cv = v;
  EXPECT_DEATH(v[3] = 0, "math/vec.h:[0-9]+: failed assertion `0 <= i && i < dim\\(\\)'");
  EXPECT_DEATH((void)v[-1], "failed assertion `0 <= i && i < dim\\(\\)'");
  EXPECT_DEATH((void)cv[3], "failed assertion `0 <= i && i < dim\\(\\)'");
  EXPECT_DEATH((void)vec2i()[2], "failed assertion `0 <= i && i < dim\\(\\)'");
}
