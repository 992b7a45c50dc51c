// Quaternion and matrix conventions checked against hand-computed rotations:
// Hamilton products, column-major matrices, angles in degrees.
#include <gtest/gtest.h>

#include <cmath>

#include "math/mat.h"

typedef _vec<3, float> vec3f;
typedef _quat<float> quatf;
typedef _mat<3, 3, float> mat3f;

static float const s45 = float(std::sqrt(0.5));

template <class V>
static void expectNear(V const& a, V const& b, float eps = 1e-6f) {
  for (int i = 0; i < a.dim(); ++i) EXPECT_NEAR(a[i], b[i], eps) << "component " << i;
}

// The default quaternion is the identity, a 4-vector with w last.
TEST(Quat, DefaultsAndConstants) {
  quatf q;
  _vec<4, float> const& v = q;
  EXPECT_EQ(v, (_vec<4, float>(0, 0, 0, 1)));
  EXPECT_EQ(quat4fIdentity, quatf());
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) EXPECT_EQ(mat33fIdentity.vec(c)[r], c == r ? 1.0f : 0.0f);
}

TEST(Quat, AngleAxis) {
  // Half the angle, in degrees; the axis is scaled by sin(h), not normalised.
  // Unit axes come back from quatToAngleAxis as (axis, degrees).
  float const k = float(1 / std::sqrt(3.0));
  struct Row { quatf angleAxis, quat; bool roundTrip; };
  Row const rows[] = {{quatf(1, 0, 0, 90), quatf(s45, 0, 0, s45), true},
                      {quatf(0, 0, 2, 180), quatf(0, 0, 2, 0), false},
                      {quatf(0, 1, 0, -60), quatf(0, -0.5f, 0, float(std::cos(M_PI / 6))), false},
                      {quatf(0, -1, 0, 30), quatf(0, -0.258819f, 0, 0.965926f), true},
                      {quatf(k, k, k, 120), quatf(0.5f, 0.5f, 0.5f, 0.5f), true}};
  for (Row const& r : rows) {
    SCOPED_TRACE(testing::Message() << r.angleAxis.x << ", " << r.angleAxis.y << ", "
                                    << r.angleAxis.z << ", " << r.angleAxis.w);
    quatf q = angleAxisToQuat(r.angleAxis.x, r.angleAxis.y, r.angleAxis.z, r.angleAxis.w);
    expectNear(q, r.quat);
    if (r.roundTrip) expectNear(quatToAngleAxis(q), r.angleAxis, 1e-4f);
  }

  // No rotation has no axis: (0, 0, 1) and angle 0, also when rounding pushed w past 1.
  EXPECT_EQ(quatToAngleAxis(quatf(0, 0, 0, 1)), quatf(0, 0, 1, 0));
  EXPECT_EQ(quatToAngleAxis(quatf(0, 0, 0, 1.0000001f)), quatf(0, 0, 1, 0));
  quatf turned = quatToAngleAxis(quatf(0, 0, 0, -1.0000001f));  // clamped to 360 degrees
  EXPECT_FALSE(std::isnan(turned.w));
}

TEST(Mat, LayoutAndProduct) {
  mat3f m(1, 2, 3, 4, 5, 6, 7, 8, 9);
  // Stored column by column.
  EXPECT_EQ(m.vec(0), vec3f(1, 2, 3));
  EXPECT_EQ(m.vec(1), vec3f(4, 5, 6));
  EXPECT_EQ(m.vec(2), vec3f(7, 8, 9));
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m.ptr()[i], float(i + 1));
  // Matrix times vector weights the columns by the components.
  EXPECT_EQ(m * vec3f(1, 10, 100), vec3f(741, 852, 963));
  m.vec(1) = vec3f(0, 0, 0);
  EXPECT_EQ(m * vec3f(1, 1, 1), vec3f(8, 10, 12));
}

