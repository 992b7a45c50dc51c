// ScenePrograms: reading and watching the shader files, building the main,
// comparison and measuring programs, and waiting for a cone map.
#include "ScenePrograms.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <iostream>

#include "DataFiles.h"
#include "HeightTexture.h"
#include "SceneMaps.h"
#include "base/console.h"
#include "base/exception.h"

namespace {

char const* const vertShaderName = "shaders/basic bumpmap.vert";
char const* const fragShaderName = "shaders/iterative parallax.frag";

// Shader files are looked at this often for edits, in seconds.
double const watchInterval = 0.5;

// Whether the GL has GL_ARB_shader_texture_lod: the gradient and explicit-level
// lookups the later techniques use before GLSL 1.30.
bool hasTextureLod() {
  char const* all = reinterpret_cast<char const*>(glGetString(GL_EXTENSIONS));
  return all && std::strstr(all, "GL_ARB_shader_texture_lod");
}

// Says once per kind what a set loses on a GL without those lookups.
void warnIfNoGradientLookups(unsigned set) {
  static bool warnedGradients = false, warnedLevels = false;
  bool const gradients = (set & (Techniques::AdaptiveSteps | Techniques::EarlyExit)) != 0;
  bool const levels = (set & Techniques::MaxPyramid) != 0;
  if ((!gradients || warnedGradients) && (!levels || warnedLevels)) return;
  if (hasTextureLod()) return;
  if (gradients && !warnedGradients) {
    warnedGradients = true;
    con << "this GL has no gradient lookups (GL_ARB_shader_texture_lod): ADAPTIVE_STEPS and EARLY_EXIT "
           "march the full length\n";
  }
  if (levels && !warnedLevels) {
    warnedLevels = true;
    con << "this GL has no explicit-level lookups (GL_ARB_shader_texture_lod): MAX_PYRAMID builds nothing "
           "unless the shader declares GLSL 1.30\n";
  }
}

}  // namespace

void ScenePrograms::init() {
  std::string error;
  struct Stage {
    ShaderFile& file;
    char const* name;
    char const* kind;
  } const stages[] = {{fragFile, fragShaderName, "Frag"}, {vertFile, vertShaderName, "Vert"}};
  for (Stage const& s : stages) {
    std::string const path = DataFiles::find(s.name);
    if (s.file.read(path, error)) continue;
    std::fprintf(stderr, "%s\nthe bench looks for its data files in %s; start it in the data/ folder "
                 "(./scripts/run does) or name the folder with --data\n",
                 error.c_str(), DataFiles::places().c_str());
    throw Exception() << s.kind << " shader filename " << path
                      << (error.find("empty") != std::string::npos ? " is empty!" : " has no data!");
  }
  std::string const from = fragFile.path().substr(0, fragFile.path().size() - std::string(fragShaderName).size());
  if (!from.empty()) con << "data files from " << from << "\n";
}

void ScenePrograms::shutdown() {
  compare.stop();
  main.reset();
  waitingForCones = false;
  failed = false;
}

Techniques::EyeSearch ScenePrograms::searchOn(unsigned set) {
  Techniques::EyeSearch const search = Techniques::eyeSearch(set);
  if (search == Techniques::EyeSearch::Pyramid && !hasTextureLod())
    return Techniques::eyeSearch(set & ~Techniques::MaxPyramid);
  return search;
}

std::string ScenePrograms::compareMacrosFor() const {
  return Techniques::macroString(compare.setB(), compareSteps > 0 ? compareSteps : settings.steps, settings.refineSteps);
}

std::string ScenePrograms::programMacros(std::string const& macros, unsigned set) const {
  std::string const heights = maps.separateHeights() ? std::string("#define ") + HeightTexture::macro + "\n" : "";
  std::string const mode =
      settings.stepsAsUniforms ? std::string("#define ") + Techniques::stepsAsUniformsMacro + "\n" : "";
  return macros + Techniques::buildLines(set) + heights + mode;
}

