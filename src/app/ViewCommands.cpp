// The commands and variables for looking at the scene and for scripts: wait
// (hold the lines after it for some drawn frames), panel (hide or show the
// panel), wipe (place the A/B line), and light 0's colour and intensity and
// the material's specular colour and shininess, which the shaders read from
// the fixed-function state.
#include <string>

#include "BenchCommands.h"
#include "ConsoleArgs.h"
#include "ShaderScene.h"
#include "base/console.h"
#include "base/cvar.h"
#include "base/parsenumber.h"

namespace {

// Ends once `frames` frames have been drawn: the lines after it wait so long.
class FrameWait : public BenchJob {
public:
  explicit FrameWait(int frames) : left(frames) {}
  std::string name() const override { return "wait"; }
  bool step() override { return left > 0; }
  void frameDrawn() override { --left; }

private:
  int left;
};

int const maxWait = 100000;

void CFunc_wait(int argc, char** argv) {
  int frames = 0;
  std::string const text = argc == 2 ? unquote(argv[1]) : std::string();
  if (argc != 2 || text.find_first_not_of("0123456789") != std::string::npos || !parseInt(text.c_str(), frames) ||
      frames < 1 || frames > maxWait) {
    con << "usage: wait FRAMES (1 to " << maxWait << "): the lines after it run once that many frames are drawn\n";
    return;
  }
  shaderTestModule.jobs().start(std::unique_ptr<BenchJob>(new FrameWait(frames)));
}

void CFunc_panel(int argc, char** argv) {
  std::string const state = argc == 2 ? unquote(argv[1]) : std::string();
  if (argc > 2 || (argc == 2 && state != "0" && state != "1")) {
    con << "usage: panel [0|1] (0 hides the panel in the window and in screenshots, 1 draws it)\n";
    return;
  }
  if (argc == 2) shaderTestModule.showPanel(state == "1");
  con << "panel := " << (shaderTestModule.panelVisible() ? 1 : 0) << "\n";
}

void CFunc_wipe(int argc, char** argv) {
  ScenePrograms& programs = shaderTestModule.reliefScene().programs();
  float x = 0;
  if (argc > 2 || (argc == 2 && (!parseFiniteFloat(unquote(argv[1]).c_str(), x) || x < 0.0f || x > 1.0f))) {
    con << "usage: wipe [X] (0 to 1: where the A/B line stands across the view, from its left edge)\n";
    return;
  }
  if (argc == 2) programs.setWipe(x);
  con << "wipe := " << static_cast<double>(programs.comparison().wipe())
      << (programs.comparison().active() || shaderTestModule.truthCompare().active()
              ? ""
              : " (the line shows once compare starts)")
      << "\n";
}

// A variable of the looks: `count` numbers from 0 to `most`, each read before
// any is stored, so that a bad one changes nothing. Bound to the module's
// FixedLighting by bindLookVars; its handler puts the values into the GL.
class LookVar : public CVarw {
public:
  LookVar(char const* name, int count, float most, char const* what)
      : CVarw(static_cast<float*>(nullptr), name, [](int, char**) { shaderTestModule.applyLighting(); }, count),
        most(most),
        what(what) {}
  void setValue(int argc, char** argv) override {
    if (!data) return;
    float v[3] = {};
    bool ok = argc - 1 == count;
    for (int i = 0; ok && i < count; ++i) ok = parseFiniteFloat(argv[i + 1], v[i]) && v[i] >= 0.0f && v[i] <= most;
    if (!ok) {
      con << "usage: " << name << " " << what << "; nothing changed\n";
      return;
    }
    for (int i = 0; i < count; ++i) static_cast<float*>(data)[i] = v[i];
  }
  void echoData() override {
    if (data) CVarw::echoData();
  }

private:
  float most;
  char const* what;
};

LookVar lightColorVar("lightColor", 3, 1.0f, "R G B (0 to 1 each): light 0's colour");
LookVar lightIntensityVar("lightIntensity", 1, FixedLighting::maxIntensity,
                          "X (0 to 100): light 0's colour is multiplied by it");
LookVar specularVar("materialSpecular", 3, 1.0f, "R G B (0 to 1 each): the material's specular colour");
LookVar shininessVar("materialShininess", 1, FixedLighting::maxShininess,
                     "X (0 to 128): the material's specular exponent");

CVar waitCmd("wait", CFunc_wait);
CVar panelCmd("panel", CFunc_panel);
CVar wipeCmd("wipe", CFunc_wipe);

}  // namespace

void bindLookVars(FixedLighting* looks) {
  lightColorVar.data = looks ? &looks->lightColor.x : nullptr;
  lightIntensityVar.data = looks ? &looks->lightIntensity : nullptr;
  specularVar.data = looks ? &looks->specularColor.x : nullptr;
  shininessVar.data = looks ? &looks->shininess : nullptr;
}
