// Drawing tests on a real offscreen GL context: glyph measuring from the
// project's font sheet, label colours, clipping, hidden subtrees, GL state.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "base/console.h"
#include "base/imagesystem.h"
#include "base/texture.h"
#include "menu/menu.h"
#include "testsupport/glcontext.h"

namespace {

using pwn::Vec2;

class MenuDraw : public ::testing::Test {
protected:
  static constexpr int S = 256;

  static void SetUpTestSuite() {
    ctx = new GLTestContext(S, S);
    ImageSystem::init();
    ASSERT_TRUE(font.load2D(RB_DATA_DIR "/font.bmp"));
  }
  static void TearDownTestSuite() {
    pwn::menuSys->shutdown();
    font.unload();
    con.font.reset();
    delete ctx;
    ctx = nullptr;
  }

  void SetUp() override {
    con.font = font;  // the menu system takes the console's font
    pwn::menuSys->init();
    root = pwn::menuSys->getRoot();
  }
  void TearDown() override { pwn::menuSys->shutdown(); }

  // Clears to transparent black and draws the GUI; returns the frame.
  std::vector<unsigned char> draw() {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    pwn::menuSys->display();
    return ctx->readPixels();
  }
  // The pixel at GUI point (x, y) (origin top left) of a read-back frame.
  static GLTestContext::RGBA at(std::vector<unsigned char> const& f, int x, int y) {
    std::size_t i = (static_cast<std::size_t>(S - 1 - y) * S + static_cast<std::size_t>(x)) * 4;
    return {f[i], f[i + 1], f[i + 2], f[i + 3]};
  }
  // Counts the pixels of a GUI rectangle that satisfy pred.
  template <class P>
  static int count(std::vector<unsigned char> const& f, int x0, int y0, int x1, int y1, P pred) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (pred(at(f, x, y))) ++n;
    return n;
  }

  static GLTestContext* ctx;
  static Texture font;
  pwn::Object* root = nullptr;
};

GLTestContext* MenuDraw::ctx = nullptr;
Texture MenuDraw::font;

using RGBA = GLTestContext::RGBA;
bool lit(RGBA p) { return p.r >= 8 || p.g >= 8 || p.b >= 8; }
bool red(RGBA p) { return p.r > 200 && p.g < 40 && p.b < 40; }
bool green(RGBA p) { return p.g > 200 && p.r < 40 && p.b < 40; }
bool blue(RGBA p) { return p.b > 200 && p.r < 40 && p.g < 40; }
bool white(RGBA p) { return p.r > 200 && p.g > 200 && p.b > 200; }
bool yellow(RGBA p) { return p.r > 200 && p.g > 200 && p.b < 40; }

// o filled with an ABGR colour, without a border.
template <class T>
T* filled(T* o, unsigned colour) {
  o->setBackgroundColor(colour);
  o->setBorderColor(0);
  return o;
}

TEST_F(MenuDraw, GlyphWidthsFromTheFontSheetAreSane) {
  pwn::FontTable const& t = pwn::menuSys->getFont();
  EXPECT_EQ(t.texture, font.id);
  // The space is fixed at 9 pixels of a 16-pixel cell.
  EXPECT_FLOAT_EQ(t.glyphs[0].start, 0.0f);
  EXPECT_FLOAT_EQ(t.glyphs[0].end, 9.0f / 16.0f);
  for (int c = '!'; c <= '~'; ++c) {
    auto const& g = t.glyphs[c - 32];
    EXPECT_GE(g.start, 0.0f) << char(c);
    EXPECT_LT(g.start, g.end) << char(c);
    EXPECT_LE(g.end, 1.0f) << char(c);
  }
  // Measured extents of this sheet: 'M' fills its cell from the second
  // column; punctuation is narrow.
  auto width = [&](char c) { return t.glyphs[c - 32].end - t.glyphs[c - 32].start; };
  EXPECT_FLOAT_EQ(t.glyphs['M' - 32].start, 1.0f / 16.0f);
  EXPECT_FLOAT_EQ(t.glyphs['M' - 32].end, 1.0f);
  EXPECT_LT(width('.'), width('M'));
  EXPECT_LT(width('\''), width('W'));
  EXPECT_LT(width('!'), width('m'));
}

