// The engine's views, the viewport rectangles after a resize, the viewport
// under a pixel and the layout toggle.
#include <gtest/gtest.h>

#include "base/base.h"

namespace {

void expectRect(Viewport const& vp, _box<2, int> const& r, char const* what) {
  EXPECT_EQ(vp.rect, r) << what << ": got (" << vp.rect.min.x << ", " << vp.rect.min.y << ", "
                        << vp.rect.max.x << ", " << vp.rect.max.y << ")";
}

void expectAxis(_vec<3, float> const& a, float x, float y, float z, char const* what) {
  float const e[3] = {x, y, z};
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], e[i], 1e-5f) << what << " [" << i << "]";
}

// An engine with its views and single layout set up, as Base::init leaves them.
struct Engine {
  Engine() {
    b.initViews();
    b.initViewports();
  }
  Base b;
};

}  // namespace

// Odd sizes: the quarters are the integer halves, so the last column and row
// stay uncovered. Tiny and zero-sized (minimised) windows keep one-pixel viewports.
TEST(Layout, ResizeRectangles) {
  struct Row { int w, h; _box<2, int> full, bl, br, tl, tr; };
  typedef _box<2, int> R;
  Row const rows[] = {
      {800, 600, R(0, 0, 800, 600), R(0, 0, 400, 300), R(400, 0, 800, 300), R(0, 300, 400, 600),
       R(400, 300, 800, 600)},
      {801, 601, R(0, 0, 801, 601), R(0, 0, 400, 300), R(400, 0, 800, 300), R(0, 300, 400, 600),
       R(400, 300, 800, 600)},
      {1, 1, R(0, 0, 1, 1), R(0, 0, 1, 1), R(0, 0, 1, 1), R(0, 0, 1, 1), R(0, 0, 1, 1)},
      {0, 0, R(0, 0, 1, 1), R(0, 0, 1, 1), R(0, 0, 1, 1), R(0, 0, 1, 1), R(0, 0, 1, 1)}};
  Base b;
  for (Row const& r : rows) {
    SCOPED_TRACE(testing::Message() << r.w << "x" << r.h);
    b.resizeViewports(r.w, r.h);
    expectRect(b.viewports[Base::VP_FULL], r.full, "full");
    expectRect(b.viewports[Base::VP_BOTTOM_LEFT], r.bl, "bottom left");
    expectRect(b.viewports[Base::VP_BOTTOM_RIGHT], r.br, "bottom right");
    expectRect(b.viewports[Base::VP_TOP_LEFT], r.tl, "top left");
    expectRect(b.viewports[Base::VP_TOP_RIGHT], r.tr, "top right");
  }
  EXPECT_FLOAT_EQ(b.viewports[Base::VP_TOP_RIGHT].getAspect(), 1.0f);
}

TEST(Layout, ToggleBetweenSingleAndFourViews) {
  Engine e;
  Base& b = e.b;
  ASSERT_TRUE(b.isFullscreen());
  ASSERT_EQ(b.activeViewports.size(), 1u);

  b.restoreViewports();
  EXPECT_FALSE(b.isFullscreen());
  ASSERT_EQ(b.activeViewports.size(), 4u);
  EXPECT_EQ(b.activeViewports[0], &b.viewports[Base::VP_TOP_LEFT]);
  EXPECT_EQ(b.activeViewports[1], &b.viewports[Base::VP_TOP_RIGHT]);
  EXPECT_EQ(b.activeViewports[2], &b.viewports[Base::VP_BOTTOM_LEFT]);
  EXPECT_EQ(b.activeViewports[3], &b.viewports[Base::VP_BOTTOM_RIGHT]);

  b.restoreViewports();
  EXPECT_TRUE(b.isFullscreen());

  // From an empty list the toggle selects the single layout; a list holding
  // only a quarter is not the single layout.
  b.clearAllViewports();
  EXPECT_FALSE(b.isFullscreen());
  b.activeViewports.push_back(&b.viewports[Base::VP_TOP_RIGHT]);
  EXPECT_FALSE(b.isFullscreen());
  b.restoreViewports();
  EXPECT_TRUE(b.isFullscreen());

  // Starting the viewports again always lands on the single layout.
  b.restoreViewports();
  b.initViewports();
  EXPECT_TRUE(b.isFullscreen());
}

