// The shader writer's workflow on the real module: failed builds are shown while
// the last good program draws on, the A/B wipe, and the contact sheet's tiles.
#include <cmath>
#include <cstdio>
#include <fstream>

#include "Compare.h"
#include "Techniques.h"
#include "base/console.h"
#include "modulefixture.h"

namespace {

std::string const fragPath = std::string(RB_DATA_DIR) + "/shaders/iterative parallax.frag";

// Mean absolute difference of two screenshots over columns [x0, x1), rows
// [y0, y1) (rows 100 to 100 from the bottom unless given).
double difference(Module::Shot const& a, Module::Shot const& b, int x0, int x1, int y0 = 100, int y1 = 0) {
  double sum = 0;
  int n = 0;
  for (int y = y0; y < (y1 > 0 ? y1 : a.h - 100); ++y)
    for (int x = x0; x < x1; ++x, ++n)
      for (int c = 0; c < 3; ++c) sum += std::abs(a.at(x, y)[c] - b.at(x, y)[c]);
  return sum / (3.0 * n);
}

}  // namespace

TEST_F(Module, FailedBuildsAreShownAndTheLastGoodProgramKeepsDrawing) {
  std::string const dir = testing::TempDir();
  struct Case {
    char const* name;
    std::string text;   // empty: the file is missing
    char const* shown;  // what the console must hold
  } const cases[] = {
      // The error sits on line 4 of the file as the user sees it.
      {"syntax.frag", "// a comment\nvoid main()\n{\n    gl_FragColor = vec4(1.0) error;\n}\n", "0:4("},
      {"link.frag", "varying vec3 notWritten;\nvoid main()\n{\n    gl_FragColor = vec4(notWritten, 1.0);\n}\n",
       "notWritten"},
      {"missing.frag", "", "missing.frag"},
  };
  Shot const good = shot();
  for (Case const& c : cases) {
    std::string const path = dir + c.name;
    std::remove(path.c_str());
    if (!c.text.empty()) std::ofstream(path, std::ios::binary) << c.text;
    std::string const text = said("shader frag " + path);
    EXPECT_NE(text.find(c.shown), std::string::npos) << c.name << "\n" << text;
    if (!c.text.empty()) {
      EXPECT_TRUE(shaderTestModule.shaderBroken()) << c.name;
      EXPECT_TRUE(shaderTestModule.getGui()->showsShaderError()) << c.name;
      EXPECT_TRUE(con.isVisible()) << "the console opens on a failed build";
    }
    EXPECT_LT(difference(shot(), good, 250, 550), 1.0) << c.name << ": the sphere is drawn as before";
    run("shader frag " + fragPath);
    EXPECT_FALSE(shaderTestModule.getGui()->showsShaderError()) << "a good build clears the error line";
  }
  // Without a file, the command names the files in use.
  std::string const usage = said("shader vert");
  EXPECT_NE(usage.find("basic bumpmap.vert, frag " + fragPath + "\n"), std::string::npos) << usage;
  if (con.isVisible()) con.toggle();
}

