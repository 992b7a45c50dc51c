// The technique panel driven through the menu system's input pass with real
// mouse and keyboard handlers: its layout, the macro strings, the field rules,
// and that building it calls nobody.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ShaderGui.h"
#include "menu/menu.h"
#include "system/display.h"
#include "system/keyboard.h"
#include "system/mouse.h"

namespace {

// Records what the panel asks of the scene, and the macro string at each rebuild.
struct RecordingScene : ShaderScene_Gui_Comm {
  void resetFragmentShaderUniforms() override { ++resets; }
  void regenFragmentShader() override { rebuilds.push_back(gui->macroString()); }
  void refreshBumpMap() override { ++refreshes; }
  void loadColorMap(char const*) override {}
  void loadBumpMap(char const*) override {}
  ShaderGui* gui = nullptr;
  std::vector<std::string> rebuilds;
  int resets = 0;
  int refreshes = 0;
};

std::string const steps32 = "#define ITERATIVE_STEPS\t32.0\n";

class Panel : public ::testing::Test {
protected:
  static constexpr int W = 800, H = 600;
  static constexpr float unit = 12.0f;  // pixels per panel unit

  void SetUp() override {
    disp.setImp(&dispImp);
    mouse.setImp(&mouseImp);
    kbd.setImp(&kbdImp);
    dispImp.resize(W, H);
    dispImp.update();
    gui = new ShaderGui(&scene);
    scene.gui = gui;
    ASSERT_TRUE(gui->init());
    // The drawing pass sizes the root to the window; these tests draw nothing.
    static_cast<pwn::MenuRoot*>(pwn::menuSys->getRoot())->refreshSize();
  }
  void TearDown() override {
    delete gui;
    disp.setImp(nullptr);
    mouse.setImp(nullptr);
    kbd.setImp(nullptr);
  }

  // One frame with the pointer at panel point (x, y) and the primary button as given.
  void frame(float x, float y, bool down) {
    mouseImp.setCursorPos(static_cast<int>(x * unit), static_cast<int>(y * unit));
    mouseImp.setButtonPress(PMouseHandler::PRIMARY, down);
    dispImp.update();
    mouseImp.update();
    kbdImp.preUpdate();
    pwn::menuSys->getInput();
    kbdImp.postUpdate();
  }
  void click(float x, float y) {
    frame(x, y, true);
    frame(x, y, false);
  }
  // Clicks a field, replaces its text by typing and ends the edit with RETURN.
  void enter(pwn::TextField* field, std::string const& text) {
    pwn::Vec2 const p = field->getPos();
    click(p.x + 0.5f, p.y + 0.5f);
    for (size_t i = 0; i < field->getText().size(); ++i) press(Key::BACKSPACE);
    for (char c : text) {
      bool const upper = c >= 'A' && c <= 'Z';
      if (upper) kbdImp.keyDown(Key::LSHIFT);
      press(upper ? c - 'A' + 'a' : c);
      if (upper) kbdImp.keyUp(Key::LSHIFT);
    }
    press(Key::RETURN);
    frame(30.0f, 40.0f, false);  // the queued keys are handled in this frame
  }
  void press(int k) {
    kbdImp.keyDown(static_cast<Key::Key_t>(k));
    kbdImp.keyUp(static_cast<Key::Key_t>(k));
  }
  void clickTechnique(int i) {
    pwn::Vec2 const p = gui->checkboxes[static_cast<size_t>(i)]->getPos();
    click(p.x + 0.5f, p.y + 0.5f);
  }

