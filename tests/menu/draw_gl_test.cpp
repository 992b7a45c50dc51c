// Menu drawing read back pixel by pixel: boxes, outlines, glyphs, clipping, GL state, glyph measuring.
#include <GL/gl.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "base/console.h"
#include "menu/menu.h"
#include "testsupport/glfixture.h"

namespace {

using pwn::Vec2;

// An RGBA texture with nearest filtering, left unbound.
GLuint upload(int w, int h, std::vector<unsigned char> const& px) {
  GLuint tex = 0;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  for (GLenum filter : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER}) glTexParameteri(GL_TEXTURE_2D, filter, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return tex;
}

class MenuDraw : public GLTest {
protected:
  static constexpr int S = 128;  // the context's size
  void SetUp() override {
    pwn::menuSys->init();
    root = pwn::menuSys->getRoot();
    // A sheet whose texel (x, y) is (x, y, 255, 255): a drawn pixel names the texel it shows.
    std::vector<unsigned char> px(256 * 256 * 4, 255);
    for (std::size_t i = 0; i < 256 * 256; ++i) px[i * 4] = i & 255, px[i * 4 + 1] = static_cast<unsigned char>(i >> 8);
    sheet = upload(256, 256, px);
  }
  void TearDown() override {
    pwn::menuSys->shutdown();  // the next init takes the (empty) console font again
    glDeleteTextures(1, &sheet);
    GLTest::TearDown();
  }
  // Clears to transparent black, draws the GUI and reads the frame back.
  void draw() {
    glClear(GL_COLOR_BUFFER_BIT);
    pwn::menuSys->display();
    frame = ctx->readPixels();
  }
  // The pixel at GUI point (x, y), origin top left, as 0xAABBGGRR.
  unsigned at(int x, int y) const {
    unsigned char const* p = &frame[(static_cast<std::size_t>(S - 1 - y) * S + static_cast<std::size_t>(x)) * 4];
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<unsigned>(p[3]) << 24;
  }
  // How many pixels of the rectangle [x0, x1) x [y0, y1) are `colour`.
  int count(unsigned colour, int x0 = 0, int y0 = 0, int x1 = S, int y1 = S) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += at(x, y) == colour;
    return n;
  }
  // An object with a background (textured when `tex`), no border, under `parent`.
  pwn::Object* box(Vec2 pos, Vec2 size, unsigned colour, pwn::Object* parent = nullptr, GLuint tex = 0) {
    pwn::Object* o = new pwn::Object(pos, size);
    o->setBackgroundColor(colour);
    o->setBorderColor(0);
    o->setTextureID(static_cast<int>(tex));
    (parent ? parent : root)->addChild(o);
    return o;
  }
  pwn::Object* root = nullptr;
  GLuint sheet = 0;
  std::vector<unsigned char> frame;
};

unsigned const white = 0xFFFFFFFFu, red = 0xFF0000FFu, green = 0xFF00FF00u, blue = 0xFFFF0000u;
// The sheet's texel (x, y) as drawn in white.
unsigned texel(int x, int y) { return 0xFFFF0000u | static_cast<unsigned>(y) << 8 | static_cast<unsigned>(x); }

// Boxes fill their pixels in their colour or texture (texel 4x + 2 at pixel x
// of a 4:1 reduction); an outline covers the outermost ring, corners included.
TEST_F(MenuDraw, RectanglesAndOutlines) {
  root->setScale(Vec2(4, 4));
  box(Vec2(1, 3), Vec2(7, 4), white, nullptr, sheet)->setBorderColor(red);  // pixels (4, 12) to (32, 28)
  box(Vec2(16, 16), Vec2(16, 16), white, nullptr, sheet);
  box(Vec2(0, 0), Vec2(2.5f, 1.25f), 0xFF336699u);  // untextured after a textured one
  box(Vec2(5, 1), Vec2(1, 1), 0x00FFFFFFu);         // alpha 0: not drawn
  draw();
  EXPECT_EQ(count(0xFF336699u, 0, 0, 10, 5), 50);
  EXPECT_EQ(count(0, 0, 0, 64, 12), 64 * 12 - 50);
  for (int y : {0, 1, 62, 63})
    for (int x : {0, 1, 62, 63}) EXPECT_EQ(at(64 + x, 64 + y), texel(4 * x + 2, 4 * y + 2)) << x << ' ' << y;
  // the whole ring and nothing else, none inside it
  EXPECT_TRUE(count(red, 5, 13, 31, 27) == 0 && count(red, 4, 12, 32, 28) == 2 * 28 + 2 * 14 && count(red) == 2 * 28 + 2 * 14);
}

// Children draw inside their parent, shifted by its content offset; one wholly
// outside (touching is outside) is visited but its subtree is not.
TEST_F(MenuDraw, ChildrenAreClippedToTheirParentAndCulledOutsideIt) {
  pwn::Object* parent = box(Vec2(40, 40), Vec2(40, 40), red);
  parent->contentOffset = Vec2(10, 10);  // its content shows from (10, 10) to (50, 50)
  box(Vec2(0, 0), Vec2(60, 60), green, parent);
  box(Vec2(0, 0), Vec2(1, 1), 0, box(Vec2(49, 49), Vec2(10, 10), blue, parent));  // shows one pixel
  for (Vec2 outside : {Vec2(50, 10), Vec2(0, 10), Vec2(10, 50), Vec2(10, 0)})
    box(Vec2(0, 0), Vec2(1, 1), 0, box(outside, Vec2(10, 10), blue, parent));
  draw();
  EXPECT_EQ(at(79, 79), blue);
  EXPECT_EQ(count(green, 40, 40, 80, 80), 40 * 40 - 1);
  EXPECT_EQ(count(0), S * S - 40 * 40);
  EXPECT_EQ(static_cast<int>(pwn::menuCount), 9);  // all but the culled ones' children
  parent->setVisible(false);
  draw();
  EXPECT_EQ(count(0), S * S);
}