TEST_F(Module, CompareDrawsSetALeftAndSetBRightOfTheWipe) {
  shaderTestModule.reliefScene().light() = ReliefScene::initialLightPos;
  ShaderGui* gui = shaderTestModule.getGui();
  gui->setTechniques(0);
  Shot const a = shot();
  int const plainDraws = shaderTestModule.reliefScene().gpuTimer().drawsLastFrame();
  EXPECT_GT(plainDraws, 0);
  gui->setTechniques(Techniques::Iterative | Techniques::IterativeLerp | Techniques::ShadowTrace);
  Shot const b = shot();
  run("compare none ITERATIVE+ITERATIVE_LERP+SHADOW_TRACE");
  EXPECT_EQ(gui->techniqueFlags, 0) << "the panel shows set A";
  Shot const both = shot();
  EXPECT_EQ(shaderTestModule.reliefScene().gpuTimer().drawsLastFrame(), 2 * plainDraws)
      << "the frame's GPU time covers both sides of the wipe";
  // Away from the line and its labels, each side is its own set's picture.
  EXPECT_GT(difference(a, b, 250, 380), 5.0);
  EXPECT_GT(difference(a, b, 420, 550), 5.0);
  EXPECT_LT(difference(both, a, 250, 380), 1.0);
  EXPECT_LT(difference(both, b, 420, 550), 1.0);
  // In four views the main view's quarter, the bottom right, is wiped at its
  // own middle, x = 600, and so is its line.
  base.restoreViewports();
  Shot const quarters = shot();
  run("compare off");
  Shot const a4 = shot();
  gui->setTechniques(Techniques::Iterative | Techniques::IterativeLerp | Techniques::ShadowTrace);
  Shot const b4 = shot();
  gui->setTechniques(0);
  EXPECT_GT(difference(a4, b4, 620, 750, 330, 560), 2.0);
  EXPECT_LT(difference(quarters, a4, 450, 580, 330, 560), 1.0);
  EXPECT_LT(difference(quarters, b4, 620, 750, 330, 560), 1.0);
  auto yellow = [](unsigned char const* p) { return p[0] > 200 && p[1] > 200 && p[2] < 100; };
  EXPECT_TRUE(yellow(quarters.at(600, 450)) && !yellow(quarters.at(500, 450)));
  base.restoreViewports();
  run("compare none ITERATIVE+ITERATIVE_LERP+SHADOW_TRACE");
  // On a white background: each label sits on a dark box beside the line,
  // never over it; blinking, the label's box hangs under the view's top.
  ReliefScene& scene = shaderTestModule.reliefScene();
  Compare const& c = scene.programs().comparison();
  run("clearColor 1 1 1 1");
  Shot const wiped = shot();
  EXPECT_TRUE(wiped.at(394, 19)[1] < 120 && wiped.at(398, 19)[1] > 200 && wiped.at(406, 19)[1] < 120);
  scene.programs().compareInput(0.5f, 0, true, 0.0);
  EXPECT_LT(shot().at(400, 19)[1], 120);
  scene.programs().compareInput(0.5f, 0, true, 0.0);
  run("clearColor 0 0 0 1");
  // The middle button moves the line (clamped to the view); b blinks the whole
  // view, a second of A and then a second of B, and b again ends it.
  scene.programs().compareInput(0.25f, 1, false, 10.0);
  scene.programs().compareInput(0.75f, 0, true, 10.0);
  scene.programs().compareInput(1.5f, 2, false, 10.0);
  EXPECT_FLOAT_EQ(c.wipe(), 1.0f);
  EXPECT_TRUE(c.blinking() && !c.showsB(10.5) && c.showsB(11.5) && !c.showsB(12.5));
  scene.programs().compareInput(0.5f, 3, true, 13.0);
  EXPECT_FALSE(c.blinking() || c.showsB(13.5) || c.wipe() != 1.0f);
  scene.programs().compareInput(0.5f, 1, false, 14.0);
  EXPECT_FLOAT_EQ(c.wipe(), 0.5f);
  // Set B follows every setting in its macros, the bisection count too.
  run({"compare none ITERATIVE+BINARY_REFINE", "refineSteps 3"});
  EXPECT_NE(scene.programs().comparisonMacros().find("REFINE_STEPS\t3.0"), std::string::npos) << scene.programs().comparisonMacros();
  // And the maps its search reads follow a new height map, whatever set A
  // searches with.
  SceneMaps const& maps = scene.maps();
  run({"compare none MAX_PYRAMID", "bumpMap " + greyMap("small.png", 100)});
  EXPECT_EQ(maps.maxPyramid().mapWidth(), 16);
  run({"compare none RELAXED_CONE", "bumpMap bumptest.bmp"});
  EXPECT_EQ(maps.coneMap().width(), 256);
  run({"refineSteps 6", "compare off"});
  EXPECT_LT(difference(shot(), a, 420, 550), 1.0);
}

TEST_F(Module, ContactSheetTilesShowEachSet) {
  std::string const path = testing::TempDir() + "sheet.png";
  std::remove(path.c_str());
  shaderTestModule.reliefScene().light() = ReliefScene::initialLightPos;
  unsigned const before = static_cast<unsigned>(shaderTestModule.getGui()->techniqueFlags);
  resize(480, 360);  // a small view keeps the software renderer quick
  run("contactsheet " + path);
  Shot const view = shot();
  resize(800, 600);
  int w = 0, h = 0;
  std::vector<unsigned char> const rgb = readPNG(path, w, h);
  ASSERT_TRUE(w == 960 && h == 720) << w << "x" << h;  // four rows of four tiles of half the view's size
  EXPECT_EQ(static_cast<unsigned>(shaderTestModule.getGui()->techniqueFlags), before);
  auto px = [&](int x, int y) { return &rgb[3 * (static_cast<size_t>(y) * 960 + static_cast<size_t>(x))]; };
  // The first tile (no technique) shows the lit sphere, and every tile ends in
  // a grey line on its right and at its bottom, the fourteenth too.
  EXPECT_GT(px(120, 100)[0] + px(120, 100)[1] + px(120, 100)[2], 120);
  for (auto [x, y] : {std::pair{239, 100}, {120, 179}, {479, 630}, {300, 719}})
    EXPECT_EQ(std::vector<int>(px(x, y), px(x, y) + 3), std::vector<int>(3, 0x60)) << x << ", " << y;
  // The first tile is the view (no technique either) halved: each pixel the
  // mean of a 2 x 2 block.
  double off = 0;
  for (int y = 60; y < 160; ++y)
    for (int x = 100; x < 200; ++x)
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int k = 0; k < 4; ++k) sum += view.at(2 * x + k % 2, 2 * y + k / 2)[c];
        off += std::abs(px(x, y)[c] - (sum + 2) / 4);
      }
  EXPECT_LT(off / (100.0 * 100.0 * 3.0), 0.5);
  // Each tile below its label band differs from the first; the light-limited
  // shadow (tile 6) changes least.
  auto tileDiff = [&](int i) {
    double sum = 0;
    for (int y = 34; y < 170; ++y)
      for (int x = 60; x < 180; ++x)
        for (int c = 0; c < 3; ++c) sum += std::abs(px((i % 4) * 240 + x, (i / 4) * 180 + y)[c] - px(x, y)[c]);
    return sum / (136.0 * 120.0 * 3.0);
  };
  for (int i = 1; i < 14; ++i) EXPECT_GT(tileDiff(i), 0.15) << "tile " << i;
}
