// Frustum corners and outward planes of orthographic and perspective views.
#include <gtest/gtest.h>

#include "base/frustum.h"
#include "base/view.h"

typedef _vec<3, float> V3;

static void expectNear(V3 const& a, V3 const& b, char const* what, float eps) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], eps) << what << " [" << i << "]";
}

// Corner 0 is near, right (-width) and bottom, corner 7 far, left and top. The
// planes (far, near, left, right, top, bottom) have unit normals pointing out.
TEST(Frustum, CornersAndOutwardPlanes) {
  float const a = 0.316228f, b = 0.948683f, t = 0.993884f, u = 0.110432f;
  struct Case { char const* name; View view; float aspect; V3 corner0, corner7; float planes[6][4]; } cases[] = {
      // The engine's side view on a 400 by 300 viewport: +-15 across, +-11.25 up and down.
      {"orthographic", View(), 0.75f, V3(-14, -15, -11.25f), V3(4985, 15, 11.25f),
       {{1, 0, 0, -4985}, {-1, 0, 0, -14}, {0, 1, 0, -15}, {0, -1, 0, -15}, {0, 0, 1, -11.25f},
        {0, 0, -1, -11.25f}}},
      // Looking along +Y; aspect mode 2 keeps the height and derives the width.
      {"perspective", View(), 3.0f, V3(3, -14, -9), V3(-300, 85, 900),
       {{0, 1, 0, -85}, {0, -1, 0, -14}, {-a, -b, 0, -14.2302f}, {a, -b, 0, -14.2302f},
        {0, -t, u, -14.9083f}, {0, -t, -u, -14.9083f}}},
      // Aspect mode 0 keeps both half sizes.
      {"mode 0", View(), 2.0f, V3(1, -1, -1), V3(10, 10, 10), {}}};
  cases[0].view.set(nullptr, true, 15, 15, 1, 1, 5000, V3(-15, 0, 0), _quat<float>());
  cases[1].view.set(nullptr, false, 0.5f, 9, 2, 1, 100, V3(0, -15, 0), angleAxisToQuat(0, 0, 1, 90));
  cases[2].view.set(nullptr, false, 1, 1, 0, 1, 10, V3(), _quat<float>());
  for (Case const& c : cases) {
    Frustum f;
    c.view.calculateFrustum(&f, c.aspect);
    expectNear(f.corners[0], c.corner0, c.name, 1e-3f);
    expectNear(f.corners[7], c.corner7, c.name, 1e-3f);
    for (int p = 0; p < 6 && c.planes[0][3] != 0; ++p) {
      expectNear(f.planes[p].normal(), V3(c.planes[p][0], c.planes[p][1], c.planes[p][2]), c.name, 1e-4f);
      EXPECT_NEAR(f.planes[p].w, c.planes[p][3], 1e-2f) << c.name << " plane " << p;
    }
    EXPECT_TRUE(f.contains((f.corners[0] + f.corners[7]) / 2.0f)) << c.name;
  }
}