TEST(Mat, RotationMatrices) {
  // 90 degrees about Z: X goes to Y, Y to -X, Z stays.
  mat3f z;
  z.set(angleAxisToQuat(0, 0, 1, 90));
  expectNear(z.vec(0), vec3f(0, 1, 0));
  expectNear(z.vec(1), vec3f(-1, 0, 0));
  expectNear(z.vec(2), vec3f(0, 0, 1));

  // Right-handed: 90 degrees about Y takes X to -Z and Z to X; about X, Y to Z;
  // 180 degrees about Z negates X and Y.
  struct Row { vec3f axis; float degrees; vec3f in, out; };
  Row const rows[] = {{vec3f(0, 1, 0), 90, vec3f(1, 0, 0), vec3f(0, 0, -1)},
                      {vec3f(0, 1, 0), 90, vec3f(0, 0, 1), vec3f(1, 0, 0)},
                      {vec3f(1, 0, 0), 90, vec3f(0, 1, 0), vec3f(0, 0, 1)},
                      {vec3f(0, 0, 1), 180, vec3f(3, 4, 5), vec3f(-3, -4, 5)}};
  for (Row const& r : rows) {
    SCOPED_TRACE(testing::Message() << "about (" << r.axis.x << ", " << r.axis.y << ", "
                                    << r.axis.z << ") by " << r.degrees);
    expectNear(mat33Rot(r.axis, r.degrees) * r.in, r.out, 1e-5f);
  }
  // Latitude then longitude, as the light is placed: 45 up, then 90 round.
  vec3f p = mat33Rot(vec3f(0, 1, 0), -45) * vec3f(1, 0, 0);
  p = mat33Rot(vec3f(0, 0, 1), 90) * p;
  expectNear(p, vec3f(0, s45, s45));
}

TEST(Quat, ProductOrderAndRotation) {
  quatf a = angleAxisToQuat(0, 0, 1, 90);  // about Z
  quatf b = angleAxisToQuat(1, 0, 0, 90);  // about X
  vec3f y(0, 1, 0);
  // a * b rotates by b first: Y -> Z (about X), then Z stays (about Z).
  expectNear(quatRotate(a * b, y), vec3f(0, 0, 1));
  // The other order: Y -> -X (about Z), then -X stays (about X).
  expectNear(quatRotate(b * a, y), vec3f(-1, 0, 0));
  for (vec3f v : {vec3f(1, 0, 0), vec3f(0, 0, 1), vec3f(1, 2, 3)})
    expectNear(quatRotate(a * b, v), quatRotate(a, quatRotate(b, v)), 1e-5f);

  // Hamilton units: i * j = k, j * i = -k.
  EXPECT_EQ(quatf(1, 0, 0, 0) * quatf(0, 1, 0, 0), quatf(0, 0, 1, 0));
  EXPECT_EQ(quatf(0, 1, 0, 0) * quatf(1, 0, 0, 0), quatf(0, 0, -1, 0));
  EXPECT_EQ(quatf(0, 0, 1, 0) * quatf(0, 0, 1, 0), quatf(0, 0, 0, -1));

  // Two quarter turns make a half turn.
  expectNear(quatToAngleAxis(a * a), quatf(0, 0, 1, 180), 1e-4f);
}

TEST(Quat, AxesAndNormalize) {
  quatf z = angleAxisToQuat(0, 0, 1, 90);
  expectNear(z.xAxis(), vec3f(0, 1, 0));
  expectNear(z.yAxis(), vec3f(-1, 0, 0));
  quatf x = angleAxisToQuat(1, 0, 0, 90);
  expectNear(x.zAxis(), vec3f(0, -1, 0));
  // The axes are the columns of the rotation matrix.
  quatf q = angleAxisToQuat(0.48f, 0.6f, 0.64f, 73);
  mat3f m;
  m.set(q);
  expectNear(q.xAxis(), m.vec(0));
  expectNear(q.yAxis(), m.vec(1));
  expectNear(q.zAxis(), m.vec(2));

  quatf n(0, 0, 0, 2);
  EXPECT_EQ(&n.normalize(), &n);
  EXPECT_EQ(n, quatf(0, 0, 0, 1));
  quatf all(1, 1, 1, 1);
  expectNear(all.normalize(), quatf(0.5f, 0.5f, 0.5f, 0.5f));
  // A scaled axis gives a non-unit quaternion: (0, 0, 2 s, s) becomes unit length.
  quatf scaled = angleAxisToQuat(0, 0, 2, 90);
  float r5 = float(1 / std::sqrt(5.0));
  expectNear(scaled.normalize(), quatf(0, 0, 2 * r5, r5));
  EXPECT_NEAR(scaled.len(), 1.0, 1e-6);
}

TEST(MatDeathTest, ColumnOutOfRange) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  mat3f m(1, 2, 3, 4, 5, 6, 7, 8, 9);
  mat3f const& cm = m;
  EXPECT_DEATH((void)m.vec(3), "math/mat.h:[0-9]+: failed assertion `0 <= col && col < width\\(\\)'");
  EXPECT_DEATH((void)cm.vec(-1), "failed assertion `0 <= col && col < width\\(\\)'");
}
