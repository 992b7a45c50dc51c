// The bench module on a real offscreen context, started from the real data
// files: its first build, the light drag through pushed SDL events, the GUI
// taking the mouse first, map loading failures, console commands and shutdown.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ShaderGui.h"
#include "ShaderScene.h"
#include "base/base.h"
#include "base/cvarsys.h"
#include "sdlsystem/sdlsystem.h"

namespace {

void frameFunc() { base_loopCallback(); }

void pushButton(Uint32 type, int x, int y) {
  SDL_Event ev{};
  ev.type = type;
  ev.button.type = type;
  ev.button.button = SDL_BUTTON_LEFT;
  ev.button.x = x;
  ev.button.y = y;
  SDL_PushEvent(&ev);
}

void pushMotion(int x, int y, bool held) {
  SDL_Event ev{};
  ev.type = SDL_MOUSEMOTION;
  ev.motion.type = SDL_MOUSEMOTION;
  ev.motion.x = x;
  ev.motion.y = y;
  ev.motion.state = held ? SDL_BUTTON_LMASK : 0;
  SDL_PushEvent(&ev);
}

void pushKey(Uint32 type, SDL_Scancode sc) {
  SDL_Event ev{};
  ev.type = type;
  ev.key.type = type;
  ev.key.keysym.scancode = sc;
  SDL_PushEvent(&ev);
}

// Runs passes until every pushed event has been handled, plus one frame.
void drain() {
  SDL_PumpEvents();
  while (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) sdlSys.pass();
  sdlSys.pass();
}

void exec(char const* line) {
  cvarSys.validate();
  cvarSys->exec(line);
}

_vec<3, float> light() {
  _vec<4, float> const& p = shaderTestModule.lightPos;
  return _vec<3, float>(p.x, p.y, p.z);
}

class Module : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ASSERT_EQ(chdir(RB_DATA_DIR), 0);
    sdlBindSingletons();
    testing::internal::CaptureStdout();
    shaderTestModule.init();
    startOutput = new std::string(testing::internal::GetCapturedStdout());
    base.setScene(&shaderTestModule);
    base.loopCallback = &shaderTestModule;
    sdlSys.setLoopFunc(frameFunc);
    for (int i = 0; i < 3; ++i) sdlSys.pass();  // the viewports take the window's size
  }
  static void TearDownTestSuite() {
    shaderTestModule.shutdown();
    delete startOutput;
  }
  static std::string* startOutput;
};
std::string* Module::startOutput = nullptr;

TEST_F(Module, StartsWithAnEmptyMacroStringAndTheSphere) {
  EXPECT_NE(startOutput->find("rebuilding with macro strings:\n\n"), std::string::npos) << *startOutput;
  EXPECT_EQ(shaderTestModule.mesh.getVertices().size(), 1024u);
  EXPECT_EQ(shaderTestModule.mesh.getIndices().size(), 1922u * 3u);
  EXPECT_NE(shaderTestModule.normalTexture.id, 0u);
  EXPECT_EQ(disp.getSize(), (_vec<2, int>(800, 600)));
}

TEST_F(Module, DraggingMovesTheLightFromTheSecondFrameOfAPress) {
  _vec<3, float> const start = light();
  pushMotion(500, 300, false);
  drain();
  // The frame of the press itself moves nothing, even with motion in it.
  pushButton(SDL_MOUSEBUTTONDOWN, 500, 300);
  pushMotion(520, 300, true);
  sdlSys.pass();
  EXPECT_EQ(light(), start);
  drain();
  _vec<3, float> const moved = light();
  EXPECT_NE(moved, start);
  // A drag to the right on screen moves the light sideways, not in depth.
  _vec<3, float> const fwd = base.views[Base::VIEW_MAIN].basis.orient.xAxis();
  _vec<3, float> const d = moved - start;
  EXPECT_NEAR(dot(d, fwd), 0.0f, 1e-3f);
  EXPECT_GT(static_cast<float>(d.len()), 0.01f);

  // With left shift, an upward drag moves the light away along the view.
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT);
  pushMotion(520, 260, true);
  drain();
  _vec<3, float> const deeper = light() - moved;
  EXPECT_GT(dot(deeper, fwd), 0.01f);
  pushKey(SDL_KEYUP, SDL_SCANCODE_LSHIFT);
  pushButton(SDL_MOUSEBUTTONUP, 520, 260);
  drain();
}

