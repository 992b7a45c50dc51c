// Tangent frames of the mesh (a flat grid, a mirrored mapping, weighting of shared vertices, degenerate input, the
// bench's sphere) and the texel scales of a skewed mapping.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "Model3D.h"
#include "Sphere.h"
#include "math/mat.h"

namespace {

typedef _vec<3, float> vec3;

void expectNear(vec3 const& got, vec3 const& want, char const* what, size_t vertex) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], 1e-5f) << what << " of vertex " << vertex << " [" << i << "]";
}

// Every frame finite, orthonormal, with the binormal equal to N x T.
void expectOrthonormal(Model3D const& m) {
  for (size_t i = 0; i < m.getVertices().size(); ++i) {
    Model3D::Vertex const& v = m.getVertices()[i];
    vec3 const &t = v.basis.vec(0), &b = v.basis.vec(1), &n = v.basis.vec(2);
    ASSERT_TRUE(std::isfinite(t.x + t.y + t.z + b.x + b.y + b.z + n.x + n.y + n.z + v.handedness)) << "vertex " << i;
    expectNear(vec3(float(t.len()), float(n.len()), dot(t, n)), vec3(1, 1, 0), "lengths of T and N, and T . N", i);
    expectNear(b, cross(n, t), "binormal", i);
    EXPECT_TRUE(v.handedness == 1.0f || v.handedness == -1.0f) << i;
  }
}

}  // namespace

// A 3 x 3 vertex grid in the z = 0 plane, counter-clockwise seen from +z; u
// runs along +x (or -x when mirrored), v along +y.
TEST(Model3DFrames, FlatGridGetsTheAxesAndAMirroredOneIsLeftHanded) {
  for (bool mirrored : {false, true}) {
    float const sign = mirrored ? -1.0f : 1.0f;
    Model3D m;
    for (float y = 0; y < 3; ++y)
      for (float x = 0; x < 3; ++x) m.addVtx(x, y, 0.0f, 0.5f * sign * x, 0.5f * y);
    for (int k : {0, 1, 3, 4}) {  // each square's lower left corner
      m.addTri(k, k + 1, k + 4);
      m.addTri(k + 4, k + 3, k);
    }
    m.computeBasii();
    ASSERT_EQ(m.getVertices().size(), 9u);
    for (size_t i = 0; i < 9; ++i) {
      Model3D::Vertex const& v = m.getVertices()[i];
      expectNear(v.basis.vec(0), vec3(sign, 0, 0), "tangent", i);
      expectNear(v.basis.vec(1), vec3(0, sign, 0), "binormal", i);  // N x T, not the v direction
      expectNear(v.basis.vec(2), vec3(0, 0, 1), "normal", i);
      EXPECT_EQ(v.handedness, sign) << i;
    }
  }
}

TEST(Model3DFrames, SharedVertexSumsLargeTrianglesHarderForTangentsButNotNormals) {
  // Vertex 0 is shared by a large triangle in z = 0, u along +x, and a small
  // one in x = 0, u along +y, of the same texture area. The tangent leans to
  // the large one; the normal is the plain mean of (0, 0, 1) and (1, 0, 0).
  Model3D m;
  for (auto [x, y, z, u, v] : {std::array<float, 5>{0, 0, 0, 0, 0}, {10, 0, 0, 1, 0}, {0, 10, 0, 0, 1}, {0, 1, 0, 1, 0}, {0, 0, 1, 0, 1}})
    m.addVtx(x, y, z, u, v);
  m.addTri(0, 1, 2);
  m.addTri(0, 3, 4);
  m.computeBasii();
  Model3D::Vertex const& v = m.getVertices()[0];
  float const s = std::sqrt(0.5f);
  expectNear(v.basis.vec(2), vec3(s, 0, s), "normal", 0);
  vec3 const& t = v.basis.vec(0);
  EXPECT_GT(std::fabs(t.x), 3.0f * std::fabs(t.y)) << "tangent (" << t.x << ", " << t.y << ", " << t.z << ")";
  expectOrthonormal(m);
}

