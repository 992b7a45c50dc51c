// Console commands that drive the bench the way the panel does, so that a set-up
// can be typed or scripted (--exec): techniques, fields, maps and screenshots.
#include <cstdlib>
#include <string>

#include "ShaderGui.h"
#include "ShaderScene.h"
#include "base/console.h"
#include "base/cvar.h"

namespace {

// Console tokens keep their double quotes; a file name with spaces arrives quoted.
std::string unquote(char const* token) {
  std::string s(token);
  std::string out;
  for (char c : s)
    if (c != '"') out += c;
  return out;
}

ShaderGui* panel(char const* command) {
  ShaderGui* gui = shaderTestModule.getGui();
  if (!gui) con << command << ": the panel is not running\n";
  return gui;
}

// Puts text into one of the panel's fields and applies it as leaving the field would.
void commitField(char const* command, int argc, char** argv, pwn::TextField* (*field)(ShaderGui*)) {
  if (argc < 2) {
    con << "usage: " << command << " VALUE\n";
    return;
  }
  ShaderGui* gui = panel(command);
  if (!gui) return;
  pwn::TextField* f = field(gui);
  if (!f) return;
  f->setText(unquote(argv[1]));
  gui->callback_onTextChange(f);
}

void CFunc_technique(int argc, char** argv) {
  if (argc < 2) {
    con << "usage: technique NAME [0|1]; NAME is one of:";
    for (int i = 0; i < ShaderGui::numTechniques; ++i) con << " " << ShaderGui::preprocMacros[i];
    con << "\n";
    return;
  }
  ShaderGui* gui = panel("technique");
  if (!gui) return;
  int const i = ShaderGui::findTechnique(unquote(argv[1]));
  if (i < 0 || static_cast<size_t>(i) >= gui->checkboxes.size()) {
    con << "technique: unknown technique \"" << argv[1] << "\"\n";
    return;
  }
  pwn::Checkbox* box = gui->checkboxes[static_cast<size_t>(i)].get();
  bool const on = argc > 2 ? std::atoi(argv[2]) != 0 : !box->isChecked();
  box->setChecked(on);  // notifies the panel, which rebuilds as a click would
}

void CFunc_iterations(int argc, char** argv) {
  commitField("iterations", argc, argv, [](ShaderGui* g) { return g->iterationStepsField.get(); });
}

void CFunc_polyDepth(int argc, char** argv) {
  commitField("polyDepth", argc, argv, [](ShaderGui* g) { return g->polyDepthField.get(); });
}

void CFunc_bumpScale(int argc, char** argv) {
  commitField("bumpScale", argc, argv, [](ShaderGui* g) { return g->bumpScaleField.get(); });
}

void CFunc_colorMap(int argc, char** argv) {
  if (argc < 2) {
    con << "usage: colorMap FILE\n";
    return;
  }
  shaderTestModule.loadColorMap(unquote(argv[1]).c_str());
}

void CFunc_bumpMap(int argc, char** argv) {
  if (argc < 2) {
    con << "usage: bumpMap FILE\n";
    return;
  }
  shaderTestModule.loadBumpMap(unquote(argv[1]).c_str());
}

void CFunc_screenshot(int argc, char** argv) {
  if (argc < 2) {
    con << "usage: screenshot FILE.png\n";
    return;
  }
  shaderTestModule.requestScreenshot(unquote(argv[1]));
}

CVar techniqueCmd("technique", CFunc_technique);
CVar iterationsCmd("iterations", CFunc_iterations);
CVar polyDepthCmd("polyDepth", CFunc_polyDepth);
CVar bumpScaleCmd("bumpScale", CFunc_bumpScale);
CVar colorMapCmd("colorMap", CFunc_colorMap);
CVar bumpMapCmd("bumpMap", CFunc_bumpMap);
CVar screenshotCmd("screenshot", CFunc_screenshot);

}  // namespace

// The light's position, to read it back or place it exactly.
CVarw lightPosVar(&shaderTestModule.lightPos, "lightPos", nullptr);
