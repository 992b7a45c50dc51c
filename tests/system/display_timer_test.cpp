// Display size rules over frames, and the wall-clock timer.
#include <gtest/gtest.h>

#include <unistd.h>

#include "system/display.h"
#include "system/timer.h"

typedef _vec<2, int> vec2i;

TEST(Display, ResizeBecomesCurrentAtNextUpdate) {
  Display d;
  EXPECT_EQ(d.getSize(), vec2i(0, 0));
  EXPECT_FALSE(d.sizeHasChanged());

  // The frame after the window opened reports a change from 0 by 0.
  d.resize(720, 480);
  EXPECT_EQ(d.getSize(), vec2i(0, 0));
  d.update();
  EXPECT_EQ(d.getSize(), vec2i(720, 480));
  EXPECT_TRUE(d.sizeHasChanged());
  d.update();
  EXPECT_FALSE(d.sizeHasChanged());

  // Two reports before one update: only the second becomes current.
  d.resize(100, 200);
  d.resize(300, 150);
  d.update();
  EXPECT_EQ(d.getSize(), vec2i(300, 150));
  EXPECT_TRUE(d.sizeHasChanged());

  // A change in one dimension alone counts.
  d.resize(300, 151);
  d.update();
  EXPECT_TRUE(d.sizeHasChanged());
  d.update();
  EXPECT_FALSE(d.sizeHasChanged());

  // Resized to the size it already had: no change.
  d.resize(300, 151);
  d.update();
  EXPECT_FALSE(d.sizeHasChanged());

  // reset() forgets the current, old and pending sizes.
  d.reset();
  EXPECT_EQ(d.getSize(), vec2i(0, 0));
  d.update();
  EXPECT_EQ(d.getSize(), vec2i(0, 0));
  EXPECT_FALSE(d.sizeHasChanged());
}

TEST(Timer, SecondsSinceInit) {
  LinuxHiResTimer t;
  t.init();
  double t0 = t.getTime();
  EXPECT_GE(t0, 0.0);
  EXPECT_LT(t0, 0.05);

  usleep(30000);
  double t1 = t.getTime();
  EXPECT_GE(t1, 0.03);
  EXPECT_LT(t1, 2.0);

  // Microsecond resolution: the first visible step is far below a millisecond.
  double a = t.getTime(), b = a;
  for (int i = 0; i < 1000000 && b == a; ++i) b = t.getTime();
  EXPECT_GT(b, a);
  EXPECT_LT(b - a, 0.001);

  // Starting again resets time 0.
  t.init();
  EXPECT_LT(t.getTime(), 0.01);
}
