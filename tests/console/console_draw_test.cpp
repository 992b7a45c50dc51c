// Drawing the console into an offscreen frame: glyphs from the font sheet in
// the cells the rows say, wrapping, idle visibility, opening animations and
// the GL state left behind.
#include <GL/gl.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/console.h"
#include "base/image.h"
#include "base/imagesystem.h"
#include "base/texturesystem.h"
#include "gtest/gtest.h"
#include "system/glext.h"
#include "testsupport/glcontext.h"

namespace {
// 640 x 400 pixels for an 80 x 50 grid: every cell is 8 x 8 pixels.
constexpr int W = 640, H = 400, cellPx = 8;

class ConsoleDraw : public testing::Test {
protected:
  static void SetUpTestSuite() {
    ctx = new GLTestContext(W, H);
    ImageSystem::init();
    TextureSystem::init();
    init_ext();
    cvarRegistry()->init();
    // The font is found as "font.bmp" in the working folder.
    ASSERT_EQ(chdir(RB_DATA_DIR), 0);
    con.init(80, 50);
    font = ImageSystem::load("font.bmp");
  }
  static void TearDownTestSuite() {
    con.shutdown();
    if (font) font->unload();
    delete font;
    delete ctx;
  }
  void SetUp() override {
    ASSERT_NE(con.font.id, 0u);
    if (con.isVisible()) con.toggle();
    con.setIdleVisible(false);
    setting("droptype", "0");
    setting("droptime", "0.5");
    clearText();
  }
  void TearDown() override { EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)); }

  // Runs the "Console" command's settings quietly.
  static void setting(char const* name, char const* value) {
    std::string a = "Console", b = name, c = value;
    char* argv[3] = {&a[0], &b[0], &c[0]};
    testing::internal::CaptureStdout();
    con.setInfo(3, argv);
    testing::internal::GetCapturedStdout();
  }
  // Newlines never show, so a buffer full of them draws no text row.
  static void clearText() { add(std::string(Console::textSize - 1, '\n')); }
  static void add(std::string const& s) {
    testing::internal::CaptureStdout();
    con.addString(s.c_str());
    testing::internal::GetCapturedStdout();
  }
  static void openAnimated() {
    if (con.isVisible()) con.keyDown('`');
    con.keyDown('`');
  }

  // A frame of the scene colour with the console drawn over it (or not).
  std::vector<unsigned char> draw(bool console = true) {
    glViewport(0, 0, W, H);
    glClearColor(0.0f, 0.0f, 0.4f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (console) con.display();
    return ctx->readPixels();
  }
  // Red channel of a pixel, x from the left, y counted from the top.
  static int red(std::vector<unsigned char> const& f, int x, int yTop) {
    return f[(static_cast<size_t>(H - 1 - yTop) * W + x) * 4];
  }
  // Pixels of a grid cell (row counted from the top) whose red shows a glyph.
  static int lit(std::vector<unsigned char> const& f, int col, int row) {
    int n = 0;
    for (int y = 0; y < cellPx; ++y)
      for (int x = 0; x < cellPx; ++x) n += red(f, col * cellPx + x, row * cellPx + y) > 96;
    return n;
  }
  // Lit cells of a row, as a string of '#' and '.'.
  static std::string rowPattern(std::vector<unsigned char> const& f, int row, int cols) {
    std::string s;
    for (int c = 0; c < cols; ++c) s += lit(f, c, row) ? '#' : '.';
    return s;
  }
  // Correlation between a drawn cell and the font's glyph cell of code,
  // sampled down to the cell's pixels.
  static double glyphMatch(std::vector<unsigned char> const& f, int col, int row, int code) {
    int const gx = (code & 15) * 16, gy = ((code >> 4) - 2) * 16;
    double n = 0, sa = 0, sb = 0, sab = 0, saa = 0, sbb = 0;
    for (int y = 0; y < cellPx; ++y)
      for (int x = 0; x < cellPx; ++x) {
        auto at = [&](int dx, int dy) {
          return font->data[((gy + y * 2 + dy) * 256 + gx + x * 2 + dx) * 3];
        };
        double a = at(0, 0) + at(1, 0) + at(0, 1) + at(1, 1);
        double b = red(f, col * cellPx + x, row * cellPx + y);
        n += 1, sa += a, sb += b, sab += a * b, saa += a * a, sbb += b * b;
      }
    double cab = sab - sa * sb / n, caa = saa - sa * sa / n, cbb = sbb - sb * sb / n;
    return caa > 0 && cbb > 0 ? cab / std::sqrt(caa * cbb) : 0;
  }

  static inline GLTestContext* ctx = nullptr;
  static inline Image* font = nullptr;
};
}  // namespace

