// The mesh's curvature in the relief's units: the sphere's both ways, the plane's none, a cylinder from a file curved
// around and straight along its axis.
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

// The fall per squared texture unit, in texture units of depth (sqrt(su sv)
// long), along a direction of normal curvature k and texel scale s.
double fall(double k, double s, _vec<2, float> const& scale) { return k * s * s / (2.0 * std::sqrt(scale.x * scale.y)); }

}  // namespace

TEST(Model3DCurvature, TheSphereFallsByItsRadiusBothWaysAndThePlaneNot) {
  // Radius 4: within 1% of 1/4 both ways but beside the poles; at the equator
  // a texture unit is 2 pi 4 / 32 long both ways: 0.0982.
  Model3D m;
  buildBenchSphere(m);
  for (size_t k = 64; k < m.getVertices().size() - 64; ++k) {
    _vec<2, float> const& s = m.getVertices()[k].texelScale;
    EXPECT_NEAR(m.getVertices()[k].curvature.x, fall(0.25, s.x, s), 0.01 * fall(0.25, s.x, s)) << k;
    EXPECT_NEAR(m.getVertices()[k].curvature.y, fall(0.25, s.y, s), 0.01 * fall(0.25, s.y, s)) << k;
  }
  EXPECT_NEAR(m.getVertices()[15 * 32 + 5].curvature.x, 0.0982, 0.003);
  EXPECT_NEAR(m.getVertices()[15 * 32 + 5].curvature.y, 0.0982, 0.003);
  Model3D plane;
  buildBenchPlane(plane);
  for (Model3D::Vertex const& v : plane.getVertices()) EXPECT_TRUE(v.curvature.x == 0.0f && v.curvature.y == 0.0f);
}

TEST(Model3DCurvature, ACylinderFromAFileFallsAroundButNotAlong) {
  // Radius 1, height 2, 32 sides, five rings, u 6 times around (a seam), v
  // twice along; fitted (farthest vertex sqrt 2 out), radius 2 sqrt 2. Fails
  // a mesh that pools no edges across its seam or takes u the wrong way.
  std::ostringstream obj;
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 32; ++j) obj << "v " << std::cos(M_PI * j / 16) << " " << std::sin(M_PI * j / 16) << " " << i / 2.0 - 1 << "\n";
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j <= 32; ++j) obj << "vt " << 6.0 * j / 32 << " " << i / 2.0 << "\n";
  auto corner = [](int i, int j) { return " " + std::to_string(i * 32 + j % 32 + 1) + "/" + std::to_string(i * 33 + j + 1); };
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 32; ++j) obj << "f" << corner(i, j) << corner(i, j + 1) << corner(i + 1, j + 1) << corner(i + 1, j) << "\n";
  std::string const path = testing::TempDir() + "cylinder.obj";
  std::ofstream(path) << obj.str();
  Model3D m;
  std::string error;
  ASSERT_TRUE(MeshFile::load(path, m, error)) << error;
  for (Model3D::Vertex const& v : m.getVertices()) {
    double const around = fall(1.0 / (2.0 * std::sqrt(2.0)), v.texelScale.x, v.texelScale);
    EXPECT_NEAR(v.curvature.x, around, 0.02 * around) << v.position.x << " " << v.position.y << " " << v.position.z;
    EXPECT_NEAR(v.curvature.y, 0.0, 0.02 * around) << v.position.x << " " << v.position.y << " " << v.position.z;
  }
}
