// The bench module as a user drives it: the first frame, the light drag, the
// panel's clicks and keys, console commands and refusals, maps and screenshots.
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "BenchCommands.h"
#include "Flip.h"
#include "StopSignals.h"
#include "modulefixture.h"
#include "Techniques.h"
#include "base/console.h"
#include "base/cvarsys.h"

namespace {

using namespace testevents;
using Techniques::Parallax;

_vec<3, float> light() {
  _vec<4, float> const& p = shaderTestModule.reliefScene().light();
  return _vec<3, float>(p.x, p.y, p.z);
}

// A checked label's colour.
bool yellow(unsigned char const* p) { return p[0] > 150 && p[1] > 150 && p[2] < 100; }

}  // namespace

TEST_F(Module, TheFirstFrameShowsTheLitSphereAndThePanel) {
  EXPECT_NE(startOutput.find("rebuilding with macro strings:\n\n"), std::string::npos) << startOutput;
  // A screenshot at the end of the very first frame (--frames 1) shows the
  // scene: the viewports fit the window before that frame is drawn.
  Shot const s = shot();
  ASSERT_TRUE(s.w == 800 && s.h == 600) << s.w << "x" << s.h;
  EXPECT_GT(s.brightness(370, 270, 60, 60), 40.0) << "the sphere is lit";
  EXPECT_LT(s.brightness(700, 520, 60, 60), 5.0) << "the background is black";
  EXPECT_GT(s.brightness(12, 12, 90, 10), 20.0) << "the panel's labels are drawn";
}

TEST_F(Module, DraggingMovesTheLightFromTheSecondFrameOfAPress) {
  _vec<3, float> const start = light();
  motion(500, 300, 0);
  drain();
  // The frame of the press itself moves nothing, even with motion in it.
  button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 500, 300);
  motion(520, 300, SDL_BUTTON_LMASK);
  sdlSys.pass();
  EXPECT_EQ(light(), start);
  drain();
  _vec<3, float> const moved = light();
  // A drag to the right on screen moves the light sideways, not in depth.
  _vec<3, float> const fwd = base.views[Base::VIEW_MAIN].basis.orient.xAxis();
  EXPECT_NEAR(dot(moved - start, fwd), 0.0f, 1e-3f);
  EXPECT_GT(static_cast<float>((moved - start).len()), 0.01f);

  // With left shift, an upward drag moves the light away along the view.
  key(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT);
  motion(520, 260, SDL_BUTTON_LMASK);
  drain();
  EXPECT_GT(dot(light() - moved, fwd), 0.01f);
  key(SDL_KEYUP, SDL_SCANCODE_LSHIFT);
  // Even a drag of one pixel moves it, down or up.
  for (int y : {261, 260}) {
    _vec<3, float> const was = light();
    motion(520, y, SDL_BUTTON_LMASK);
    drain();
    EXPECT_NE(light(), was) << y;
  }
  button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 520, 260);
  drain();
}

TEST_F(Module, PanelClicksToggleAndLeaveTheLightInBothLayouts) {
  ShaderGui* gui = shaderTestModule.getGui();
  _vec<3, float> const start = light();
  auto switchLayout = [] {  // space, with the pointer over the main view
    motion(600, 400, 0); key(SDL_KEYDOWN, SDL_SCANCODE_SPACE); key(SDL_KEYUP, SDL_SCANCODE_SPACE); drain();
  };
  for (bool fourViews : {false, true}) {
    if (fourViews) switchLayout();
    ASSERT_EQ(base.isFullscreen(), !fourViews);
    // "Offset Limit Eye" spans panel units 1 to ~9 across and 2.1 to 3.1 down,
    // at 12 pixels a unit, in both layouts; the pointer wobbles while pressed.
    bool const was = gui->checkboxes[1]->isChecked();
    motion(40, 31, 0);
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 40, 31);
    motion(44, 32, SDL_BUTTON_LMASK);
    button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 44, 32);
    drain();
    EXPECT_NE(gui->checkboxes[1]->isChecked(), was) << fourViews;
    EXPECT_EQ(light(), start);
    // The label is drawn where it is clicked: yellow when checked.
    EXPECT_EQ(shot().count(12, 26, 90, 10, yellow) > 20, gui->checkboxes[1]->isChecked()) << fourViews;
  }
  switchLayout();  // back to one view for the tests after this one
  gui->setTechniques(0);
}

