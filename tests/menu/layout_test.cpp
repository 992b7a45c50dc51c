// Tests of the widget base and text layout that need no screen: tree moves,
// size clamping and listeners, relative positions, measuring and word wrap.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "menu/menu.h"

namespace {

using pwn::Vec2;

float const inf = std::numeric_limits<float>::infinity();

struct CountingListener : pwn::ResizeListener {
  void onResize(pwn::Object* o) override {
    ++calls;
    last = o;
  }
  int calls = 0;
  pwn::Object* last = nullptr;
};

class Layout : public ::testing::Test {
protected:
  void SetUp() override { pwn::fontTex.resetGlyphs(); }
  void TearDown() override {
    pwn::fontTex.resetGlyphs();
    gc::sys->collect();
  }
  Vec2 measure(const char* text, Vec2 box, Vec2 font = Vec2(1, 1)) {
    return pwn::doMenuDisplayText(Vec2(0, 0), box, text, 0, font, false);
  }
};

TEST_F(Layout, SetSizeClampsAndNotifiesOnlyOnRealChanges) {
  gc::GlobalPointer<pwn::Object> o(new pwn::Object(Vec2(0, 0), Vec2(-3, 4)));
  EXPECT_EQ(o->getSize(), Vec2(0, 4));
  CountingListener a, b;
  o->addResizeListener(&a);
  o->addResizeListener(&b);
  o->setSize(Vec2(5, 6));
  o->setSize(Vec2(5, 6));
  EXPECT_EQ(a.calls, 1);
  EXPECT_EQ(b.calls, 1);
  EXPECT_EQ(a.last, o.get());
  o->setSize(Vec2(5, -1));
  EXPECT_EQ(o->getSize(), Vec2(5, 0));
  EXPECT_EQ(a.calls, 2);
  o->removeResizeListener(&a);
  o->setSize(Vec2(1, 1));
  EXPECT_EQ(a.calls, 2);
  EXPECT_EQ(b.calls, 3);
}

TEST_F(Layout, AddChildMovesBetweenParentsAndAppendsOnTop) {
  gc::GlobalPointer<pwn::Object> p1(new pwn::Object(Vec2(0, 0), Vec2(10, 10))),
      p2(new pwn::Object(Vec2(0, 0), Vec2(10, 10)));
  pwn::Object *a = new pwn::Object(Vec2(0, 0), Vec2(1, 1)), *b = new pwn::Object(Vec2(0, 0), Vec2(1, 1));
  p1->addChild(a);
  p1->addChild(b);
  p2->addChild(new pwn::Object(Vec2(0, 0), Vec2(1, 1)));
  EXPECT_EQ(p1->indexOfChild(a), 0);
  EXPECT_EQ(p1->indexOfChild(b), 1);
  p2->addChild(a);
  EXPECT_EQ(p1->indexOfChild(a), -1);
  EXPECT_EQ(p1->children.size(), 1u);
  EXPECT_EQ(p2->indexOfChild(a), 1);  // at the back, drawn on top
  EXPECT_EQ(a->parent.get(), p2.get());
  EXPECT_EQ(p2->indexOfChild(p1.get()), -1);
  // Children live through their parent's list only.
  gc::sys->collect();
  EXPECT_EQ(p2->children.size(), 2u);
  EXPECT_EQ(p1->children.size(), 1u);
}

TEST_F(Layout, UnlinkingAStrayChildReportsAndStillClearsTheParent) {
  gc::GlobalPointer<pwn::Object> p(new pwn::Object(Vec2(0, 0), Vec2(10, 10)));
  gc::GlobalPointer<pwn::Object> c(new pwn::Object(Vec2(0, 0), Vec2(1, 1)));
  c->parent = p.get();  // claims a parent that does not list it
  for (char const* expect : {"tried to unlik a child when it wasn't a part of its parent to begin with\n",
                             ""}) {  // the second time it is detached: silent
    testing::internal::CaptureStderr();
    c->unlinkFromParent();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expect);
    EXPECT_EQ(c->parent.get(), nullptr);
  }
}

TEST_F(Layout, RelativePositionSumsPositionsMinusContentOffsets) {
  gc::GlobalPointer<pwn::Object> top(new pwn::Object(Vec2(100, 100), Vec2(50, 50)));
  pwn::Object* mid = new pwn::Object(Vec2(10, 20), Vec2(30, 30));
  pwn::Object* leaf = new pwn::Object(Vec2(1, 2), Vec2(3, 3));
  top->addChild(mid);
  mid->addChild(leaf);
  mid->contentOffset = Vec2(0, 5);
  EXPECT_EQ(leaf->getRelPos(mid), Vec2(1, 2));
  EXPECT_EQ(leaf->getRelPos(top.get()), Vec2(11, 17));
  // Without the ancestor on the way up, the walk ends at the top object.
  EXPECT_EQ(leaf->getRelPos(nullptr), Vec2(111, 117));
  mid->scale = Vec2(2, 2);  // scales are not applied
  EXPECT_EQ(leaf->getRelPos(top.get()), Vec2(11, 17));
}