TEST_F(Module, AClickOnThePanelTogglesATechniqueAndLeavesTheLight) {
  _vec<3, float> const start = light();
  ShaderGui* gui = shaderTestModule.getGui();
  ASSERT_NE(gui, nullptr);
  bool const was = gui->checkboxes[1]->isChecked();
  // "Offset Limit Eye" spans panel units 1 to ~9 across and 2.1 to 3.1 down, at
  // 12 pixels a unit; the pointer wobbles while the button is down.
  pushMotion(40, 31, false);
  pushButton(SDL_MOUSEBUTTONDOWN, 40, 31);
  pushMotion(44, 32, true);
  pushButton(SDL_MOUSEBUTTONUP, 44, 32);
  drain();
  EXPECT_NE(gui->checkboxes[1]->isChecked(), was);
  EXPECT_EQ(light(), start);

  // A longer drag that starts on the panel leaves the light alone too.
  pushButton(SDL_MOUSEBUTTONDOWN, 30, 110);  // the "Iteration Steps:" label
  for (int i = 1; i <= 5; ++i) pushMotion(30 + 20 * i, 110 + 10 * i, true);
  pushButton(SDL_MOUSEBUTTONUP, 130, 160);
  drain();
  EXPECT_EQ(light(), start);
}

TEST_F(Module, ConsoleCommandsDriveThePanel) {
  ShaderGui* gui = shaderTestModule.getGui();
  ASSERT_NE(gui, nullptr);
  gui->setTechniques(0);
  testing::internal::CaptureStdout();
  exec("technique ITERATIVE 1");
  exec("iterations 8");
  std::string const out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(gui->checkboxes[2]->isChecked());
  EXPECT_EQ(gui->macroString(), "#define ITERATIVE\n#define ITERATIVE_STEPS\t8.0\n");
  EXPECT_NE(out.find("#define ITERATIVE_STEPS\t8.0"), std::string::npos);
  exec("technique ITERATIVE");  // toggles
  EXPECT_FALSE(gui->checkboxes[2]->isChecked());
  exec("technique NOTHING 1");
  EXPECT_EQ(gui->techniqueFlags, 0);
  exec("polyDepth 0.75");
  EXPECT_FLOAT_EQ(gui->polyThickness, 0.75f);
  EXPECT_EQ(gui->polyDepthField->getText(), "0.75");
}

TEST_F(Module, ThePanelShowsTheCurrentMapsAfterEveryChange) {
  ShaderGui* gui = shaderTestModule.getGui();
  ASSERT_NE(gui, nullptr);
  exec("bumpScale 40");
  EXPECT_FLOAT_EQ(gui->bumpHeight, 40.0f);
  EXPECT_EQ(gui->bumpTex->getTextureID(), static_cast<int>(shaderTestModule.normalTexture.id));
  exec("colorMap bumptest.bmp");
  EXPECT_EQ(gui->colorTex->getTextureID(), static_cast<int>(shaderTestModule.colorTexture.id));
  exec("colorMap \"cheap brick.bmp\"");
  exec("bumpScale 100");
  EXPECT_EQ(gui->bumpTex->getTextureID(), static_cast<int>(shaderTestModule.normalTexture.id));
  EXPECT_NE(shaderTestModule.normalTexture.id, 0u);
}

TEST_F(Module, MissingMapsAreReportedAndChangeNothing) {
  unsigned const normalBefore = shaderTestModule.normalTexture.id;
  unsigned const colorBefore = shaderTestModule.colorTexture.id;
  testing::internal::CaptureStdout();
  exec("bumpMap no-such-height-map.bmp");
  exec("colorMap \"no such colour map.bmp\"");
  std::string const out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("failed to load bumpmap no-such-height-map.bmp\n"), std::string::npos) << out;
  EXPECT_NE(out.find("failed to load the texture map no such colour map.bmp\n"), std::string::npos)
      << out;
  EXPECT_EQ(shaderTestModule.normalTexture.id, normalBefore);
  EXPECT_EQ(shaderTestModule.colorTexture.id, colorBefore);
  EXPECT_NE(normalBefore, 0u);
}

// The file name's extension picks the format; any other is refused with the reason.
TEST_F(Module, ScreenshotWritesTheWindowAfterTheFrame) {
  for (auto [name, magic] : {std::pair{"bench-shot.png", "\x89PNG"}, {"bench-shot.jpg", "\xff\xd8\xff"}}) {
    std::string const file = testing::TempDir() + name;
    std::remove(file.c_str());
    exec(("screenshot " + file).c_str());
    sdlSys.pass();
    FILE* f = std::fopen(file.c_str(), "rb");
    ASSERT_NE(f, nullptr) << name;
    char sig[4] = {0};
    EXPECT_EQ(std::fread(sig, 1, std::strlen(magic), f), std::strlen(magic));
    std::fclose(f);
    EXPECT_EQ(std::string(sig), magic) << name;
  }
  std::string const bmp = testing::TempDir() + "bench-shot.bmp";
  exec(("screenshot " + bmp).c_str());
  testing::internal::CaptureStdout();
  sdlSys.pass();
  EXPECT_NE(testing::internal::GetCapturedStdout().find("could not write the screenshot " + bmp +
                                                        ": cannot write pictures of type \".bmp\""),
            std::string::npos);
  EXPECT_NE(access(bmp.c_str(), F_OK), 0);
}

}  // namespace