TEST_F(ConsoleDraw, NothingIsDrawnWhenClosedAndNotIdleVisible) {
  add("some text\n");
  EXPECT_EQ(draw(), draw(false));
}

TEST_F(ConsoleDraw, TextAppearsInTheRowsAboveTheInputLineWithTheFontsGlyphs) {
  add("older line\nHO#  x\n");
  con.toggle();
  std::vector<unsigned char> f = draw();
  // Input row 49: the prompt alone.
  EXPECT_EQ(rowPattern(f, 49, 4), "#...");
  EXPECT_GT(glyphMatch(f, 0, 49, ']'), 0.8);
  // Newest line right above it; spaces stay dark.
  EXPECT_EQ(rowPattern(f, 48, 8), "###..#..");
  EXPECT_GT(glyphMatch(f, 0, 48, 'H'), 0.8);
  EXPECT_GT(glyphMatch(f, 1, 48, 'O'), 0.8);
  EXPECT_GT(glyphMatch(f, 2, 48, '#'), 0.8);
  EXPECT_LT(glyphMatch(f, 0, 48, 'O'), glyphMatch(f, 0, 48, 'H'));
  EXPECT_EQ(rowPattern(f, 47, 12), "#####.####..");
  EXPECT_EQ(rowPattern(f, 46, 80), std::string(80, '.'));
  // Nothing at the top of the window.
  EXPECT_EQ(rowPattern(f, 0, 80), std::string(80, '.'));

  // Typed input shows after the prompt.
  con.keyDown('a');
  con.keyDown('b');
  f = draw();
  EXPECT_EQ(rowPattern(f, 49, 4), "###.");
  EXPECT_GT(glyphMatch(f, 2, 49, 'b'), 0.8);
  con.clearInput();
}

TEST_F(ConsoleDraw, LongLinesWrapWithTheirLastRowAtTheBottom) {
  add(std::string(200, '#') + "\n\n\n");
  con.toggle();
  std::vector<unsigned char> f = draw();
  EXPECT_EQ(rowPattern(f, 48, 80), std::string(80, '#'));
  EXPECT_EQ(rowPattern(f, 47, 80), std::string(80, '#'));
  EXPECT_EQ(rowPattern(f, 46, 80), std::string(40, '#') + std::string(40, '.'));
  EXPECT_EQ(rowPattern(f, 45, 80), std::string(80, '.'));
}

TEST_F(ConsoleDraw, IdleVisibleShowsTheLastLinesWhileClosed) {
  add("first\nsecond\n");
  con.setIdleVisible(true);
  std::vector<unsigned char> f = draw();
  EXPECT_EQ(rowPattern(f, 4, 3), "#..");   // the prompt on the idle input row
  EXPECT_EQ(rowPattern(f, 3, 7), "######.");  // "second"
  EXPECT_EQ(rowPattern(f, 2, 7), "#####..");  // "first"
  EXPECT_EQ(rowPattern(f, 5, 80), std::string(80, '.'));
  EXPECT_EQ(rowPattern(f, 49, 80), std::string(80, '.'));
}