// The pass sets up its own state and gives the caller's back.
TEST_F(MenuDraw, DrawingSetsUpItsOwnStateAndRestoresTheCallers) {
  box(Vec2(10, 10), Vec2(20, 20), 0x80FFFFFFu);
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glScalef(0.5f, 0.5f, 1);
  for (GLenum cap : {GL_DEPTH_TEST, GL_CULL_FACE}) glEnable(cap);
  glDepthFunc(GL_NEVER);
  glBlendFunc(GL_ZERO, GL_ZERO);
  glCullFace(GL_FRONT_AND_BACK);
  draw();
  unsigned const grey = at(10, 10), level = grey & 255;  // half-transparent white over black
  EXPECT_TRUE(level >= 126 && level <= 130 && (grey & 0xFFFFFF) == level * 0x010101u) << std::hex << grey;
  EXPECT_EQ(count(grey, 10, 10, 30, 30), 400);
  GLfloat proj[16];
  glGetFloatv(GL_PROJECTION_MATRIX, proj);
  EXPECT_TRUE(proj[0] == 0.5f && glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_CULL_FACE) && !glIsEnabled(GL_BLEND));
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

// A glyph runs from one column left of its leftmost lit one to one past its
// rightmost, the space 9/16; a sheet under 16 x 16 is refused.
TEST_F(MenuDraw, GlyphMeasuringFindsTheLitColumnsOfEachCell) {
  std::vector<unsigned char> px(256 * 256 * 4, 0);
  for (int x = 16 + 3; x <= 16 + 10; ++x) px[((32 + 15) * 256 + x) * 4] = 255;  // 'A': columns 3 to 10
  px[(48 * 256 + 48) * 4] = 255;                                                 // 'S': column 0
  GLuint font = pwn::fontTex.texture = upload(256, 256, px);
  pwn::g_menuSys.calcFontWidths();
  for (auto [c, start, end] : {std::tuple{' ', 0, 9}, {'A', 2, 12}, {'S', 0, 2}})
    EXPECT_TRUE(pwn::fontTex.glyph(c).start == start / 16.0f && pwn::fontTex.glyph(c).end == end / 16.0f) << c;
  glDeleteTextures(1, &font);
  font = pwn::fontTex.texture = upload(8, 16, px);
  testing::internal::CaptureStdout();
  pwn::g_menuSys.calcFontWidths();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "glGetTexImage: font texture too small: w=8 h=16\n");
  EXPECT_EQ(pwn::fontTex.glyph('A').end, 12 / 16.0f);
  glDeleteTextures(1, &font);  // no sheet at all: LabelsFollowTheConsoleFont, after the console's shutdown
}

// The GUI draws with the console's font as it is now. Loading the file in use
// again deletes the texture the labels were drawn with: they look as before.
// Another sheet shows at once, its glyphs measured again.
TEST_F(MenuDraw, LabelsFollowTheConsoleFont) {
  auto exec = [](std::string const& line) {
    testing::internal::CaptureStdout();
    cvarInterpreter.exec(("ConsoleFont " + line).c_str());
    return testing::internal::GetCapturedStdout();
  };
  cvarRegistry()->init();
  ASSERT_EQ(exec(RB_DATA_DIR "/font.bmp"), "");
  root->setScale(Vec2(16, 16));  // one glyph cell is 16 x 16 pixels, a texel each
  pwn::Checkbox* label = new pwn::Checkbox(Vec2(1, 1), "AB", false);
  label->setBorderColor(0);
  root->addChild(label);
  draw();
  std::vector<unsigned char> const before = frame;
  ASSERT_GT(count(0xFF000000u, 16, 16, 48, 32), 0);  // the sheet's dark texels, not a white bar
  EXPECT_EQ(exec(RB_DATA_DIR "/font.bmp"), "");
  draw();
  EXPECT_TRUE(frame == before);

  // Texel (u, v) is (255 in columns 3 to 10 of its cell, else 0; v; u).
  auto lit = [](unsigned u) { return u % 16 >= 3 && u % 16 <= 10 ? 255u : 0u; };
  std::string const cells = testing::TempDir() + "cells.ppm";
  std::ofstream out(cells, std::ios::binary);
  out << "P6\n256 256\n255\n";
  for (unsigned v = 0; v < 256; ++v)
    for (unsigned u = 0; u < 256; ++u) out << char(lit(u)) << char(v) << char(u);
  out.close();
  EXPECT_EQ(exec(cells), "");
  draw();
  // Measured again: A from column 2 of cell (1, 2), ten texels wide; B right after it.
  for (auto [x0, u0] : {std::pair{16u, 18u}, {26u, 34u}})
    for (unsigned y = 0; y < 16; ++y)
      for (unsigned x = 0; x < 10; ++x)
        for (unsigned c = 0, px = at(int(x0 + x), int(16 + y)), want[3] = {lit(u0 + x), 32 + y, u0 + x}; c < 3; ++c)
          ASSERT_LE(std::abs(int(px >> (8 * c) & 255) - int(want[c])), 1) << x0 + x << ' ' << y;
  con.shutdown();  // the GUI goes back to plain cells
  draw();
  EXPECT_TRUE(pwn::fontTex.glyph('A').start == 0 && pwn::fontTex.glyph('A').end == 1);
}

}  // namespace
