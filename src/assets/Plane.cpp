// buildBenchPlane: a grid of one quad per texture repeat and its frames.
#include "Plane.h"

#include "Model3D.h"

void buildBenchPlane(Model3D& mesh) {
  // 5 x 5 vertices, one texture repeat between neighbours. Seen from -x, u runs
  // to the right (-y) and v up (+z), so the triangles below are counter-
  // clockwise from the front and the frame is right-handed.
  int const n = 4;
  float const half = 4.0f;
  mesh.reset();
  for (int j = 0; j <= n; ++j) {
    for (int i = 0; i <= n; ++i) {
      float const u = static_cast<float>(i), v = static_cast<float>(j);
      mesh.addVtx(0.0f, half - 2.0f * half * u / n, -half + 2.0f * half * v / n, u, v);
    }
  }
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      int const k = (n + 1) * j + i;
      mesh.addTri(k, k + 1, k + n + 2);
      mesh.addTri(k + n + 2, k + n + 1, k);
    }
  }
  mesh.computeBasii();
}
