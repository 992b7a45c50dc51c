// Drawing the console: glyphs in their cells, animations, GL state, the sheet.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "base/console.h"
#include "base/image.h"
#include "system/timer.h"
#include "testsupport/glfixture.h"

namespace {
// 16 x 16 cells of 8 x 8 pixels; a glyph of the 256 x 256 sheet is 16 x 16
// texels (code c at column c & 15, row (c >> 4) - 2 from the top).
constexpr int N = 16, S = 128;
constexpr unsigned char scene[3] = {0, 0, 102};
using Box = std::vector<int>;  // left, top, right, bottom; right and bottom exclusive
Box const none{S, S, 0, 0}, inputRow{0, 120, S, S};
std::string const all(N, '+');

struct TestClock : PHiResTimer {
  void init() override {}
  double getTime() override { return now; }
  double now = 0;
} testClock;

class ConsoleDraw : public GLTest {
protected:
  static void SetUpTestSuite() {
    GLTest::SetUpTestSuite();
    timer.setImp(&testClock);
    cvarRegistry()->init();
    ASSERT_EQ(chdir(RB_DATA_DIR), 0);  // the font is found as font.bmp here
    sheet.reset(ImageSystem::load("font.bmp"));
    con.init(N, N);
  }
  void SetUp() override {
    if (con.isVisible()) con.toggle();
    for (char const* s : {"droptype 0", "width 16", "height 16"}) run(std::string("Console ") + s);
    run(std::string(Console::textSize, '\n'), true);  // line ends never show
  }
  // Runs a line, or adds text to the console; gives back what it printed.
  static std::string run(std::string const& line, bool text = false) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    text ? con.addString(line.c_str()) : cvarInterpreter.exec(line.c_str());
    testing::internal::GetCapturedStderr();
    return testing::internal::GetCapturedStdout();
  }
  static void open(std::string const& input) { for (char c : "`" + input) con.keyDown(c); }  // with the line typed
  // A frame of the scene colour with the console drawn over it.
  static std::vector<unsigned char> draw() {
    glClearColor(0, 0, 0.4f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    con.display();
    return ctx->readPixels();
  }
  // Per cell of a row, '+' if it shows text's glyph there (texels averaged 2 x 2
  // over the scene at 3/4) or, past text's end, the bare scene; else '-'.
  static std::string match(std::vector<unsigned char> const& f, int row, std::string const& text) {
    std::string m = all;
    for (int p = 0; p < N * 192; ++p) {
      int const col = p / 192, x = p / 3 % 8, y = p / 24 % 8, ch = p % 3, c = col < int(text.size()) ? text[col] : 0;
      int sum = 0;
      for (int d = 0; c && d < 4; ++d)
        sum += sheet->data[((((c >> 4) - 2) * 16 + 2 * y + d / 2) * 256 + (c & 15) * 16 + 2 * x + d % 2) * 3 + ch];
      int const want = c ? (3 * sum / 4 + scene[ch]) / 4 : scene[ch];
      if (std::abs(f[((S - 1 - row * 8 - y) * S + col * 8 + x) * 4 + ch] - want) > 2) m[col] = '-';
    }
    return m;
  }
  // The smallest box holding every pixel that is not the scene.
  static Box box(std::vector<unsigned char> const& f) {
    Box b = none;
    for (int i = 0; i < S * S; ++i)
      if (std::memcmp(&f[i * 4], scene, 3)) {
        int const x = i % S, y = S - 1 - i / S;
        b = {std::min(b[0], x), std::min(b[1], y), std::max(b[2], x + 1), std::max(b[3], y + 1)};
      }
    return b;
  }

  static inline ImagePtr sheet;
  ImagePtr shown;  // another sheet, while sheet holds it
};
}  // namespace

