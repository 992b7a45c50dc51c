// Console commands that drive the bench the way the panel does, so that a set-up
// can be typed or scripted (--exec): techniques, fields, shader files, the
// camera, the A/B comparison, the step mode, the cone kind and screenshots.
// The maps have their own file (MapCommands), as do the looks (ViewCommands)
// and the mesh (SceneCommand).
#include <GL/gl.h>

#include <cstdlib>
#include <string>

#include "BenchCommands.h"
#include "ConeMap.h"
#include "ConsoleArgs.h"
#include "PanelFields.h"
#include "RunContext.h"
#include "ShaderGui.h"
#include "ShaderScene.h"
#include "Techniques.h"
#include "base/console.h"
#include "base/base.h"
#include "base/cvar.h"
#include "base/outputpath.h"
#include "base/parsenumber.h"
#include "base/view.h"
#include "math/quat.h"

namespace {

ShaderGui* panel(char const* command) { return panelFor(command); }

// Puts text into one of the panel's fields and applies it as leaving the field would.
void commitField(char const* command, int argc, char** argv, pwn::TextField* (*field)(ShaderGui*)) {
  if (argc < 2) {
    con << "usage: " << command << " VALUE\n";
    return;
  }
  ShaderGui* gui = panel(command);
  if (!gui) return;
  applyField(*gui, field(gui), joined(argv, 1, argc));
}

void CFunc_technique(int argc, char** argv) {
  if (argc < 2) {
    con << "usage: technique NAME [0|1] | technique none; NAME is one of:";
    for (int i = 0; i < Techniques::count; ++i) con << " " << Techniques::table[i].macro;
    con << "\n";
    return;
  }
  ShaderGui* gui = panel("technique");
  if (!gui) return;
  if (argc == 2 && unquote(argv[1]) == "none") {
    gui->setTechniques(0);  // every box cleared, one rebuild
    con << "technique: none checked\n";
    return;
  }
  // The name is the whole rest of the line (a label may have spaces), less a
  // final 0 or 1.
  std::string const last = unquote(argv[argc - 1]);
  bool const hasState = argc > 2 && (last == "0" || last == "1");
  std::string const name = joined(argv, 1, hasState ? argc - 1 : argc);
  int const i = Techniques::find(name);
  if (i < 0 || static_cast<size_t>(i) >= gui->checkboxes.size()) {
    // A known name followed by something else: the state is what is wrong.
    if (argc > 2 && Techniques::find(joined(argv, 1, argc - 1)) >= 0)
      con << "technique: the state must be 0 or 1, not \"" << last << "\"\n";
    else
      con << "technique: unknown technique \"" << name << "\"\n";
    return;
  }
  pwn::Checkbox* box = gui->checkboxes[static_cast<size_t>(i)].get();
  bool const on = hasState ? last == "1" : !box->isChecked();
  box->setChecked(on);  // notifies the panel, which rebuilds as a click would
}

void CFunc_iterations(int argc, char** argv) {
  commitField("iterations", argc, argv, [](ShaderGui* g) { return g->iterationStepsField.get(); });
}

void CFunc_refineSteps(int argc, char** argv) {
  commitField("refineSteps", argc, argv, [](ShaderGui* g) { return g->refineStepsField.get(); });
}

void CFunc_polyDepth(int argc, char** argv) {
  commitField("polyDepth", argc, argv, [](ShaderGui* g) { return g->polyDepthField.get(); });
}

void CFunc_bumpScale(int argc, char** argv) {
  commitField("bumpScale", argc, argv, [](ShaderGui* g) { return g->bumpScaleField.get(); });
}

void CFunc_screenshot(int argc, char** argv) {
  if (argc < 2) {
    con << "usage: screenshot FILE.png|FILE.jpg\n";
    return;
  }
  std::string const path = joined(argv, 1, argc);
  std::string error;
  if (!checkOutputPath(path, {".png", ".jpg", ".jpeg"}, error)) {
    con << "screenshot: " << error << "\n";
    return;
  }
  shaderTestModule.requestScreenshot(path);
}

// The lines the main program is built with: the panel's macro string, then
// the lines the bench adds (the set's partners and search, HEIGHT_MAP).
void CFunc_defines(int, char**) {
  ShaderGui* gui = panel("defines");
  if (!gui) return;
  std::string const macros = gui->macroString();
  std::string const built =
      shaderTestModule.reliefScene().programs().programMacros(macros, gui->settings().set);
  con << (macros.empty() ? std::string("(no macros from the panel yet: the first build uses none)\n") : macros);
  if (built.size() > macros.size()) con << "and the lines the bench adds:\n" << built.substr(macros.size());
}

void CFunc_timing(int, char**) {
  con << shaderTestModule.costLine() << " (medians of the last 30 frames; "
      << (shaderTestModule.reliefScene().gpuTimer().usesQueries() ? "GL timer queries" : "glFinish around the draw") << ")\n";
}

// The GL renderer and version (the console echoes to standard output, where scripts read it).
void CFunc_renderer(int, char**) {
  char const* renderer = reinterpret_cast<char const*>(glGetString(GL_RENDERER));
  char const* version = reinterpret_cast<char const*>(glGetString(GL_VERSION));
  std::string const line = std::string("renderer: ") + (renderer ? renderer : "unknown") + " | OpenGL " +
                           (version ? version : "unknown") + "\n";
  con << line;
}

void CFunc_reload(int, char**) { shaderTestModule.reliefScene().programs().reloadShaders(); }

void CFunc_shader(int argc, char** argv) {
  std::string const stage = argc > 1 ? unquote(argv[1]) : std::string();
  if (argc < 3 || (stage != "vert" && stage != "frag")) {
    ReliefScene const& scene = shaderTestModule.reliefScene();
    con << "usage: shader vert|frag FILE; now vert " << scene.programs().shaderFile(true).path() << ", frag "
        << scene.programs().shaderFile(false).path() << "\n";
    return;
  }
  shaderTestModule.reliefScene().programs().loadShaderFile(stage == "vert", joined(argv, 2, argc));
}

// The main camera, to read it back or place it exactly: position, orientation
// quaternion (x y z w) and the view's width (its field of view at the near plane).
void CFunc_camera(int argc, char** argv) {
  View& v = base.views[Base::VIEW_MAIN];
  if (argc == 1) {
    con << "camera " << cameraLine(v) << "\n";
    return;
  }
  // Every value is read before any is used: a bad one leaves the camera as it was.
  float f[8] = {};
  int const n = argc - 1;
  bool ok = n == 7 || n == 8;
  for (int i = 0; ok && i < n; ++i) ok = parseFiniteFloat(argv[i + 1], f[i]);
  _quat<float> q;
  if (ok) {
    q = _quat<float>(f[3], f[4], f[5], f[6]);
    ok = q.len() > 1e-6;
  }
  if (ok && n == 8) ok = f[7] > 0;
  if (!ok) {
    con << "usage: camera [X Y Z QX QY QZ QW [WIDTH]] (finite numbers, a nonzero quaternion, a positive width)\n";
    return;
  }
  q.normalize();
  v.basis.pos = _vec<3, float>(f[0], f[1], f[2]);
  v.basis.orient = q;
  if (n == 8) v.width = v.height = f[7];
}

// One side of a comparison: a set, then after '@' a step count of its own
// (0 where none is given).
bool readSide(std::string const& word, unsigned& set, int& steps, std::string& error) {
  size_t const at = word.find('@');
  steps = 0;
  if (at != std::string::npos) {
    std::string const count = word.substr(at + 1);
    int n = 0;
    if (count.empty() || count.find_first_not_of("0123456789") != std::string::npos || !parseInt(count.c_str(), n) ||
        n < ReliefSettings::minSteps || n > ReliefSettings::maxSteps) {
      error = "the step count after @ must be a whole number from " + std::to_string(ReliefSettings::minSteps) +
              " to " + std::to_string(ReliefSettings::maxSteps) + ", not \"" + count + "\"";
      return false;
    }
    steps = n;
  }
  return Techniques::parse(word.substr(0, at), set, error);
}

void CFunc_compare(int argc, char** argv) {
  if (argc == 2 && unquote(argv[1]) == "off") {
    shaderTestModule.reliefScene().programs().stopCompare();
    shaderTestModule.truthCompare().stop();
    con << "compare: off\n";
    return;
  }
  if (argc != 3) {
    con << "usage: compare SET_A[@STEPS] SET_B[@STEPS] | compare SET_A[@STEPS] truth | compare off; a set is none "
           "or names joined by +, "
           "e.g. compare PARALLAX ITERATIVE+ITERATIVE_LERP@64 (without @, a side draws at the panel's steps)\n";
    return;
  }
  ShaderGui* gui = panel("compare");
  if (!gui) return;
  unsigned a = 0, b = 0;
  int stepsA = 0, stepsB = 0;
  std::string error;
  bool const truth = unquote(argv[2]) == "truth";
  if (!readSide(unquote(argv[1]), a, stepsA, error) || (!truth && !readSide(unquote(argv[2]), b, stepsB, error))) {
    con << "compare: " << error << "\n";
    return;
  }
  if (truth) {
    // The set on the panel, the displaced surface's picture right of the
    // wipe, traced once the scene has stayed still for half a second.
    shaderTestModule.reliefScene().programs().stopCompare();
    shaderTestModule.showSet(a);
    if (stepsA > 0) applyField(*gui, gui->iterationStepsField.get(), std::to_string(stepsA));
    shaderTestModule.truthCompare().start();
    con << "compare: A " << Techniques::name(a) << " left, the displaced truth right, traced again half a second "
                                                   "after the view, light or settings change; wipe X moves the line\n";
    return;
  }
  shaderTestModule.truthCompare().stop();
  // B is built first, so that a failed build leaves the panel as it was;
  // A's count is the panel's, which B follows unless it has its own.
  std::string log;
  if (!shaderTestModule.startCompare(a, b, log, stepsB)) {
    con << "compare: the build for " << Techniques::name(b) << " failed:\n" << log;
    return;
  }
  if (stepsA > 0) applyField(*gui, gui->iterationStepsField.get(), std::to_string(stepsA));
  std::string const ownA = stepsB > 0 ? "@" + std::to_string(gui->iterativeSteps) : "";
  std::string const ownB = stepsB > 0 ? "@" + std::to_string(stepsB) : "";
  con << "compare: A " << Techniques::name(a) << ownA << " left, B " << Techniques::name(b) << ownB
      << " right, at " << (stepsB > 0 ? "their own step counts" : std::to_string(gui->iterativeSteps) + " steps")
      << "; drag the line with the middle button or place it with wipe X, b blinks\n";
}

// Step counts as literals (0, the default) or also as uniforms bounding the loops (1).
void CFunc_stepsAsUniforms(int argc, char** argv) {
  std::string const value = argc == 2 ? unquote(argv[1]) : std::string();
  if (argc == 2 && (value == "0" || value == "1")) {
    shaderTestModule.setStepsAsUniforms(value == "1");
  } else if (argc != 1) {
    con << "usage: stepsAsUniforms [0|1] (0: the loops are bounded by the ITERATIVE_STEPS and REFINE_STEPS "
           "literals; 1: by the uniforms iterativeSteps and refineSteps)\n";
    return;
  }
  con << "stepsAsUniforms " << (shaderTestModule.stepsAsUniforms() ? 1 : 0) << "\n";
}

// The kind of cone map RELAXED_CONE steps by.
void CFunc_coneKind(int argc, char** argv) {
  ConeMap::Kind kind = shaderTestModule.reliefScene().maps().coneMap().coneKind();
  if (argc > 2 || (argc == 2 && !ConeMap::parse(unquote(argv[1]), kind))) {
    con << "usage: coneKind [relaxed|conservative]; now " << ConeMap::name(kind) << "\n";
    return;
  }
  shaderTestModule.setConeKind(kind);
  con << "coneKind " << ConeMap::name(kind) << "\n";
}

void CFunc_cancel(int, char**) {
  if (!shaderTestModule.cancelJob()) con << "cancel: no measurement is running\n";
}

CVar techniqueCmd("technique", CFunc_technique);
CVar cancelCmd("cancel", CFunc_cancel);
CVar iterationsCmd("iterations", CFunc_iterations);
CVar refineStepsCmd("refineSteps", CFunc_refineSteps);
CVar polyDepthCmd("polyDepth", CFunc_polyDepth);
CVar bumpScaleCmd("bumpScale", CFunc_bumpScale);
CVar screenshotCmd("screenshot", CFunc_screenshot);
CVar definesCmd("defines", CFunc_defines);
CVar reloadCmd("reload", CFunc_reload);
CVar rendererCmd("renderer", CFunc_renderer);
CVar timingCmd("timing", CFunc_timing);
CVar shaderCmd("shader", CFunc_shader);
CVar compareCmd("compare", CFunc_compare);
CVar cameraCmd("camera", CFunc_camera);
CVar stepsAsUniformsCmd("stepsAsUniforms", CFunc_stepsAsUniforms);
CVar coneKindCmd("coneKind", CFunc_coneKind);

// The light's position, to read it back or place it exactly: three or four
// numbers, never part of the vector. Bound to the scene's light by bindLightVar.
class LightPosVar : public CVarw {
public:
  LightPosVar() : CVarw(static_cast<_vec<4, float>*>(nullptr), "lightPos", nullptr) {}
  void setValue(int argc, char** argv) override {
    if (argc != 4 && argc != 5) {
      con << "usage: lightPos [X Y Z [W]] (three or four numbers)\n";
      return;
    }
    CVarw::setValue(argc, argv);
  }
  void echoData() override {
    if (data) CVarw::echoData();
  }
};

LightPosVar lightPosVar;

}  // namespace

void bindLightVar(_vec<4, float>* light) { lightPosVar.data = light; }
