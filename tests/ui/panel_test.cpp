// The technique panel through the menu system's input pass: its checkboxes and
// macro string, its fields' refusals and clamps, and "A+B" technique set names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../menu/menuharness.h"
#include "ShaderGui.h"
#include "Techniques.h"

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

class Panel : public MenuHarness {
protected:
  Panel() {
    W = 800;
    H = 600;
  }
  void SetUp() override {
    MenuHarness::SetUp();
    gui = new ShaderGui(&scene);
    scene.gui = gui;
    ASSERT_TRUE(gui->init());  // a new root, scaled 12 pixels a unit
    root = pwn::menuSys->getRoot();
    unit = 12.0f;
    static_cast<pwn::MenuRoot*>(root)->refreshSize();
  }
  void TearDown() override {
    delete gui;
    MenuHarness::TearDown();
  }

  void clickOn(pwn::Object* o) { click(o->getPos().x + 0.5f, o->getPos().y + 0.5f); }
  // Clicks a field, replaces its text by typing and ends the edit with RETURN.
  void enter(pwn::TextField* field, std::string const& text) {
    clickOn(field);
    for (size_t i = 0; i < field->getText().size(); ++i) type({Key::BACKSPACE});
    for (char c : text) type({c});
    type({Key::RETURN});
    frame(30.0f, 40.0f);  // the queued keys are handled in this frame
  }

  RecordingScene scene;
  ShaderGui* gui = nullptr;
};

TEST_F(Panel, ClickedTechniquesBuildTheMacroStringInTableOrderUntilDestroyed) {
  EXPECT_TRUE(scene.rebuilds.empty());  // building the panel calls nobody
  ASSERT_EQ(gui->checkboxes.size(), static_cast<size_t>(Techniques::count));
  for (int i = 0; i < Techniques::count; ++i)
    EXPECT_EQ(gui->checkboxes[static_cast<size_t>(i)]->getText(), Techniques::table[i].label);

  clickOn(gui->checkboxes[0].get());
  ASSERT_EQ(scene.rebuilds.size(), 1u);
  EXPECT_EQ(scene.rebuilds.back(), "#define PARALLAX\n" + steps32);
  clickOn(gui->checkboxes[0].get());  // a second click: the technique off again
  EXPECT_EQ(scene.rebuilds.back(), steps32);

  for (int i : {5, 2, 4, 0}) clickOn(gui->checkboxes[static_cast<size_t>(i)].get());
  EXPECT_EQ(scene.rebuilds.back(),
            "#define PARALLAX\n#define ITERATIVE\n#define SHADOW_TRACE\n#define OFFSET_LIMITING_LIGHT\n" + steps32);
  EXPECT_EQ(gui->techniqueFlags, 1 | 4 | 16 | 32);

  // Setting a whole set rebuilds once and leaves the boxes showing it.
  size_t const before = scene.rebuilds.size();
  gui->setTechniques(Techniques::Iterative | Techniques::IterativeLerp);
  EXPECT_EQ(scene.rebuilds.size(), before + 1);
  EXPECT_EQ(scene.rebuilds.back(), "#define ITERATIVE\n#define ITERATIVE_LERP\n" + steps32);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(gui->checkboxes[static_cast<size_t>(i)]->isChecked(), i == 2 || i == 3);

  // destroy empties the panel, and it can build again.
  gui->destroy();
  EXPECT_TRUE(gui->checkboxes.empty());
  EXPECT_FALSE(gui->hasTextureDisplays());
  EXPECT_EQ(gui->techniqueFlags, 0);
  ASSERT_TRUE(gui->init());
  EXPECT_EQ(gui->checkboxes.size(), static_cast<size_t>(Techniques::count));
}

