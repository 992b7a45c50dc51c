// Frustum corners and planes of orthographic and perspective views, and the
// pixel-to-near-plane mapping of a viewport.
#include <gtest/gtest.h>

#include <cmath>

#include "base/frustum.h"
#include "base/view.h"
#include "base/viewport.h"
#include "math/quat.h"

namespace {

void expectVec(_vec<3, float> const& v, float x, float y, float z, char const* what) {
  EXPECT_TRUE(std::fabs(v.x - x) < 1e-3f && std::fabs(v.y - y) < 1e-3f && std::fabs(v.z - z) < 1e-3f)
      << what << ": got (" << v.x << ", " << v.y << ", " << v.z << ")";
}

// The normal to 1e-4, the distance (of planes thousands of units away) to 1e-2.
void expectPlane(_plane<3, float> const& p, float a, float b, float c, float d, char const* what) {
  EXPECT_TRUE(std::fabs(p.x - a) < 1e-4f && std::fabs(p.y - b) < 1e-4f &&
              std::fabs(p.z - c) < 1e-4f && std::fabs(p.w - d) < 1e-2f)
      << what << ": got (" << p.x << ", " << p.y << ", " << p.z << ", " << p.w << ")";
}

// The engine's side view: orthographic, looking along +X from (-15, 0, 0).
View sideView() {
  View v;
  v.set(nullptr, true, 15, 15, 1, 1, 5000, _vec<3, float>(-15, 0, 0), _quat<float>());
  return v;
}

}  // namespace

TEST(Frustum, OrthographicCornersAndPlanes) {
  Frustum f;
  // Aspect mode 1 on a 400 by 300 viewport: +-15 across, +-11.25 up and down.
  sideView().calculateFrustum(&f, 300.0f / 400.0f);
  expectVec(f.corners[0], -14, -15, -11.25f, "near right bottom");
  expectVec(f.corners[1], 4985, -15, -11.25f, "far right bottom");
  expectVec(f.corners[2], -14, 15, -11.25f, "near left bottom");
  expectVec(f.corners[6], -14, 15, 11.25f, "near left top");
  expectVec(f.corners[7], 4985, 15, 11.25f, "far left top");

  expectPlane(f.planes[Frustum::FAR], 1, 0, 0, -4985, "far");
  expectPlane(f.planes[Frustum::NEAR], -1, 0, 0, -14, "near");
  expectPlane(f.planes[Frustum::LEFT], 0, 1, 0, -15, "left (+width)");
  expectPlane(f.planes[Frustum::RIGHT], 0, -1, 0, -15, "right (-width)");
  expectPlane(f.planes[Frustum::TOP], 0, 0, 1, -11.25f, "top");
  expectPlane(f.planes[Frustum::BOTTOM], 0, 0, -1, -11.25f, "bottom");

  EXPECT_TRUE(f.contains(_vec<3, float>(0, 0, 0)));
  EXPECT_TRUE(f.contains(_vec<3, float>(-14, 15, 11.25f)));  // a corner is on the boundary
  EXPECT_FALSE(f.contains(_vec<3, float>(-20, 0, 0)));       // behind the camera
  EXPECT_FALSE(f.contains(_vec<3, float>(0, 0, 12)));        // above the volume
}

TEST(Frustum, PerspectiveCornersAndPlanes) {
  View v;
  v.set(nullptr, false, 1, 1, 0, 1, 10, _vec<3, float>(), _quat<float>());
  Frustum f;
  v.calculateFrustum(&f, 2.0f);  // aspect mode 0 ignores the aspect
  expectVec(f.corners[0], 1, -1, -1, "near right bottom");
  expectVec(f.corners[7], 10, 10, 10, "far left top");
  expectVec(f.corners[5], 10, -10, 10, "far right top");

  float const s = 0.70710678f;
  expectPlane(f.planes[Frustum::FAR], 1, 0, 0, -10, "far");
  expectPlane(f.planes[Frustum::NEAR], -1, 0, 0, 1, "near");
  expectPlane(f.planes[Frustum::LEFT], -s, s, 0, 0, "left");
  expectPlane(f.planes[Frustum::RIGHT], -s, -s, 0, 0, "right");
  expectPlane(f.planes[Frustum::TOP], -s, 0, s, 0, "top");
  expectPlane(f.planes[Frustum::BOTTOM], -s, 0, -s, 0, "bottom");

  EXPECT_TRUE(f.contains(_vec<3, float>(5, 4.9f, -4.9f)));
  EXPECT_FALSE(f.contains(_vec<3, float>(5, 5.1f, 0)));
  EXPECT_FALSE(f.contains(_vec<3, float>(0.5f, 0, 0)));
}

TEST(Frustum, PerspectiveFollowsOrientationAndAspectMode) {
  // Turned 90 degrees about Z the camera looks along +Y; its left is -X.
  View v;
  v.set(nullptr, false, 0.5f, 9, 2, 1, 100, _vec<3, float>(0, -15, 0),
        angleAxisToQuat(0, 0, 1, 90));
  Frustum f;
  // Aspect mode 2 keeps the height and derives the width: 9 / 3 = 3.
  v.calculateFrustum(&f, 3.0f);
  expectVec(f.corners[0], 3, -14, -9, "near right bottom");
  expectVec(f.corners[6], -3, -14, 9, "near left top");
  expectVec(f.corners[1], 300, 85, -900, "far right bottom");
  expectPlane(f.planes[Frustum::NEAR], 0, -1, 0, -14, "near");
}

TEST(Viewport, PixelPositionBlendsNearCorners) {
  View v = sideView();
  Viewport vp;
  vp.rect = _box<2, int>(100, 50, 500, 350);
  vp.view = &v;
  vp.setupFrustum();
  // Bottom-left, bottom-right, top-left, top-right, centre of the rectangle.
  expectVec(vp.getPixelPos(_vec<2, int>(100, 50)), -14, 15, -11.25f, "bottom left");
  expectVec(vp.getPixelPos(_vec<2, int>(500, 50)), -14, -15, -11.25f, "bottom right");
  expectVec(vp.getPixelPos(_vec<2, int>(100, 350)), -14, 15, 11.25f, "top left");
  expectVec(vp.getPixelPos(_vec<2, int>(500, 350)), -14, -15, 11.25f, "top right");
  expectVec(vp.getPixelPos(_vec<2, int>(300, 200)), -14, 0, 0, "centre");
  expectVec(vp.getPixelPos(_vec<2, int>(200, 125)), -14, 7.5f, -5.625f, "quarter");
}

TEST(Viewport, PixelPositionInTheTopView) {
  // The top view looks down -Z with +Y up on the screen and +X to the right.
  View v;
  v.set(nullptr, true, 10, 10, 1, 1, 100, _vec<3, float>(0, 0, 15),
        angleAxisToQuat(0, 1, 0, 90) * angleAxisToQuat(1, 0, 0, -90));
  Viewport vp;
  vp.rect = _box<2, int>(0, 0, 200, 100);
  vp.view = &v;
  vp.setupFrustum();
  expectVec(vp.getPixelPos(_vec<2, int>(100, 100)), 0, 5, 14, "top centre");
  expectVec(vp.getPixelPos(_vec<2, int>(200, 50)), 10, 0, 14, "right centre");
  expectVec(vp.getPixelPos(_vec<2, int>(0, 0)), -10, -5, 14, "bottom left");
}
