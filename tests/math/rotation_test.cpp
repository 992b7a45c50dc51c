// Quaternion and matrix conventions against hand-computed rotations: Hamilton
// products, column-major matrices, angles in degrees, axes, and the shapes
// built on vectors (box, plane, ray).
#include <gtest/gtest.h>

#include <cmath>

#include "math/mat.h"

typedef _vec<3, float> vec3f;
typedef _quat<float> quatf;
typedef _mat<3, 3, float> mat3f;

template <class V>
static void expectNear(V const& a, V const& b, float eps = 1e-6f) {
  for (int i = 0; i < a.dim(); ++i) EXPECT_NEAR(a[i], b[i], eps) << "component " << i;
}

// Half the angle in degrees, the axis scaled by its sine, not normalised; back
// as (unit axis, degrees); no rotation has the axis Z, even with w past 1.
TEST(Quat, AngleAxis) {
  float const k = float(1 / std::sqrt(3.0)), s45 = float(std::sqrt(0.5));
  struct Row { quatf angleAxis, quat; bool back; } const rows[] = {
      {quatf(1, 0, 0, 90), quatf(s45, 0, 0, s45), true},
      {quatf(0, 0, 2, 180), quatf(0, 0, 2, 0), false},
      {quatf(0, -1, 0, 30), quatf(0, -0.258819f, 0, 0.965926f), true},
      {quatf(k, k, k, 120), quatf(0.5f, 0.5f, 0.5f, 0.5f), true}};
  for (Row const& r : rows) {
    quatf q = angleAxisToQuat(r.angleAxis.x, r.angleAxis.y, r.angleAxis.z, r.angleAxis.w);
    expectNear(q, r.quat);
    if (r.back) expectNear(quatToAngleAxis(q), r.angleAxis, 1e-4f);
  }
  EXPECT_EQ(quatToAngleAxis(quatf(0, 0, 0, 1.0000001f)), quatf(0, 0, 1, 0));
  EXPECT_FALSE(std::isnan(quatToAngleAxis(quatf(0, 0, 0, -1.0000001f)).w));
}

// a * b rotates by b first (so b * a differs); the Hamilton unit k squares to -1.
TEST(Quat, ProductsAxesAndNormalize) {
  quatf a = angleAxisToQuat(0, 0, 1, 90), b = angleAxisToQuat(1, 0, 0, 90);
  expectNear(quatRotate(a * b, vec3f(0, 1, 0)), vec3f(0, 0, 1));
  expectNear(quatRotate(b * a, vec3f(0, 1, 0)), vec3f(-1, 0, 0));
  EXPECT_EQ(quatf(0, 0, 1, 0) * quatf(0, 0, 1, 0), quatf(0, 0, 0, -1));
  quatf q = angleAxisToQuat(0.48f, 0.6f, 0.64f, 73);  // the axes are the matrix columns
  mat3f m;
  m.set(q);
  expectNear(q.xAxis(), m.vec(0));
  expectNear(q.yAxis(), m.vec(1));
  expectNear(q.zAxis(), m.vec(2));
  expectNear(a.yAxis(), vec3f(-1, 0, 0));
  quatf scaled = angleAxisToQuat(0, 0, 2, 90);
  float const r5 = float(1 / std::sqrt(5.0));
  expectNear(scaled.normalize(), quatf(0, 0, 2 * r5, r5));
}

// Values and storage column by column; a rotation is right-handed.
TEST(Mat, LayoutProductAndRotations) {
  mat3f m(1, 2, 3, 4, 5, 6, 7, 8, 9);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m.ptr()[i], float(i + 1));
  EXPECT_EQ(m * vec3f(1, 10, 100), vec3f(741, 852, 963));
  struct Row { vec3f axis; float degrees; vec3f in, out; } const rows[] = {
      {vec3f(0, 1, 0), 90, vec3f(1, 0, 0), vec3f(0, 0, -1)}, {vec3f(1, 0, 0), 90, vec3f(0, 1, 0), vec3f(0, 0, 1)},
      {vec3f(0, 0, 1), 90, vec3f(1, 0, 0), vec3f(0, 1, 0)}, {vec3f(0, 0, 1), 180, vec3f(3, 4, 5), vec3f(-3, -4, 5)}};
  for (Row const& r : rows) expectNear(mat33Rot(r.axis, r.degrees) * r.in, r.out, 1e-5f);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(mat33fIdentity.vec(c), vec3f(c == 0, c == 1, c == 2));
}

// Translating and measuring a box; the signed distance from a plane; the
// point along a ray.
TEST(Shapes, BoxPlaneRay) {
  _box<2, int> const b(0, 0, 9, 9);
  EXPECT_EQ((b + _vec<2, int>(10, -1) - _vec<2, int>(1, 0)), (_box<2, int>(9, -1, 18, 8)));
  EXPECT_EQ(b.size(), (_vec<2, int>(9, 9)));
  EXPECT_EQ((_plane<3, float>(1, 2, 3, -6).distance(vec3f(3, 0, 2))), 3.0f);
  EXPECT_EQ((_line<3, float>(vec3f(1, 2, 3), vec3f(0, 0, 2)).at(1.5f)), vec3f(1, 2, 6));
}