TEST_F(MenuDraw, GlyphMeasuringOfASyntheticSheet) {
  // A 256 x 256 sheet, black except the cell of 'A' (row 2, column 1), lit in
  // columns 3 to 10 of the cell.
  std::vector<unsigned char> px(S * S * 4, 0);
  for (int y = 32; y < 48; ++y)
    for (int x = 16 + 3; x <= 16 + 10; ++x) px[(static_cast<std::size_t>(y) * S + x) * 4] = 255;
  GLuint tex = 0;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, S, S, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  pwn::fontTex.texture = tex;
  // Measuring leaves the caller's texture bound, also when it refuses the sheet.
  GLuint callers = 0;
  glGenTextures(1, &callers);
  auto stillBound = [callers] {
    GLint b = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &b);
    return static_cast<GLuint>(b) == callers;
  };
  glBindTexture(GL_TEXTURE_2D, callers);
  pwn::g_menuSys.calcFontWidths();
  EXPECT_TRUE(stillBound());
  EXPECT_FLOAT_EQ(pwn::fontTex.glyphs['A' - 32].start, 2.0f / 16.0f);
  EXPECT_FLOAT_EQ(pwn::fontTex.glyphs['A' - 32].end, 12.0f / 16.0f);
  // A cell with no lit pixel: left 15, right 1.
  EXPECT_FLOAT_EQ(pwn::fontTex.glyphs['B' - 32].start, 15.0f / 16.0f);
  EXPECT_FLOAT_EQ(pwn::fontTex.glyphs['B' - 32].end, 1.0f / 16.0f);

  // A sheet too small to hold 16 x 16 cells is refused and changes nothing.
  glBindTexture(GL_TEXTURE_2D, tex);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  glBindTexture(GL_TEXTURE_2D, callers);
  testing::internal::CaptureStdout();
  pwn::g_menuSys.calcFontWidths();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "glGetTexImage: font texture too small: w=8 h=8\n");
  EXPECT_TRUE(stillBound());
  EXPECT_FLOAT_EQ(pwn::fontTex.glyphs['A' - 32].end, 12.0f / 16.0f);

  // Without a texture every glyph is a whole cell.
  pwn::fontTex.texture = 0;
  pwn::g_menuSys.calcFontWidths();
  EXPECT_FLOAT_EQ(pwn::fontTex.glyphs['A' - 32].start, 0.0f);
  EXPECT_FLOAT_EQ(pwn::fontTex.glyphs['A' - 32].end, 1.0f);
  glDeleteTextures(1, &tex);
  glDeleteTextures(1, &callers);
}

TEST_F(MenuDraw, CheckboxLabelIsYellowWhenCheckedAndWhiteWhenNot) {
  pwn::Checkbox* box = new pwn::Checkbox(Vec2(20, 20), "MWMW", false);
  box->setFontSize(Vec2(16, 16));
  box->setSize(Vec2(100, 16));
  box->setBorderColor(0);
  root->addChild(box);

  auto f = draw();
  EXPECT_GT(count(f, 20, 20, 120, 36, white), 40);
  EXPECT_EQ(count(f, 20, 20, 120, 36, yellow), 0);
  // Nothing outside the label.
  EXPECT_EQ(count(f, 0, 40, S, S, lit), 0);

  box->setChecked(true);
  f = draw();
  EXPECT_GT(count(f, 20, 20, 120, 36, yellow), 40);
  EXPECT_EQ(count(f, 20, 20, 120, 36, white), 0);
}

TEST_F(MenuDraw, ChildOutsideItsParentIsClippedAndHiddenSubtreesDrawNothing) {
  pwn::Object* parent = filled(new pwn::Object(Vec2(50, 50), Vec2(40, 40)), 0xFF0000FFu);  // red
  pwn::Object* child = filled(new pwn::Object(Vec2(30, 10), Vec2(30, 20)), 0xFF00FF00u);   // green
  pwn::Object* far = new pwn::Object(Vec2(100, 0), Vec2(10, 10));  // wholly outside
  far->setBackgroundColor(0xFFFF0000u);                            // blue
  root->addChild(parent);
  parent->addChild(child);
  parent->addChild(far);

  auto f = draw();
  EXPECT_TRUE(red(at(f, 55, 55)));
  EXPECT_TRUE(green(at(f, 85, 70)));
  // The child's part beyond the parent's right edge (x 90) is cut off.
  EXPECT_EQ(count(f, 90, 0, S, S, lit), 0);
  EXPECT_EQ(count(f, 0, 0, S, S, blue), 0);
  EXPECT_EQ(count(f, 80, 60, 90, 80, green), 10 * 20);
  // Every visited object counts, the culled one too.
  EXPECT_EQ(static_cast<int>(pwn::menuCount), 4);

  // Hiding the parent hides its visible children as well.
  parent->setVisible(false);
  f = draw();
  EXPECT_EQ(count(f, 0, 0, S, S, lit), 0);
}