// Only a loadable file replaces the sheet, and the console draws with the new
// one; a refusal is one line. A new console's idle view (clock at 0).
TEST_F(ConsoleDraw, NewSheetAndTheIdleView) {
  GLuint const old = con.font.id;
  ASSERT_NE(old, 0u);  // init() found font.bmp
  EXPECT_EQ(run("ConsoleFont no-such-font.bmp"), "ConsoleFont: cannot load no-such-font.bmp: failed to find appropriate "
                                                 "loader: cannot open the file: No such file or directory; the font stays as it was\n");
  EXPECT_EQ(run("ConsoleFont"), "usage: ConsoleFont FILE, a picture of 16 x 16 glyph cells; the font stays as it was\n");
  EXPECT_EQ(con.font.id, old);
  // The sheet in negative, as another file.
  std::string const negative = testing::TempDir() + "negative.ppm";
  {
    std::ofstream out(negative, std::ios::binary);
    out << "P6\n256 256\n255\n";
    for (int i = 0; i < 256 * 256 * 3; ++i) out << char(255 - sheet->data[i]);
  }
  glEnable(GL_TEXTURE_2D);
  unsigned const revision = con.fontRevision();
  EXPECT_EQ(run("ConsoleFont " + negative), "");
  EXPECT_FALSE(glIsTexture(old) || glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(con.fontRevision(), revision + 1);
  run(std::string(Console::textSize, '\n'), true);  // the refusals scroll away
  run("first\nsecond\n", true);
  EXPECT_EQ(box(draw()), none);
  con.setIdleVisible(true);
  sheet.swap(shown);
  sheet.reset(ImageSystem::load(negative.c_str()));
  std::vector<unsigned char> f = draw();
  EXPECT_EQ(match(f, 3, "second") + match(f, 2, "first"), all + all);
  sheet.swap(shown);
  EXPECT_EQ(run("ConsoleFont font.bmp"), "");
  f = draw();
  EXPECT_EQ(match(f, 4, "]") + match(f, 3, "second") + match(f, 2, "first"), all + all + all);
  EXPECT_EQ(box(f), (Box{0, 16, 48, 40}));
  run("Console width 0");  // a grid of nothing draws nothing, with no GL error
  EXPECT_EQ(box(draw()), none);
}

// Partway through each style's half-second opening (style 1: at a right angle;
// at its very start nothing shows yet).
TEST_F(ConsoleDraw, OpeningAnimations) {
  struct { char const* style; double t; Box box; int inPlace; /* cells from the right */ } const rows[] = {
      {"0", 0.25, inputRow, N}, {"1", 0.455, {6, 6, 13, 122}, 0}, {"2", 0.0, none, 0},
      {"2", 0.125, {0, 60, 26, 64}, 0}, {"2", 0.375, {0, 120, 77, S}, 0}, {"3", 0.25, inputRow, 8}};
  for (auto const& r : rows) {
    run(std::string("Console droptype ") + r.style);
    run(std::string(Console::textSize, '\n'), true);
    testClock.now = 5;
    open("ABCDEFGHIJKLMNO");
    testClock.now = 5 + r.t;
    std::vector<unsigned char> const f = draw();
    EXPECT_EQ(box(f), r.box) << r.style << " at " << r.t;
    EXPECT_EQ(match(f, N - 1, "]ABCDEFGHIJKLMNO"), std::string(N - r.inPlace, '-') + std::string(r.inPlace, '+')) << r.t;
    con.toggle();
  }
}

// Newest line lowest, wrapped from its end, in any GL state, which is kept.
TEST_F(ConsoleDraw, RowsFromTheBottomInAnyGLStateWhichIsKept) {
  run("older line\x1f" "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ\n\n", true);
  open("ab");
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  for (GLenum matrix : {GL_PROJECTION, GL_MODELVIEW}) { glMatrixMode(matrix); glScalef(2, 3, 4); }
  glMatrixMode(GL_TEXTURE);
  glViewport(10, 20, 30, 40);
  GLdouble const nothing[4] = {0, 0, 0, -1};
  glClipPlane(GL_CLIP_PLANE0, nothing);
  for (GLenum cap : {GL_CLIP_PLANE0, GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_ALPHA_TEST}) glEnable(cap);
  for (GLenum cap : {GL_TEXTURE_2D, GL_BLEND}) glDisable(cap);
  glDepthFunc(GL_NEVER), glAlphaFunc(GL_NEVER, 0), glBlendFunc(GL_ZERO, GL_ONE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
  glBindTexture(GL_TEXTURE_2D, 0);
  std::vector<unsigned char> const f = draw();
  char const* const rows[] = {"older line", "0123", "456789ABCDEFGHIJ", "KLMNOPQRSTUVWXYZ", "]ab"};
  for (int row = 11; row < N; ++row) EXPECT_EQ(match(f, row, rows[row - 11]), all) << row;
  EXPECT_EQ(box(f), (Box{0, 88, S, S}));
  GLfloat projection[16], modelview[16], viewport[4];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  glGetFloatv(GL_VIEWPORT, viewport);
  EXPECT_TRUE(projection[5] == 3 && modelview[5] == 3 && viewport[0] == 10 && glIsEnabled(GL_DEPTH_TEST) && !glIsEnabled(GL_BLEND));
  for (GLenum matrix : {GL_PROJECTION, GL_MODELVIEW}) { glMatrixMode(matrix); glLoadIdentity(); }
  glPopAttrib();
}
