// Quaternion and matrix conventions checked against hand-computed rotations:
// Hamilton products, column-major matrices, angles in degrees.
#include <gtest/gtest.h>

#include <cmath>

#include "math/mat.h"

typedef _vec<3, float> vec3f;
typedef _quat<float> quatf;
typedef _mat<3, 3, float> mat3f;

static float const s45 = float(std::sqrt(0.5));

static void expectNear(vec3f const& a, vec3f const& b, float eps = 1e-6f) {
  EXPECT_NEAR(a.x, b.x, eps) << "x";
  EXPECT_NEAR(a.y, b.y, eps) << "y";
  EXPECT_NEAR(a.z, b.z, eps) << "z";
}

static void expectNear(quatf const& a, quatf const& b, float eps = 1e-6f) {
  EXPECT_NEAR(a.x, b.x, eps) << "x";
  EXPECT_NEAR(a.y, b.y, eps) << "y";
  EXPECT_NEAR(a.z, b.z, eps) << "z";
  EXPECT_NEAR(a.w, b.w, eps) << "w";
}

TEST(Quat, DefaultsAndConstants) {
  quatf q;
  EXPECT_EQ(q.x, 0.0f);
  EXPECT_EQ(q.y, 0.0f);
  EXPECT_EQ(q.z, 0.0f);
  EXPECT_EQ(q.w, 1.0f);
  EXPECT_EQ(quat4fIdentity, q);
  // A quaternion is a 4-vector with w last.
  _vec<4, float> const& v = quat4fIdentity;
  EXPECT_EQ(v[3], 1.0f);
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) EXPECT_EQ(mat33fIdentity.vec(c)[r], c == r ? 1.0f : 0.0f);
}

TEST(Quat, AngleAxis) {
  // Half the angle, in degrees; the axis is scaled by sin(h), not normalised.
  expectNear(angleAxisToQuat(1, 0, 0, 90), quatf(s45, 0, 0, s45));
  expectNear(angleAxisToQuat(0, 0, 2, 180), quatf(0, 0, 2, 0));
  expectNear(angleAxisToQuat(0, 1, 0, -60), quatf(0, -0.5f, 0, float(std::cos(M_PI / 6))));

  expectNear(quatToAngleAxis(angleAxisToQuat(1, 0, 0, 90)), quatf(1, 0, 0, 90), 1e-4f);
  expectNear(quatToAngleAxis(angleAxisToQuat(0, -1, 0, 30)), quatf(0, -1, 0, 30), 1e-4f);
  float k = float(1 / std::sqrt(3.0));
  expectNear(quatToAngleAxis(angleAxisToQuat(k, k, k, 120)), quatf(k, k, k, 120), 1e-4f);

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
  EXPECT_EQ(m * vec3f(1, 0, 0), vec3f(1, 2, 3));
  EXPECT_EQ(m * vec3f(0, 0, 1), vec3f(7, 8, 9));
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

  // Right-handed: 90 degrees about Y takes X to -Z and Z to X.
  expectNear(mat33Rot(vec3f(0, 1, 0), 90) * vec3f(1, 0, 0), vec3f(0, 0, -1));
  expectNear(mat33Rot(vec3f(0, 1, 0), 90) * vec3f(0, 0, 1), vec3f(1, 0, 0));
  // 90 degrees about X takes Y to Z.
  expectNear(mat33Rot(vec3f(1, 0, 0), 90) * vec3f(0, 1, 0), vec3f(0, 0, 1));
  // 180 degrees about Z negates X and Y.
  expectNear(mat33Rot(vec3f(0, 0, 1), 180) * vec3f(3, 4, 5), vec3f(-3, -4, 5), 1e-5f);
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
  expectNear(quatRotate(a * b, y), quatRotate(a, quatRotate(b, y)));
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
  EXPECT_EQ(quat4fIdentity.xAxis(), vec3f(1, 0, 0));
  EXPECT_EQ(quat4fIdentity.yAxis(), vec3f(0, 1, 0));
  EXPECT_EQ(quat4fIdentity.zAxis(), vec3f(0, 0, 1));
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
  quatf& r = n.normalize();
  EXPECT_EQ(&r, &n);
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