void ScenePrograms::prepareMaps(unsigned set) {
  Techniques::EyeSearch const search = searchOn(set);
  if (search == Techniques::EyeSearch::Cone) maps.updateCones();
  if (search == Techniques::EyeSearch::Pyramid) maps.updatePyramid();
}

void ScenePrograms::setUniforms(ReliefProgram& p, float polyThickness) const {
  p.setUniforms(polyThickness, maps.coneMap().width(), maps.coneMap().height());
  p.setPyramidSize(maps.maxPyramid().mapWidth(), maps.maxPyramid().mapHeight());
}

std::unique_ptr<ReliefProgram> ScenePrograms::build(ShaderText const& vert, ShaderText const& frag, unsigned set,
                                                    std::string const& macros, float polyThickness,
                                                    std::string& log) {
  prepareMaps(set);
  std::unique_ptr<ReliefProgram> p(new ReliefProgram);
  if (!p->build(vert, frag, programMacros(macros, set))) {
    log = p->log();
    return nullptr;
  }
  setUniforms(*p, polyThickness);
  return p;
}

void ScenePrograms::reportBuildFailure(std::string const& what, std::string const& log) {
  std::fprintf(stderr, "shader error (%s):\n%s", what.c_str(), log.c_str());
  con << "shader error (" << what << "); the last good program keeps drawing:\n" << log;
  if (!con.isVisible()) con.toggle();
  failed = true;
}

void ScenePrograms::rebuild(std::string const& macros) {
  mainMacros = macros;
  mainSet = settings.set;
  waitingForCones = false;
  if (searchOn(mainSet) == Techniques::EyeSearch::Cone && !maps.coneMap().ready()) {
    // A large map's cones take a while: the last program keeps drawing until
    // they are made, and pollMaps() rebuilds then.
    if (maps.startCones() && !maps.pollCones()) {
      waitingForCones = true;
      shownConePercent = 0;
      con << "cone map: making it in the background; the last program draws until it is ready (cancel stops it)\n";
      return;
    }
  }
  std::cout << "rebuilding with macro strings:\n" << macros << "\n";
  std::string const built = programMacros(macros, mainSet);
  if (built.size() > macros.size()) std::cout << "and the lines the bench adds:\n" << built.substr(macros.size());
  prepareMaps(mainSet);
  warnIfNoGradientLookups(mainSet);
  std::cout.flush();
  std::unique_ptr<ReliefProgram> next(new ReliefProgram);
  bool const ok = next->build(vertFile.shaderText(), fragFile.shaderText(), built);
  next->printLog();
  if (ok) {
    main = std::move(next);
    failed = false;
  } else {
    reportBuildFailure(Techniques::name(mainSet), next->log());
  }
  // Set B follows every setting that changes its macros.
  if (compare.active() && compareMacrosFor() != compareMacros) rebuildCompareProgram();
  resetUniforms();
}

void ScenePrograms::resetUniforms() {
  if (main) setUniforms(*main, settings.polyThickness);
  if (compare.active()) setUniforms(*compare.program(), settings.polyThickness);
  ShaderProgram::useNone();
}

bool ScenePrograms::loadShaderFile(bool vertex, std::string const& path) {
  ShaderFile& file = vertex ? vertFile : fragFile;
  std::string error;
  if (!file.read(path, error)) {
    con << error << "\n";
    return false;
  }
  con << "using " << path << " as the " << (vertex ? "vertex" : "fragment") << " shader\n";
  reloadShaders();
  return true;
}

void ScenePrograms::reloadShaders() {
  for (ShaderFile* f : {&vertFile, &fragFile}) {
    std::string error;
    if (!f->reread(error)) {
      reportBuildFailure(f->path(), error + "\n");
      return;
    }
  }
  rebuild(mainMacros);
  rebuildCompareProgram();
}