TEST_F(MenuDraw, ScrollAreaKeepsItsContentInside) {
  pwn::ScrollContainer* content = filled(new pwn::ScrollContainer(Vec2(0, 0), Vec2(200, 200)), 0xFF0000FFu);
  content->addChild(filled(new pwn::Object(Vec2(50, 10), Vec2(100, 20)), 0xFF00FF00u));  // green over red
  pwn::ScrollArea* area = new pwn::ScrollArea(Vec2(20, 20), Vec2(60, 40), content);
  area->setBorderColor(0);
  root->addChild(area);
  area->hBar->setSliderPos(30, false);  // content moves 30 to the left

  auto f = draw();
  EXPECT_TRUE(red(at(f, 25, 25)));
  // The green child, scrolled to x 20 of the area, reaches its right edge and
  // no further.
  EXPECT_TRUE(green(at(f, 45, 35)));
  EXPECT_TRUE(green(at(f, 75, 35)));
  // Nothing outside the area's rectangle (20, 20)-(80, 60); the bars'
  // outlines run along its edges, and a one-pixel line may light the pixel
  // row just beyond the edge it lies on, so those rows are left out.
  EXPECT_EQ(count(f, 81, 0, S, S, lit), 0);
  EXPECT_EQ(count(f, 0, 61, S, S, lit), 0);
  EXPECT_EQ(count(f, 0, 0, 19, S, lit), 0);
  EXPECT_EQ(count(f, 0, 0, S, 19, lit), 0);
  EXPECT_EQ(count(f, 81, 0, S, S, green), 0);
  EXPECT_EQ(count(f, 0, 0, 20, S, red), 0);
  // The bars are drawn over the content along the bottom and right edges.
  EXPECT_FALSE(red(at(f, 40, 59)));
  EXPECT_FALSE(red(at(f, 79, 40)));
  EXPECT_TRUE(lit(at(f, 40, 59)));
}

TEST_F(MenuDraw, OpenMenuDrawsOutsideItsBar) {
  root->setScale(Vec2(8, 8));  // 32 x 32 units
  pwn::SubMenu* sub = new pwn::SubMenu(nullptr, new pwn::SubMenuEntry("Open", 1, nullptr, Vec2(0, 0)),
                                       new pwn::SubMenuEntry("Quit", 2, nullptr, Vec2(0, 0)),
                                       static_cast<pwn::SubMenuEntry*>(nullptr));
  filled(sub, 0xFFFF0000u)->setSize(Vec2(10, 2));  // blue, wider than its items' text
  pwn::BaseMenu* bar = new pwn::BaseMenu(Vec2(2, 2));
  bar->setBorderColor(0);
  root->addChild(bar);
  pwn::BaseMenuEntry* file = new pwn::BaseMenuEntry("File", sub, root);
  bar->addChild(file);
  auto f = draw();
  EXPECT_EQ(count(f, 0, 0, S, S, blue), 0);  // closed

  bar->mouseChild = file;
  bar->mouseEvent(pwn::MouseEvent(pwn::MouseEvent::primaryPressed), Vec2(0.5f, 0.5f));
  ASSERT_TRUE(sub->getVisible());
  f = draw();
  // The menu lies under the label, from (2, 3) to (12, 5) units, outside the
  // one-unit-high bar; its items' text covers part of it.
  EXPECT_GT(count(f, 16, 24, 96, 40, blue), 500);
  EXPECT_EQ(count(f, 0, 0, S, 24, blue), 0);
  EXPECT_EQ(count(f, 0, 40, S, S, blue), 0);
  EXPECT_EQ(count(f, 96, 0, S, S, blue), 0);
  // The label's text is drawn in the bar.
  EXPECT_GT(count(f, 16, 16, 56, 24, white), 10);
}

TEST_F(MenuDraw, DrawingLeavesTheCallersStateAsItWas) {
  pwn::Object* o = new pwn::Object(Vec2(10, 10), Vec2(20, 20));
  root->addChild(o);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_TEXTURE);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  draw();
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_TEXTURE);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0));
  GLfloat proj[16];
  glGetFloatv(GL_PROJECTION_MATRIX, proj);
  EXPECT_FLOAT_EQ(proj[0], 1.0f);
  EXPECT_FLOAT_EQ(proj[5], 1.0f);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_DEPTH_TEST);
  // The root follows the window.
  EXPECT_EQ(pwn::menuSys->getSize(), Vec2(S, S));
}

}  // namespace