TEST(Model3DFrames, DegenerateInputGivesFiniteFramesInsteadOfNaN) {
  Model3D m;
  // A triangle of one texture coordinate, one without area, an unused vertex.
  for (auto [x, y, z, u, v] : {std::array<float, 5>{0, 0, 0, 0.5f, 0.5f}, {1, 0, 0, 0.5f, 0.5f}, {0, 1, 0, 0.5f, 0.5f},
                               {2, 2, 2, 0, 0}, {2, 2, 2, 1, 0}, {2, 2, 2, 0, 1}, {5, 5, 5, 0, 0}})
    m.addVtx(x, y, z, u, v);
  m.addTri(0, 1, 2);
  m.addTri(3, 4, 5);
  m.computeBasii();
  expectOrthonormal(m);
  // The first triangle still has a face, so its normal survives.
  expectNear(m.getVertices()[0].basis.vec(2), vec3(0, 0, 1), "normal", 0);
  // The unused vertex keeps the identity frame.
  expectNear(m.getVertices()[6].basis.vec(0), vec3(1, 0, 0), "tangent", 6);
  expectNear(m.getVertices()[6].basis.vec(2), vec3(0, 0, 1), "normal", 6);
  // A file's normal of no length (or NaN) becomes +z, its tangent across it.
  Model3D given;
  float const nan = std::numeric_limits<float>::quiet_NaN();
  for (vec3 const& n : {vec3(0, 0, 0), vec3(nan, 0, 1)}) given.addVtx(vec3(), _vec<2, float>(), n, vec3(0, 0, 3), 1.0f);
  expectOrthonormal(given);
  for (size_t i = 0; i < 2; ++i) expectNear(given.getVertices()[i].basis.vec(2), vec3(0, 0, 1), "given", i);
}

TEST(Model3DFrames, SphereHasItsCountsWindingAndOneSmoothFrameAtSeamAndPoles) {
  Model3D m;
  buildBenchSphere(m);
  auto const& vs = m.getVertices();
  auto const& ix = m.getIndices();
  ASSERT_EQ(vs.size(), 1024u);
  ASSERT_EQ(ix.size(), 3u * 1922u);

  // Counter-clockwise from outside: every face with an area (the poles'
  // slivers have none) faces away from the centre.
  int withArea = 0;
  for (size_t i = 0; i < ix.size(); i += 3) {
    vec3 const &a = vs[size_t(ix[i])].position, &b = vs[size_t(ix[i + 1])].position, &c = vs[size_t(ix[i + 2])].position;
    vec3 const face = cross(b - a, c - b);
    if (face.len() < 1e-6) continue;
    ++withArea;
    EXPECT_GT(dot(face, a + b + c), 0.0f) << "triangle " << i / 3;
  }
  EXPECT_EQ(withArea, 1922 - 2 * 31);

  expectOrthonormal(m);
  float const halfDegree = std::cos(0.5f * static_cast<float>(M_PI) / 180.0f);
  for (size_t k = 0; k < vs.size(); ++k) {
    EXPECT_GT(dot(vs[k].basis.vec(2), vec3(vs[k].position).normalize()), halfDegree) << "normal of vertex " << k;
    EXPECT_EQ(vs[k].handedness, 1.0f) << k;  // u grows eastward and v northward
  }
  for (size_t row = 1; row < 31; ++row) {
    // The seam's two columns share one frame, and it points east.
    vec3 const &west = vs[32 * row + 31].basis.vec(0), &east = vs[32 * row].basis.vec(0);
    expectNear(west, east, "seam tangent", 32 * row);
    EXPECT_GT(dot(east, vec3(0, 1, 0)), 0.999f) << row;
  }
}

TEST(Model3DDeathTest, TriangleNamingAMissingVertexIsABrokenInvariant) {
  Model3D m;
  m.addVtx(0, 0, 0, 0, 0);
  m.addVtx(1, 0, 0, 1, 0);
  m.addTri(0, 1, 2);  // vertex 2 may still come
  EXPECT_DEATH(m.computeBasii(), "failed assertion");
  m.addVtx(0, 1, 0, 0, 1);
  m.computeBasii();
}

// Both texture edges skewed, so each term of the mapping's determinant counts:
// from uv (0, 0), (2, 0.5), (0.5, 1) on the unit right triangle, by hand,
// dP/du = (1, -0.5, 0) / 1.75 and dP/dv = (-0.5, 2, 0) / 1.75.
TEST(Model3DTexelScales, ASkewedMappingGivesTheLengthsOfItsDerivatives) {
  Model3D m;
  m.addVtx(0, 0, 0, 0, 0);
  m.addVtx(1, 0, 0, 2, 0.5f);
  m.addVtx(0, 1, 0, 0.5f, 1);
  m.addTri(0, 1, 2);
  m.computeTexelScales();
  for (Model3D::Vertex const& v : m.getVertices()) {
    EXPECT_NEAR(v.texelScale.x, std::sqrt(1.25) / 1.75, 1e-6);
    EXPECT_NEAR(v.texelScale.y, std::sqrt(4.25) / 1.75, 1e-6);
  }
}
