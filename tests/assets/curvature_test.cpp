// The mesh's curvature in the relief's units: the sphere's along both
// directions, the plane's nothing, and a cylinder from a file curved around
// and straight along its axis.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "MeshFile.h"
#include "Model3D.h"
#include "Plane.h"
#include "Sphere.h"

namespace {

// The fall per squared texture unit, in texture units of depth, of a surface
// with normal curvature k along a direction of texel scale s, where a texture
// unit of depth is sqrt(su sv) long.
double expectedFall(double k, double s, double su, double sv) { return k * s * s / (2.0 * std::sqrt(su * sv)); }

}  // namespace

TEST(Model3DCurvature, TheSphereFallsByItsRadiusBothWays) {
  // Radius 4, u 32 times around, v 16 times from pole to pole: at latitude
  // phi one texture unit is 2 pi 4 cos(phi) / 32 long along u and 2 pi 4 / 32
  // along v. Against the mesh's own texel scales the estimate must be within
  // 1% (a sphere's chords give its curvature exactly); against the sphere's
  // within 3% away from the poles and the seam (the texel scales are the
  // chords', and a seam's vertex has them from the triangles on its side).
  Model3D m;
  buildBenchSphere(m);
  double const r = 4.0, unit = 2.0 * M_PI * r / 32.0;
  for (size_t k = 0; k < m.getVertices().size(); ++k) {
    Model3D::Vertex const& v = m.getVertices()[k];
    int const row = static_cast<int>(k / 32);
    if (row < 2 || row > 29) continue;  // the grid's rows beside the poles are slivers
    double const su = v.texelScale.x, sv = v.texelScale.y;
    EXPECT_NEAR(v.curvature.x, expectedFall(1.0 / r, su, su, sv), 0.01 * expectedFall(1.0 / r, su, su, sv)) << k;
    EXPECT_NEAR(v.curvature.y, expectedFall(1.0 / r, sv, su, sv), 0.01 * expectedFall(1.0 / r, sv, su, sv)) << k;
    double const latitude = (2.0 * row / 31.0 - 1.0) * M_PI / 2.0;
    if (std::fabs(latitude) > 1.2 || k % 32 == 0 || k % 32 == 31) continue;
    double const au = unit * std::cos(latitude), av = unit;
    EXPECT_NEAR(v.curvature.x, expectedFall(1.0 / r, au, au, av), 0.03 * expectedFall(1.0 / r, au, au, av)) << k;
    EXPECT_NEAR(v.curvature.y, expectedFall(1.0 / r, av, au, av), 0.03 * expectedFall(1.0 / r, av, au, av)) << k;
  }
  // At the equator both are 4 pi / 32 / 8 = 0.0982.
  EXPECT_NEAR(m.getVertices()[15 * 32 + 5].curvature.x, 0.0982, 0.003);
}

TEST(Model3DCurvature, ThePlaneDoesNotFall) {
  Model3D m;
  buildBenchPlane(m);
  for (Model3D::Vertex const& v : m.getVertices()) {
    EXPECT_EQ(v.curvature.x, 0.0f);
    EXPECT_EQ(v.curvature.y, 0.0f);
  }
}

TEST(Model3DCurvature, ACylinderFromAFileFallsAroundButNotAlong) {
  // Radius 1, height 2, 32 sides, five rings; u runs 6 times around (its seam
  // a column of vertices with two texture coordinates), v twice along the
  // height. Fitted (farthest vertex sqrt 2 from the centre) the radius is
  // 2 sqrt 2. A mesh that pooled nothing at its seam, or took the wrong
  // direction for u, fails here.
  std::ostringstream obj;
  int const sides = 32, rings = 5;
  for (int i = 0; i < rings; ++i)
    for (int j = 0; j < sides; ++j) {
      double const a = 2.0 * M_PI * j / sides;
      obj << "v " << std::cos(a) << " " << std::sin(a) << " " << -1.0 + 2.0 * i / (rings - 1) << "\n";
    }
  for (int i = 0; i < rings; ++i)
    for (int j = 0; j <= sides; ++j) obj << "vt " << 6.0 * j / sides << " " << 2.0 * i / (rings - 1) << "\n";
  auto corner = [&](int i, int j) {
    return " " + std::to_string(i * sides + j % sides + 1) + "/" + std::to_string(i * (sides + 1) + j + 1);
  };
  for (int i = 0; i + 1 < rings; ++i)
    for (int j = 0; j < sides; ++j) obj << "f" << corner(i, j) << corner(i, j + 1) << corner(i + 1, j + 1) << corner(i + 1, j) << "\n";
  std::string const path = testing::TempDir() + "cylinder.obj";
  std::ofstream(path) << obj.str();
  Model3D m;
  std::string error;
  ASSERT_TRUE(MeshFile::load(path, m, error)) << error;
  double const r = 2.0 * std::sqrt(2.0);
  for (Model3D::Vertex const& v : m.getVertices()) {
    double const su = v.texelScale.x, sv = v.texelScale.y;
    double const around = expectedFall(1.0 / r, su, su, sv);
    EXPECT_NEAR(v.curvature.x, around, 0.02 * around) << v.position.x << " " << v.position.y << " " << v.position.z;
    EXPECT_NEAR(v.curvature.y, 0.0, 0.02 * around) << v.position.x << " " << v.position.y << " " << v.position.z;
  }
}