TEST(Layout, TopViewportAtSharedEdges) {
  Engine e;
  Base& b = e.b;
  b.resizeViewports(800, 600);
  EXPECT_EQ(b.getTopViewAt(_vec<2, int>(400, 300)), &b.viewports[Base::VP_FULL]);
  EXPECT_EQ(b.getTopViewAt(_vec<2, int>(800, 600)), &b.viewports[Base::VP_FULL]);
  EXPECT_EQ(b.getTopViewAt(_vec<2, int>(-1, 10)), nullptr);

  b.restoreViewports();
  // The centre belongs to all four quarters: the last in the list wins.
  EXPECT_EQ(b.getTopViewAt(_vec<2, int>(400, 300)), &b.viewports[Base::VP_BOTTOM_RIGHT]);
  // The vertical edge between the top quarters, and the horizontal one on the left.
  EXPECT_EQ(b.getTopViewAt(_vec<2, int>(400, 450)), &b.viewports[Base::VP_TOP_RIGHT]);
  EXPECT_EQ(b.getTopViewAt(_vec<2, int>(200, 300)), &b.viewports[Base::VP_BOTTOM_LEFT]);
  // Inside single quarters and on the outer edges.
  EXPECT_EQ(b.getTopViewAt(_vec<2, int>(10, 590)), &b.viewports[Base::VP_TOP_LEFT]);
  EXPECT_EQ(b.getTopViewAt(_vec<2, int>(0, 0)), &b.viewports[Base::VP_BOTTOM_LEFT]);
  EXPECT_EQ(b.getTopViewAt(_vec<2, int>(800, 600)), &b.viewports[Base::VP_TOP_RIGHT]);
  EXPECT_EQ(b.getTopViewAt(_vec<2, int>(801, 600)), nullptr);
  EXPECT_EQ(b.getTopViewAt(_vec<2, int>(300, -1)), nullptr);

  // With the odd size the last column is covered by no quarter.
  b.resizeViewports(801, 601);
  EXPECT_EQ(b.getTopViewAt(_vec<2, int>(800, 100)), &b.viewports[Base::VP_BOTTOM_RIGHT]);
  b.clearAllViewports();
  EXPECT_EQ(b.getTopViewAt(_vec<2, int>(10, 10)), nullptr);
}

TEST(Layout, EngineViewsAndTheirViewports) {
  Engine e;
  Base& b = e.b;
  View const& top = b.views[Base::VIEW_TOP];
  View const& front = b.views[Base::VIEW_FRONT];
  View const& side = b.views[Base::VIEW_SIDE];
  // The pick-ray and zoom tests of the frame loop rely on these extents.
  for (View const* v : {&top, &front, &side}) {
    EXPECT_TRUE(v->ortho);
    EXPECT_EQ(v->width, 15.0f);
    EXPECT_EQ(v->aspectMode, 1);
    EXPECT_EQ(v->nearClip, 1.0f);
  }
  // Forward is the orientation's X axis, screen up its Z axis.
  expectAxis(top.basis.orient.xAxis(), 0, 0, -1, "top forward");
  expectAxis(top.basis.orient.zAxis(), 0, 1, 0, "top up");
  expectAxis(top.basis.pos, 0, 0, 15, "top position");
  expectAxis(front.basis.orient.xAxis(), 0, 1, 0, "front forward");
  expectAxis(front.basis.orient.zAxis(), 0, 0, 1, "front up");
  expectAxis(front.basis.pos, 0, -15, 0, "front position");
  expectAxis(side.basis.orient.xAxis(), 1, 0, 0, "side forward");
  expectAxis(side.basis.pos, -15, 0, 0, "side position");

  View const& main = b.views[Base::VIEW_MAIN];
  EXPECT_FALSE(main.ortho);

  EXPECT_EQ(b.viewports[Base::VP_FULL].view, &main);
  EXPECT_EQ(b.viewports[Base::VP_BOTTOM_RIGHT].view, &main);
  EXPECT_EQ(b.viewports[Base::VP_TOP_RIGHT].view, &side);
  EXPECT_EQ(b.viewports[Base::VP_TOP_LEFT].view, &front);
  EXPECT_EQ(b.viewports[Base::VP_BOTTOM_LEFT].view, &top);
  EXPECT_EQ(b.mainViewport, &b.viewports[Base::VP_FULL]);

  // The quarters scissor their clears to their own rectangles.
  for (int i = Base::VP_TOP_RIGHT; i <= Base::VP_BOTTOM_LEFT; ++i)
    EXPECT_TRUE(b.viewports[i].scissor) << i;
}