void ScenePrograms::watchShaderFiles(double now) {
  if (now - lastWatch < watchInterval) return;
  lastWatch = now;
  bool changed = false;
  for (ShaderFile* f : {&vertFile, &fragFile}) {
    switch (f->poll()) {
      case ShaderFile::Poll::Changed:
        changed = true;
        break;
      case ShaderFile::Poll::Missing:
        con << f->path() << " is gone: the last program keeps drawing, and the file is read again when it is back\n";
        break;
      case ShaderFile::Poll::Same:
        break;
    }
  }
  if (changed) {
    con << "shader files changed on disk: rebuilding\n";
    reloadShaders();
  }
}

void ScenePrograms::pollMaps() {
  if (!waitingForCones) return;
  if (maps.pollCones()) {
    rebuild(mainMacros);
    return;
  }
  if (!maps.coneMap().making()) {  // no heights to make it from
    waitingForCones = false;
    return;
  }
  int const percent = static_cast<int>(maps.coneMap().progress() * 100.0);
  if (percent >= shownConePercent + 10 && percent < 100) {
    shownConePercent = percent - percent % 10;
    con << "cone map: " << shownConePercent << "%\n";
  }
}

bool ScenePrograms::mapsReadyFor(unsigned set, double& progress) {
  Techniques::EyeSearch const search = searchOn(set);
  if (search == Techniques::EyeSearch::Pyramid) maps.updatePyramid();
  progress = 1.0;
  if (search != Techniques::EyeSearch::Cone || !maps.startCones() || maps.pollCones()) return true;
  progress = maps.coneMap().progress();
  return false;
}

bool ScenePrograms::cancelMaps() {
  if (!waitingForCones) return false;
  maps.cancelCones();
  waitingForCones = false;
  con << "cone map: cancelled; the last program keeps drawing\n";
  return true;
}

void ScenePrograms::mapsChanged(bool heightsMoved) {
  Techniques::EyeSearch const search = searchOn(mainSet);
  if (search == Techniques::EyeSearch::Pyramid) maps.updatePyramid();
  // Set B reads the same maps: what its search needs is made again here, before
  // the uniforms take their sizes, unless the panel's cone search is already
  // making the cone map in the background (B's uniforms follow when it is done).
  bool const bothCones = search == Techniques::EyeSearch::Cone && searchOn(compare.setB()) == search;
  if (compare.active() && !bothCones) prepareMaps(compare.setB());
  if (heightsMoved && main) {
    // The programs read the heights from another sampler: build them again.
    rebuild(mainMacros);
    rebuildCompareProgram();
  } else if (search == Techniques::EyeSearch::Cone) {
    rebuild(mainMacros);  // the cone map is made again, in the background when it takes a while
  } else {
    resetUniforms();  // the maps' sizes may have changed
  }
}

bool ScenePrograms::startCompare(unsigned setB, std::string& log, int stepsB) {
  int const steps = stepsB > 0 ? stepsB : settings.steps;
  std::string const macros = Techniques::macroString(setB, steps, settings.refineSteps);
  std::unique_ptr<ReliefProgram> b =
      build(vertFile.shaderText(), fragFile.shaderText(), setB, macros, settings.polyThickness, log);
  if (!b) return false;
  compare.start(setB, steps, std::move(b), stepsB > 0);
  compareMacros = macros;
  compareSteps = stepsB > 0 ? stepsB : 0;
  return true;
}

void ScenePrograms::rebuildCompareProgram() {
  if (!compare.active() || failed) return;
  std::string log;
  std::string const macros = compareMacrosFor();
  std::unique_ptr<ReliefProgram> b =
      build(vertFile.shaderText(), fragFile.shaderText(), compare.setB(), macros, settings.polyThickness, log);
  if (b) {
    compare.replaceProgram(compareSteps > 0 ? compareSteps : settings.steps, std::move(b));
    compareMacros = macros;
  } else {
    reportBuildFailure("set B, " + Techniques::name(compare.setB()), log);
  }
}