TEST_F(Module, KeysTypedIntoAFieldGoToTheFieldAlone) {
  ShaderGui* gui = shaderTestModule.getGui();
  View const before = base.views[Base::VIEW_MAIN];
  float const speed = base.camSpeed;
  pwn::Vec2 const at = gui->iterationStepsField->getAbsPos();
  int const x = static_cast<int>((at.x + 1.0f) * 12.0f), y = static_cast<int>((at.y + 0.5f) * 12.0f);
  motion(x, y, 0);
  button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, x, y);
  button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, x, y);
  drain();
  for (SDL_Scancode sc : {SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_1, SDL_SCANCODE_6,
                          SDL_SCANCODE_E, SDL_SCANCODE_W, SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_BACKSPACE}) {
    key(SDL_KEYDOWN, sc);
    sdlSys.pass();
    key(SDL_KEYUP, sc);
    drain();
  }
  key(SDL_KEYDOWN, SDL_SCANCODE_RETURN);
  key(SDL_KEYUP, SDL_SCANCODE_RETURN);
  drain();
  EXPECT_EQ(gui->iterativeSteps, 16);
  EXPECT_EQ(base.camSpeed, speed) << "the digits did not pick a flying speed";
  EXPECT_EQ(base.views[Base::VIEW_MAIN].basis.pos, before.basis.pos) << "e did not fly";
  EXPECT_EQ(base.views[Base::VIEW_MAIN].width, before.width) << "w did not zoom";
  run("iterations 32");
}

TEST_F(Module, ConsoleCommandsAreRegisteredDriveThePanelAndViewAndRefuseBadValues) {
  ShaderGui* gui = shaderTestModule.getGui();
  gui->setTechniques(0);
  run({"technique ITERATIVE 1", "iterations 8"});
  EXPECT_EQ(gui->macroString(), "#define ITERATIVE\n#define ITERATIVE_STEPS\t8.0\n");
  run("technique ITERATIVE");  // toggles
  EXPECT_FALSE(gui->checkboxes[2]->isChecked());
  run("technique Iterative LERP 1");  // a label with a space, unquoted
  EXPECT_EQ(gui->techniqueFlags, 8);
  run({"technique NOTHING 1", "iterations abc", "polyDepth abc", "polyDepth nan", "bumpScale inf"});  // refused
  EXPECT_NE(said("technique Iterative LERP 2").find("technique: the state must be 0 or 1, not \"2\""),
            std::string::npos);
  EXPECT_EQ(gui->techniqueFlags, 8);
  EXPECT_EQ(gui->iterativeSteps, 8);
  EXPECT_EQ(gui->iterationStepsField->getText(), "8");
  EXPECT_FLOAT_EQ(gui->polyThickness, 0.5f);
  EXPECT_EQ(gui->polyDepthField->getText(), "0.5");
  gui->setTechniques(Parallax);  // a cheap set while the step count is extreme
  run("iterations 5000");
  EXPECT_NE(said("defines").find("#define PARALLAX\n#define ITERATIVE_STEPS\t1024.0\n"), std::string::npos);
  gui->setTechniques(0);
  run("iterations 32");

  // camera places the main view: the quaternion normalised, the width only when given.
  View& v = base.views[Base::VIEW_MAIN];
  View const saved = v;
  run("camera 1 2 3 0 0 0 2");
  EXPECT_TRUE(v.basis.pos == (_vec<3, float>(1, 2, 3)) && v.basis.orient.w == 1.0f && v.width == saved.width);
  // Then a width; no rotation, and a value that is no number, are refused whole.
  run({"camera 1 2 3 0 0 0 1 7", "camera 4 5 6 0 0 0 0", "camera 4 5 6 x 0 0 1"});
  EXPECT_TRUE(v.basis.pos.x == 1.0f && v.width == 7.0f);
  v = saved;

  // Every command and variable the bench adds is registered: they exist only
  // through static objects in the application's libraries.
  for (char const* name : {"technique", "iterations", "refineSteps", "polyDepth", "bumpScale", "colorMap", "bumpMap",
                           "screenshot", "defines", "reload", "timing", "shader", "compare", "camera", "profile",
                           "fidelity", "contactsheet", "lightPos", "scene", "flipPpd", "maps", "depth", "frontier",
                           "wait", "panel", "wipe", "lightColor", "lightIntensity", "materialSpecular",
                           "materialShininess"})
    EXPECT_NE(cvarRegistry()->matchString(name), nullptr) << name;
  // lightPos takes three or four numbers, never part of the vector.
  _vec<4, float>& light = shaderTestModule.reliefScene().light();
  _vec<4, float> const was = light;
  run({"lightPos 1 2", "lightPos 1 2 3 4 5"});
  EXPECT_TRUE(light == was);
  run("lightPos 1 2 3");
  EXPECT_TRUE(light == (_vec<4, float>(1, 2, 3, was.w)));
  light = was;
}