TEST_F(Layout, AddingANullChildIsABrokenInvariant) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        pwn::Object o(Vec2(0, 0), Vec2(1, 1));
        o.addChild(nullptr);
      },
      "libs/menu/src/object/object.cpp:[0-9]+: failed assertion `add'");
}

// Laid-out sizes with the default table (monospaced, one cell per glyph).
// Line ends are CR LF, LF or a lone CR; the box height drops the rest of the
// text. Of several separators only the last before a word turns into a break
// (the others stay on the line and count in its width), any control code may
// break, a word is never split, and the test is word + pen x + 1 >= box width.
TEST_F(Layout, LineBreaksAndWordWrap) {
  struct {
    char const* text;
    Vec2 box, font, size;
  } cases[] = {
      {"", Vec2(inf, inf), Vec2(2, 3), Vec2(0, 3)},
      {"a\r\nb", Vec2(inf, inf), Vec2(1, 1), Vec2(1, 2)},
      {"a\n\rb", Vec2(inf, inf), Vec2(1, 1), Vec2(1, 3)},
      {"ab\ncde\n", Vec2(inf, inf), Vec2(2, 1), Vec2(6, 3)},
      {"a\nbbbb\nc", Vec2(inf, 1.5f), Vec2(1, 1), Vec2(4, 3)},
      {"abcd", Vec2(inf, inf), Vec2(2, 1), Vec2(8, 1)},
      {"aaaa   bbbb", Vec2(8, inf), Vec2(1, 1), Vec2(6, 2)},
      {"aa bb", Vec2(5.5f, inf), Vec2(1, 1), Vec2(5, 1)},
      {"aa bb", Vec2(5, inf), Vec2(1, 1), Vec2(2, 2)},
      {"ab\tcd", Vec2(4, inf), Vec2(1, 1), Vec2(2, 2)},
      {"abcdefgh ij", Vec2(4, inf), Vec2(1, 1), Vec2(8, 2)},
  };
  for (auto const& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << "\" in " << c.box.x << " x " << c.box.y);
    EXPECT_EQ(measure(c.text, c.box, c.font), c.size);
  }
}

TEST_F(Layout, WidthCountsGlyphExtentsFromTheCellEdge) {
  pwn::fontTex.glyphs['a' - 32] = {0.25f, 0.75f};
  EXPECT_FLOAT_EQ(measure("a", Vec2(inf, inf)).x, 0.75f);
  EXPECT_FLOAT_EQ(measure("aa", Vec2(inf, inf)).x, 1.25f);
  EXPECT_FLOAT_EQ(measure("aa", Vec2(inf, inf), Vec2(4, 1)).x, 5.0f);
  // The word measure uses visible widths: "x aa" wraps only when 1 + 1 + 1 >= box.
  EXPECT_EQ(measure("x aa", Vec2(3.5f, inf)).y, 1.0f);
  EXPECT_EQ(measure("x aa", Vec2(3, inf)).y, 2.0f);
  // Codes of 224 and above take the extents of entry (n - 32) mod 192.
  pwn::fontTex.glyphs[0] = {0.0f, 0.5f};
  pwn::fontTex.glyphs[1] = {0.0f, 0.25f};
  EXPECT_FLOAT_EQ(measure("\xE0", Vec2(inf, inf)).x, 0.5f);
  EXPECT_FLOAT_EQ(measure("\xE1", Vec2(inf, inf)).x, 0.25f);
  // Control codes are drawn as spaces.
  EXPECT_FLOAT_EQ(measure("\x01", Vec2(inf, inf)).x, 0.5f);
}

// Transparent text is not laid out when drawn; text sizes count one more space.
TEST_F(Layout, TransparentTextAndTextSize) {
  EXPECT_EQ(pwn::doMenuDisplayText(Vec2(0, 0), Vec2(inf, inf), "abc", 0x00FFFFFF, Vec2(1, 1), true), Vec2(0, 0));
  EXPECT_EQ(pwn::menuTextSize("ab", Vec2(inf, inf), Vec2(1, 1)), Vec2(3, 1));
  EXPECT_EQ(pwn::menuTextSize("", Vec2(inf, inf), Vec2(2, 2)), Vec2(2, 2));
  // A label is measured once, at the default font size.
  gc::GlobalPointer<pwn::Text> t(new pwn::Text(Vec2(1, 2), "Parallax"));
  EXPECT_EQ(t->getSize(), Vec2(9, 1));
  t->setFontSize(Vec2(3, 3));
  EXPECT_EQ(t->getSize(), Vec2(9, 1));
}

}  // namespace