TEST_F(Panel, FieldsTakeFiniteNumbersAndShowTheValueInUse) {
  struct Case {
    pwn::TextField* field;
    char const* typed;
    char const* shown;  // the field's text afterwards
    int rebuilds, resets, refreshes;
  } const cases[] = {
      {gui->iterationStepsField.get(), "16", "16", 1, 0, 0},
      {gui->iterationStepsField.get(), "abc", "16", 0, 0, 0},
      {gui->iterationStepsField.get(), "12abc", "12", 1, 0, 0},
      {gui->iterationStepsField.get(), "99999999999", "1024", 1, 0, 0},
      {gui->iterationStepsField.get(), "0", "1024", 0, 0, 0},
      {gui->iterationStepsField.get(), "-5", "1024", 0, 0, 0},
      {gui->polyDepthField.get(), "0.25", "0.25", 0, 1, 0},
      {gui->polyDepthField.get(), "abc", "0.25", 0, 0, 0},
      {gui->polyDepthField.get(), "nan", "0.25", 0, 0, 0},
      {gui->polyDepthField.get(), "10.5", "0.25", 0, 0, 0},
      {gui->polyDepthField.get(), "-0.1", "0.25", 0, 0, 0},
      {gui->bumpScaleField.get(), "inf", "100", 0, 0, 0},
      {gui->bumpScaleField.get(), "10001", "100", 0, 0, 0},
      {gui->bumpScaleField.get(), "50", "50", 0, 0, 1},
  };
  testing::internal::CaptureStdout();
  for (Case const& c : cases) {
    RecordingScene const before = scene;
    enter(c.field, c.typed);
    EXPECT_EQ(c.field->getText(), c.shown) << c.typed;
    EXPECT_EQ(scene.rebuilds.size() - before.rebuilds.size(), static_cast<size_t>(c.rebuilds)) << c.typed;
    EXPECT_EQ(scene.resets - before.resets, c.resets) << c.typed;
    EXPECT_EQ(scene.refreshes - before.refreshes, c.refreshes) << c.typed;
  }
  std::string const out = testing::internal::GetCapturedStdout();
  for (char const* told : {"\"abc\" is not a whole number; keeping 16", "99999999999 is more than 1024; using 1024",
                           "-5 is less than 1; keeping 1024", "Poly Depth: 10.5 is outside 0 to 10; keeping 0.25",
                           "Bumpmap Scale: 10001 is outside 0 to 10000; keeping 100"})
    EXPECT_NE(out.find(told), std::string::npos) << told << "\n" << out;
  EXPECT_EQ(gui->iterativeSteps, 1024);
  EXPECT_FLOAT_EQ(gui->polyThickness, 0.25f);
  EXPECT_FLOAT_EQ(gui->bumpHeight, 50.0f);
}

TEST(TechniqueSets, NamesReadBackAndBadPartsAreRefused) {
  struct Case {
    char const* text;
    bool ok;
    unsigned set;
    char const* name;
  } const cases[] = {
      {"none", true, 0u, "none"},
      {"PARALLAX", true, Techniques::Parallax, "PARALLAX"},
      {"ITERATIVE_LERP+iterative", true, Techniques::Iterative | Techniques::IterativeLerp, "ITERATIVE+ITERATIVE_LERP"},
      {"Offset Limit Light+Shadow Trace", true, Techniques::ShadowTrace | Techniques::OffsetLimitLight,
       "SHADOW_TRACE+OFFSET_LIMITING_LIGHT"},
      {"PARALLAX+relief", false, 0u, ""}, {"", false, 0u, ""}, {"+", false, 0u, ""},
  };
  for (Case const& c : cases) {
    unsigned set = 12345;
    std::string error;
    EXPECT_EQ(Techniques::parse(c.text, set, error), c.ok) << c.text;
    EXPECT_EQ(set, c.ok ? c.set : 12345u) << c.text;  // a refused text leaves the set alone
    EXPECT_TRUE(c.ok || !error.empty()) << c.text;
    EXPECT_EQ(c.ok ? Techniques::name(set) : "", c.name) << c.text;
  }
}

}  // namespace