TEST_F(Module, MapsFollowLoadsAndMissingMapsChangeNothing) {
  ShaderGui* gui = shaderTestModule.getGui();
  run("bumpScale 40");
  EXPECT_EQ(gui->bumpTex->getTextureID(), static_cast<int>(shaderTestModule.reliefScene().maps().normalMapName()));
  run("colorMap bumptest.bmp");
  EXPECT_EQ(gui->colorTex->getTextureID(), static_cast<int>(shaderTestModule.reliefScene().maps().colorMapName()));
  run({"colorMap \"cheap brick.bmp\"", "bumpScale 100"});

  unsigned const normalBefore = shaderTestModule.reliefScene().maps().normalMapName();
  unsigned const colorBefore = shaderTestModule.reliefScene().maps().colorMapName();
  testing::internal::CaptureStdout();
  mark();
  run({"bumpMap no-such-height-map.bmp", "colorMap \"no such colour map.bmp\""});
  std::string const out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("failed to load bumpmap no-such-height-map.bmp\n"), std::string::npos) << out;
  EXPECT_NE(out.find("failed to load the texture map no such colour map.bmp\n"), std::string::npos) << out;
  std::string const told = sinceMark();
  for (char const* what : {"bump map no-such-height-map.bmp: ", "colour map no such colour map.bmp: "}) {
    size_t const line = told.find(std::string("cannot load the ") + what);
    EXPECT_LT(told.find("No such file or directory; the maps stay as they were", line), told.find('\n', line)) << told;
  }
  EXPECT_EQ(shaderTestModule.reliefScene().maps().normalMapName(), normalBefore);
  EXPECT_EQ(shaderTestModule.reliefScene().maps().colorMapName(), colorBefore);
}

