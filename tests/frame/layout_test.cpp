// Viewport rectangles for odd window sizes, the viewport under a pixel, the toggle.
#include <gtest/gtest.h>

#include "base/base.h"

typedef _box<2, int> R;
typedef _vec<2, int> P;

// In viewport order: full, top right, top left, bottom right, bottom left. The
// quarters are integer halves, so an odd size leaves the last column and row
// to no quarter; a minimised window keeps one-pixel viewports.
TEST(Layout, ResizeRectangles) {
  struct Row { int w, h; R vp[Base::NUM_VIEWPORTS]; } const rows[] = {
      {801, 601, {R(0, 0, 801, 601), R(400, 300, 800, 600), R(0, 300, 400, 600), R(400, 0, 800, 300),
                  R(0, 0, 400, 300)}},
      {3, 1, {R(0, 0, 3, 1), R(1, 0, 2, 1), R(0, 0, 1, 1), R(1, 0, 2, 1), R(0, 0, 1, 1)}},
      {0, 0, {R(0, 0, 1, 1), R(0, 0, 1, 1), R(0, 0, 1, 1), R(0, 0, 1, 1), R(0, 0, 1, 1)}}};
  Base b;
  for (Row const& r : rows) {
    b.resizeViewports(r.w, r.h);
    for (int i = 0; i < Base::NUM_VIEWPORTS; ++i) EXPECT_EQ(b.viewports[i].rect, r.vp[i]) << r.w << " " << i;
  }
}

// Edges belong to every viewport they bound; the last in the list wins. A list
// of one quarter is not the single layout: the toggle goes to that.
TEST(Layout, TopViewportAtAPixelAndToggle) {
  Base b;
  b.initViewports();
  b.resizeViewports(800, 600);
  struct Row { P p; int single, four; } const rows[] = {
      {P(400, 300), Base::VP_FULL, Base::VP_BOTTOM_RIGHT}, {P(400, 450), Base::VP_FULL, Base::VP_TOP_RIGHT},
      {P(0, 0), Base::VP_FULL, Base::VP_BOTTOM_LEFT},      {P(800, 600), Base::VP_FULL, Base::VP_TOP_RIGHT},
      {P(801, 600), -1, -1}, {P(300, -1), -1, -1}, {P(-1, 10), -1, -1}, {P(10, 601), -1, -1}};
  for (int layout = 0; layout < 2; ++layout, b.restoreViewports())
    for (Row const& r : rows) {
      int const want = layout ? r.four : r.single;
      EXPECT_EQ(b.getTopViewAt(r.p), want < 0 ? nullptr : &b.viewports[want]) << r.p.x << ", " << r.p.y;
    }
  b.activeViewports.assign(1, &b.viewports[Base::VP_TOP_RIGHT]);
  EXPECT_FALSE(b.isFullscreen());
  b.restoreViewports();
  EXPECT_TRUE(b.isFullscreen());
}