TEST_F(ConsoleDraw, EmptyGridDrawsNothingAndRaisesNoGLError) {
  add("text\n");
  con.toggle();
  for (char const* size : {"height", "width"}) {
    setting(size, size[0] == 'h' ? "0" : "-3");
    EXPECT_EQ(rowPattern(draw(), 49, 80), std::string(80, '.')) << size;
    setting(size, size[0] == 'h' ? "50" : "80");
  }
}

TEST_F(ConsoleDraw, OpeningAnimationsStartHiddenAndEndInPlace) {
  // A very long animation has barely started: every style but 0 hides all.
  setting("droptime", "1000");
  for (char const* style : {"1", "2", "3"}) {
    setting("droptype", style);
    clearText();  // the settings command prints them
    add("########\n");
    openAnimated();
    EXPECT_EQ(con.getDropStyle(), std::atoi(style));
    std::vector<unsigned char> f = draw();
    EXPECT_LT(con.getDropProgress(), 0.01f);
    EXPECT_EQ(rowPattern(f, 48, 80), std::string(80, '.')) << "style " << style;
    EXPECT_EQ(rowPattern(f, 49, 80), std::string(80, '.')) << "style " << style;
  }
  // A finished animation is the identity for every style.
  setting("droptime", "0.000001");
  for (char const* style : {"0", "1", "2", "3"}) {
    setting("droptype", style);
    clearText();
    add("########\n");
    openAnimated();
    usleep(1000);
    std::vector<unsigned char> f = draw();
    EXPECT_EQ(con.getDropProgress(), 1.0f);
    EXPECT_EQ(rowPattern(f, 48, 10), "########..") << "style " << style;
  }
}

TEST_F(ConsoleDraw, LeavesTheCallersGLStateAsItFoundIt) {
  add("x\n");
  con.toggle();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glScalef(2, 3, 4);
  glMatrixMode(GL_TEXTURE);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
  glViewport(10, 20, 100, 50);
  glBindTexture(GL_TEXTURE_2D, 0);
  con.display();
  GLint mode = 0, viewport[4], bound = -1;
  GLfloat m[16], colour[4];
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  glGetFloatv(GL_PROJECTION_MATRIX, m);
  glGetFloatv(GL_CURRENT_COLOR, colour);
  glGetIntegerv(GL_VIEWPORT, viewport);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(mode, GL_TEXTURE);
  EXPECT_EQ(m[0], 2.0f);
  EXPECT_EQ(m[5], 3.0f);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FLOAT_EQ(colour[0], 0.1f);
  EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{10, 20, 100, 50}));
  EXPECT_EQ(bound, 0);
  glViewport(0, 0, W, H);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
}

TEST_F(ConsoleDraw, FontCommandReplacesTheSheetOnlyWithALoadableFile) {
  unsigned int old = con.font.id;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  cvarInterpreter.exec("ConsoleFont no-such-font.bmp");
  testing::internal::GetCapturedStderr();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(con.font.id, old);
  EXPECT_TRUE(glIsTexture(old));
  cvarInterpreter.exec("ConsoleFont font.bmp");
  EXPECT_NE(con.font.id, 0u);
  EXPECT_FALSE(glIsTexture(old));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(ConsoleDraw, ScreenshotOfAConsoleWithText) {
  testing::internal::CaptureStdout();
  con.keyDown('`');
  for (char const* line : {"echo Hello, console! 0123456789", "listcmds", "echo \"quoted\" text"}) {
    con.clearInput();
    for (char const* p = line; *p; ++p) con.keyDown(*p == ' ' ? 32 : *p);
    con.keyDown(13);
  }
  for (char const* p = "camSpeed 2"; *p; ++p) con.addToInput(*p);
  testing::internal::GetCapturedStdout();
  std::vector<unsigned char> f = draw();
  EXPECT_GT(lit(f, 1, 49), 0);
  char const* dir = std::getenv("RB_SCREENSHOT_DIR");
  std::string path = std::string(dir ? dir : testing::TempDir().c_str()) + "/console.png";
  EXPECT_TRUE(writePNG(path, f, W, H));
  std::printf("console screenshot: %s\n", path.c_str());
  con.clearInput();
}