  Display dispImp;
  MouseHandler mouseImp;
  KeyboardHandler kbdImp;
  RecordingScene scene;
  ShaderGui* gui = nullptr;
};

TEST_F(Panel, BuildingLaysOutTheWidgetsAndCallsNobody) {
  EXPECT_TRUE(scene.rebuilds.empty());
  EXPECT_EQ(scene.resets + scene.refreshes, 0);
  EXPECT_EQ(gui->macroString(), "");

  ASSERT_EQ(gui->checkboxes.size(), 6u);
  float const ys[6] = {1.0f, 2.1f, 3.2f, 4.3f, 5.4f, 6.5f};
  for (int i = 0; i < 6; ++i) {
    pwn::Checkbox* box = gui->checkboxes[static_cast<size_t>(i)].get();
    EXPECT_EQ(box->getText(), ShaderGui::preprocNames[i]);
    EXPECT_FALSE(box->isChecked());
    EXPECT_NEAR(box->getPos().x, 1.0f, 1e-6f);
    EXPECT_NEAR(box->getPos().y, ys[i], 1e-5f);
  }
  EXPECT_EQ(gui->iterationStepsField->getText(), "32");
  EXPECT_EQ(gui->polyDepthField->getText(), "0.5");
  EXPECT_EQ(gui->bumpScaleField->getText(), "100");
  EXPECT_NEAR(gui->iterationStepsField->getPos().y, 9.8f, 1e-5f);
  EXPECT_NEAR(gui->polyDepthField->getPos().y, 13.0f, 1e-5f);
  EXPECT_NEAR(gui->bumpScaleField->getPos().y, 16.2f, 1e-5f);
  EXPECT_EQ(gui->bumpScaleField->getSize(), pwn::Vec2(10.0f, 1.0f));
  EXPECT_EQ(gui->colorTex->getPos(), pwn::Vec2(2.0f, gui->bumpTex->getPos().y));
  EXPECT_NEAR(gui->bumpTex->getPos().x, 9.6f, 1e-5f);
  EXPECT_NEAR(gui->bumpTex->getPos().y, 18.3f, 1e-5f);
  EXPECT_EQ(gui->colorTex->getSize(), pwn::Vec2(4.0f, 4.0f));
}

TEST_F(Panel, ClickedTechniquesBuildTheMacroStringInTableOrder) {
  clickTechnique(0);
  ASSERT_EQ(scene.rebuilds.size(), 1u);
  EXPECT_EQ(scene.rebuilds.back(), "#define PARALLAX\n" + steps32);
  EXPECT_TRUE(gui->checkboxes[0]->isChecked());

  clickTechnique(0);  // a second click: a second rebuild, ending with the technique off
  ASSERT_EQ(scene.rebuilds.size(), 2u);
  EXPECT_EQ(scene.rebuilds.back(), steps32);

  clickTechnique(2);
  clickTechnique(0);
  EXPECT_EQ(scene.rebuilds.back(), "#define PARALLAX\n#define ITERATIVE\n" + steps32);
  clickTechnique(5);
  clickTechnique(4);
  EXPECT_EQ(scene.rebuilds.back(),
            "#define PARALLAX\n#define ITERATIVE\n#define SHADOW_TRACE\n"
            "#define OFFSET_LIMITING_LIGHT\n" + steps32);
  EXPECT_EQ(gui->techniqueFlags, 1 | 4 | 16 | 32);
}

TEST_F(Panel, IterationFieldTakesALeadingPositiveCount) {
  enter(gui->iterationStepsField.get(), "12abc");
  ASSERT_EQ(scene.rebuilds.size(), 1u);
  EXPECT_EQ(scene.rebuilds.back(), "#define ITERATIVE_STEPS\t12.0\n");
  EXPECT_EQ(gui->iterativeSteps, 12);

  for (char const* rejected : {"0", "-5", "abc"}) {
    enter(gui->iterationStepsField.get(), rejected);
    EXPECT_EQ(gui->iterativeSteps, 12) << rejected;
    EXPECT_EQ(gui->iterationStepsField->getText(), rejected);  // the text stays
  }
  EXPECT_EQ(scene.rebuilds.size(), 1u);
  EXPECT_EQ(scene.resets + scene.refreshes, 0);
}

TEST_F(Panel, DepthAndScaleFieldsResetUniformsOrRegenerate) {
  testing::internal::CaptureStdout();
  enter(gui->polyDepthField.get(), "0.25");
  enter(gui->polyDepthField.get(), "abc");
  enter(gui->bumpScaleField.get(), "50");
  std::string const out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, " polyThickness = 0.25\n polyThickness = 0\n bumpHeight = 50\n");
  EXPECT_EQ(scene.resets, 2);
  EXPECT_EQ(scene.refreshes, 1);
  EXPECT_TRUE(scene.rebuilds.empty());
  EXPECT_FLOAT_EQ(gui->polyThickness, 0.0f);
  EXPECT_FLOAT_EQ(gui->bumpHeight, 50.0f);
}

TEST_F(Panel, DestroyEmptiesThePanelAndCanBuildAgain) {
  clickTechnique(1);
  gui->destroy();
  EXPECT_TRUE(gui->checkboxes.empty());
  EXPECT_FALSE(gui->hasTextureDisplays());
  EXPECT_EQ(gui->techniqueFlags, 0);
  ASSERT_TRUE(gui->init());
  EXPECT_EQ(gui->checkboxes.size(), 6u);
}

TEST(PanelNames, TechniquesAreFoundByMacroOrLabel) {
  EXPECT_EQ(ShaderGui::findTechnique("PARALLAX"), 0);
  EXPECT_EQ(ShaderGui::findTechnique("offset_limiting_eye"), 1);
  EXPECT_EQ(ShaderGui::findTechnique("\"Iterative LERP\""), 3);
  EXPECT_EQ(ShaderGui::findTechnique("OffsetLimitLight"), 5);
  EXPECT_EQ(ShaderGui::findTechnique("relief"), -1);
  EXPECT_EQ(ShaderGui::findTechnique(""), -1);
}

TEST(PanelDeath, TextureDisplaysMustExistBeforeTheyAreSet) {
  RecordingScene scene;
  ShaderGui gui(&scene);
  EXPECT_DEATH(gui.updateTextureIDs(1, 2), "failed assertion `colorTex && bumpTex'");
}

}  // namespace