// The plane replaces the sphere and is drawn lit; a mesh file without texture
// coordinates is refused with its reason and the plane stays.
TEST_F(Module, SceneSwitchesMeshesAndARefusedFileKeepsTheLastOne) {
  ReliefScene const& scene = shaderTestModule.reliefScene();
  run("scene plane");
  ASSERT_EQ(scene.meshName(), "plane");
  Module::Shot const s = shot();
  EXPECT_GT(s.brightness(s.w / 2 - 20, s.h / 2 - 20, 40, 40), 60.0) << "the plane is lit and textured";
  std::string const noUv = testing::TempDir() + "module-nouv.obj";
  { std::ofstream(noUv) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"; }
  std::string const refusal = said("scene " + noUv);
  EXPECT_EQ(scene.meshName(), "plane");
  EXPECT_EQ(scene.currentMesh().getIndices().size(), 96u);
  EXPECT_NE(refusal.find("has no texture coordinates, which the relief needs; still showing plane"), std::string::npos);
  // A refused line changes nothing, the crossing plane included; "scene"
  // alone says what is shown, and nothing more.
  EXPECT_NE(said("scene no-such-mesh.obj +plane").find("No such file"), std::string::npos);
  EXPECT_FALSE(scene.crossingPlaneShown());
  EXPECT_EQ(said("scene"), "scene: plane, 32 triangles\n");
  run("scene sphere");
  EXPECT_EQ(scene.meshName(), "sphere");
}

// Screenshots asked in one frame are all written, in their extension's format
// (any other refused); a script's screenshot shows the state at its own line.
TEST_F(Module, ScreenshotsAreWrittenInTheirFormatAndShowTheirOwnLine) {
  std::string const png = testing::TempDir() + "bench-shot.png", jpg = testing::TempDir() + "bench-shot.jpg",
                    bmp = testing::TempDir() + "bench-shot.bmp";
  mark();
  for (std::string const& f : {png, jpg, bmp}) {
    std::remove(f.c_str());
    shaderTestModule.jobs().exec(("screenshot " + f).c_str());
  }
  sdlSys.pass();
  for (auto [file, magic] : {std::pair{png, "\x89PNG"}, {jpg, "\xff\xd8\xff"}}) {
    std::string sig(std::strlen(magic), '\0');
    std::ifstream(file, std::ios::binary).read(sig.data(), static_cast<std::streamsize>(sig.size()));
    EXPECT_EQ(sig, magic) << file;
  }
  EXPECT_NE(access(bmp.c_str(), F_OK), 0);
  EXPECT_NE(sinceMark().find("bench-shot.bmp: needs a .png, .jpg or .jpeg name"), std::string::npos);

  std::string const a = testing::TempDir() + "script-a.png", b = testing::TempDir() + "script-b.png";
  for (std::string const& line : {std::string("technique RELAXED_CONE 0"), std::string("technique PARALLAX 1"), "screenshot " + a,
                                  std::string("technique PARALLAX 0"), "screenshot " + b})
    shaderTestModule.jobs().queue(line);
  for (int i = 0; i < 200 && !shaderTestModule.jobs().idle(); ++i) sdlSys.pass();
  sdlSys.pass();
  int w = 0, h = 0;
  std::vector<unsigned char> const first = readPNG(a, w, h), second = readPNG(b, w, h);
  ASSERT_EQ(first.size(), second.size());
  EXPECT_NE(first, second);
}

// A cone map is made in the background: the window keeps drawing with the
// last program, the lines after the change wait for it, and cancel stops it.
TEST_F(Module, ConeMapsAreMadeWhileTheWindowDrawsOn) {
  std::string const noise = noiseMap("noise.png", 7);
  run("bumpMap " + noise);
  ShaderGui* gui = shaderTestModule.getGui();
  gui->setTechniques(0);
  shaderTestModule.jobs().exec("technique RELAXED_CONE 1");
  EXPECT_TRUE(shaderTestModule.jobs().busy()) << "the cone map is being made";
  long const frames = shaderTestModule.framesDrawn();
  sdlSys.pass();
  sdlSys.pass();
  EXPECT_GT(shaderTestModule.framesDrawn(), frames);
  mark();
  shaderTestModule.jobs().exec("cancel");
  EXPECT_FALSE(shaderTestModule.jobs().busy());
  EXPECT_NE(sinceMark().find("cone map: cancelled"), std::string::npos);
  run("technique RELAXED_CONE 0");
  // The line waits until the map is made and the program built, the progress
  // shown meanwhile in rising whole tens.
  std::string const made = said("technique RELAXED_CONE 1");
  EXPECT_NE(made.find("cone map: 512x512 made"), std::string::npos);
  int shown = 0;
  for (size_t at = made.find("%\n"); at != std::string::npos; at = made.find("%\n", at + 1)) {
    int const percent = std::stoi(made.substr(made.rfind(' ', at) + 1));
    EXPECT_TRUE(percent % 10 == 0 && percent > shown) << made;
    shown = percent;
  }
  EXPECT_GT(shown, 0) << made;
  EXPECT_FALSE(shaderTestModule.shaderBroken());
  gui->setTechniques(0);
  run("bumpMap bumptest.bmp");
}

// Arguments that are not what a command writes, and places no file can be
// written, are refused before anything is measured, with the real cause.
TEST_F(Module, MeasuringCommandsRefuseBadTargetsBeforeTheyStart) {
  std::string const dir = testing::TempDir();
  struct Case {
    std::string line, says;
  } const cases[] = {
      {"profile 1e9", "usage: profile [FRAMES] [FILE.csv]"}, {"profile 1 \"\"", "usage: profile [FRAMES] [FILE.csv]"},
      {"profile 99999999999", "FRAMES must be 1 to 10000"},
      {"fidelity abc", "usage: fidelity [FILE.csv]"},
      {"fidelity sweep " + dir + "no/such/x.csv", "no such folder"},
      {"fidelity sweep " + dir, "is a directory"},
      {"fidelity map /dev/full", "is a device, not a file"},
      {"fidelity reference " + dir + "ref.csv", "needs a .png, .jpg or .jpeg name"},
      {"fidelity path " + dir + "p.csv 1", "FRAMES must be a whole number from 2"},
      {"fidelity path " + dir + "p.csv 10 400", "DEGREES must be from -360 to 360"},
      {"fidelity path " + dir + "p.csv 10 2 3", "\"3\" is not taken here"},
      {"fidelity path " + dir + "p.csv 10 " + dir + "no/such/frames.csv", "no such folder"},
      {"flipPpd 0", "usage: flipPpd"}, {"flipPpd nan", "usage: flipPpd"},
      {"contactsheet " + dir + "sheet.csv", "needs a .png, .jpg or .jpeg name"},
      {"screenshot " + dir + "readonly/shot.png", "the folder is read-only"},
  };
  mkdir((dir + "readonly").c_str(), 0555);
  chmod((dir + "readonly").c_str(), 0555);
  for (Case const& c : cases) {
    EXPECT_NE(said(c.line).find(c.says), std::string::npos) << c.line;
    EXPECT_FALSE(shaderTestModule.jobs().busy()) << c.line;
  }
  // The refused viewers changed nothing; one the metric takes is kept.
  EXPECT_FLOAT_EQ(flipPixelsPerDegree(), Flip::kDefaultPixelsPerDegree);
  run("flipPpd 30");
  EXPECT_FLOAT_EQ(shaderTestModule.measureScene().snapshot().flipPpd, 30.0f);
  run("flipPpd 67.02");
}

// A stop signal is taken once, and its handler goes after one use, so that a
// second signal ends a program stuck in a long frame.
TEST(StopSignals, EachIsTakenOnceAndItsHandlerGoesAfterOneUse) {
  for (int sig : {SIGTERM, SIGINT}) {
    installStopSignals();
    EXPECT_FALSE(takeStopSignal());
    ASSERT_EQ(std::raise(sig), 0);
    EXPECT_TRUE(takeStopSignal()) << sig;
    EXPECT_FALSE(takeStopSignal()) << sig;
    struct sigaction now = {};
    sigaction(sig, nullptr, &now);
    EXPECT_TRUE(now.sa_handler == SIG_DFL) << sig;
  }
  installStopSignals();
}
