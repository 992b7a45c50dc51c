// buildBenchSphere: the grid of vertices, its triangles and their frames.
#include "Sphere.h"

#include "Model3D.h"
#include "math/mat.h"

void buildBenchSphere(Model3D& mesh) {
  // A 32 x 32 grid of latitude/longitude vertices, row 0 at the north pole; the
  // last column repeats the first with u = 32 as the texture seam. All vertices
  // go in before the triangles that join row i to row i + 1.
  mesh.reset();
  for (int i = 0; i < 32; ++i) {
    for (int j = 0; j < 32; ++j) {
      float const a = static_cast<float>(i) / 31.0f;
      float const latitude = (a + a - 1.0f) * 90.0f;
      float const v = a * -16.0f;
      float const b = static_cast<float>(j) / 31.0f;
      float const longitude = b * 360.0f;
      float const u = b * 32.0f;
      _vec<3, float> p(1.0f, 0.0f, 0.0f);
      p = mat33Rot(_vec<3, float>(0.0f, 1.0f, 0.0f), latitude) * p;
      p = mat33Rot(_vec<3, float>(0.0f, 0.0f, 1.0f), longitude) * p;
      p = p * 4.0f;
      mesh.addVtx(p.x, p.y, p.z, u, v);
    }
  }
  for (int i = 0; i <= 30; ++i) {
    for (int j = 0; j <= 30; ++j) {
      int const k = 32 * i + j;
      mesh.addTri(k, k + 32, k + 33);
      mesh.addTri(k + 33, k + 1, k);
    }
  }
  mesh.computeBasii();
}
