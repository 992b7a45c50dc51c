// ReliefScene: start-up, shader files and their rebuilds, maps, the light
// drag and the draws of the main view.
#include "ReliefScene.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <vector>

#include "BumpMap.h"
#include "DataFiles.h"
#include "GlGuards.h"
#include "HeightReadback.h"
#include "OffscreenTarget.h"
#include "Overlay.h"
#include "Plane.h"
#include "Sphere.h"
#include "Techniques.h"
#include "base/base.h"
#include "base/console.h"
#include "base/exception.h"
#include "base/image.h"
#include "base/imagesystem.h"
#include "base/view.h"
#include "base/viewport.h"
#include "shader/shadersystem.h"
#include "system/display.h"
#include "system/glext.h"

_vec<4, float> const ReliefScene::initialLightPos(-7.60227f, 0.788751f, 0.296831f, 1.0f);

namespace {

char const* const vertShaderName = "shaders/basic bumpmap.vert";
char const* const fragShaderName = "shaders/iterative parallax.frag";

// Shader files are looked at this often for edits, in seconds.
double const watchInterval = 0.5;

// Binds a 2D texture (0: none) on another unit, leaving unit 0 active.
void bindOn(GLenum unit, GLuint id) {
  glActiveTexture(unit);
  glBindTexture(GL_TEXTURE_2D, id);
  glActiveTexture(GL_TEXTURE0);
}

// The crossing plane: a grey square of side 12 through the origin, in the
// plane x = -z (at 60 degrees to the start-up view, so that it meets the
// sphere halfway between its centre and its outline on screen), lit by light 0 on both
// sides with the fixed-function pipeline.
void drawCrossingPlane() {
  glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT);
  glDisable(GL_CULL_FACE);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  GLfloat const grey[4] = {0.6f, 0.6f, 0.65f, 1.0f}, dim[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, grey);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, dim);
  float const half = 6.0f, across = half * 0.70710678f;
  glBegin(GL_QUADS);
  glNormal3f(0.70710678f, 0.0f, 0.70710678f);
  glVertex3f(-across, -half, across);
  glVertex3f(across, -half, -across);
  glVertex3f(across, half, -across);
  glVertex3f(-across, half, across);
  glEnd();
  glPopAttrib();
}

}  // namespace

_vec<2, int> viewportSize(Viewport const* vp) {
  if (!vp) return _vec<2, int>(0, 0);
  return _vec<2, int>(vp->rect.max.x - vp->rect.min.x, vp->rect.max.y - vp->rect.min.y);
}

ReliefScene::ReliefScene() : lightPos(initialLightPos) {}

ReliefScene::~ReliefScene() = default;

void ReliefScene::init() {
  current = SceneSettings();
  useSphere();
  loadColorMap(DataFiles::find("cheap brick.bmp"));
  loadBumpMap(DataFiles::find("bumptest.bmp"));
  Texture::unbind();

  if (!shaderSystem.init()) throw Exception() << "shaderSystem.init()";

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
  timer.init();
}

void ReliefScene::shutdown() {
  compare.stop();
  colorTexture.unload();
  loadedBump.unload();
  loadedNormal.unload();
  mapsSetAside = false;
  bumpTexture.unload();
  normalTexture.unload();
  heightTexture.unload();
  userNormals = false;
  coneTexture.unload();
  maxPyramid.unload();
  waitingForCones = false;
  program.reset();
  timer.shutdown();
  lightPos = initialLightPos;
  crossingPlane = false;
  failed = false;
}

std::string ReliefScene::macrosFor(unsigned set, int steps) const {
  return Techniques::macroString(set, steps, current.refineSteps);
}

std::unique_ptr<ReliefProgram> ReliefScene::buildProgram(std::string const& macros, std::string& log) {
  return buildProgram({vertFile.path(), vertFile.text()}, {fragFile.path(), fragFile.text()}, macros,
                      current.polyThickness, log);
}

std::unique_ptr<ReliefProgram> ReliefScene::buildProgram(ReliefProgram::Source const& vert,
                                                         ReliefProgram::Source const& frag, std::string const& macros,
                                                         float polyThickness, std::string& log) {
  prepareMaps(macros);
  std::unique_ptr<ReliefProgram> p(new ReliefProgram);
  if (!p->build(vert, frag, withHeightMacro(macros))) {
    log = p->log();
    return nullptr;
  }
  setUniforms(*p, polyThickness);
  return p;
}

void ReliefScene::prepareMaps(std::string const& macros) {
  if (macros.find("RELAXED_CONE") != std::string::npos) coneTexture.update(normalTexture, heightTexture.texture());
  if (macros.find("MAX_PYRAMID") != std::string::npos) maxPyramid.update(normalTexture, heightTexture.texture());
}

std::string ReliefScene::withHeightMacro(std::string const& macros) const {
  if (!heightTexture.present()) return macros;
  return macros + "#define " + HeightTexture::macro + "\n";
}

void ReliefScene::setUniforms(ReliefProgram& p, float polyThickness) const {
  p.setUniforms(polyThickness, coneTexture.width(), coneTexture.height());
  p.setPyramidSize(maxPyramid.mapWidth(), maxPyramid.mapHeight());
}

void ReliefScene::reportBuildFailure(std::string const& what, std::string const& log) {
  std::fprintf(stderr, "shader error (%s):\n%s", what.c_str(), log.c_str());
  con << "shader error (" << what << "); the last good program keeps drawing:\n" << log;
  if (!con.isVisible()) con.toggle();
  failed = true;
}

void ReliefScene::rebuild(std::string const& macros) {
  mainMacros = macros;
  programUsesCones = macros.find("RELAXED_CONE") != std::string::npos;
  programUsesPyramid = macros.find("MAX_PYRAMID") != std::string::npos;
  waitingForCones = false;
  if (programUsesCones && !coneTexture.ready()) {
    // A large map's cones take a while: the last program keeps drawing until
    // they are made, and pollMaps() rebuilds then.
    if (coneTexture.start(normalTexture, heightTexture.texture()) && !coneTexture.poll()) {
      waitingForCones = true;
      shownConePercent = 0;
      con << "cone map: making it in the background; the last program draws until it is ready (cancel stops it)\n";
      return;
    }
  }
  std::cout << "rebuilding with macro strings:\n" << macros << "\n";
  prepareMaps(macros);
  warnIfNoGradientLookups(current.set);
  std::cout.flush();
  std::unique_ptr<ReliefProgram> next(new ReliefProgram);
  bool const ok =
      next->build({vertFile.path(), vertFile.text()}, {fragFile.path(), fragFile.text()}, withHeightMacro(macros));
  next->printLog();
  if (ok) {
    program = std::move(next);
    failed = false;
  } else {
    reportBuildFailure(Techniques::name(current.set), next->log());
  }
  // Set B follows every setting that changes its macros.
  if (compare.active() && macrosFor(compare.setB(), current.steps) != compareMacros) rebuildCompareProgram();
  resetUniforms();
}

void ReliefScene::resetUniforms() {
  if (program) setUniforms(*program, current.polyThickness);
  if (compare.active()) setUniforms(*compare.program(), current.polyThickness);
  ShaderProgram::useNone();
}

bool ReliefScene::loadShaderFile(bool vertex, std::string const& path) {
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

void ReliefScene::reloadShaders() {
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

bool ReliefScene::startCompare(unsigned setB, std::string& log) {
  std::string const macros = macrosFor(setB, current.steps);
  std::unique_ptr<ReliefProgram> b = buildProgram(macros, log);
  if (!b) return false;
  compare.start(setB, current.steps, std::move(b));
  compareMacros = macros;
  return true;
}

void ReliefScene::rebuildCompareProgram() {
  if (!compare.active() || failed) return;
  std::string log;
  std::string const macros = macrosFor(compare.setB(), current.steps);
  std::unique_ptr<ReliefProgram> b = buildProgram(macros, log);
  if (b) {
    compare.replaceProgram(current.steps, std::move(b));
    compareMacros = macros;
  } else {
    reportBuildFailure("set B, " + Techniques::name(compare.setB()), log);
  }
}

void ReliefScene::watchShaderFiles(double now) {
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

void ReliefScene::refreshNormalMap() {
  if (!userNormals) {
    std::string error;
    std::unique_ptr<HeightField> const field =
        heightTexture.present() ? ::readHeights(normalTexture, heightTexture.texture(), error) : nullptr;
    if (field)
      BumpMap::genFromHeights(*field, normalTexture, current.bumpHeight);
    else
      BumpMap::gen(bumpTexture, normalTexture, current.bumpHeight);
  }
  normalMapChanged();
}

void ReliefScene::normalMapChanged() {
  coneTexture.invalidate();
  maxPyramid.invalidate();
  if (programUsesPyramid) maxPyramid.update(normalTexture, heightTexture.texture());
  if (programUsesCones)
    rebuild(mainMacros);  // the cone map is made again, in the background when it takes a while
  else
    resetUniforms();  // the maps' sizes may have changed
}

void ReliefScene::pollMaps() {
  if (!waitingForCones) return;
  if (coneTexture.poll()) {
    rebuild(mainMacros);
    return;
  }
  if (!coneTexture.making()) {  // no heights to make it from
    waitingForCones = false;
    return;
  }
  int const percent = static_cast<int>(coneTexture.progress() * 100.0);
  if (percent >= shownConePercent + 10 && percent < 100) {
    shownConePercent = percent - percent % 10;
    con << "cone map: " << shownConePercent << "%\n";
  }
}

bool ReliefScene::cancelMaps() {
  if (!waitingForCones) return false;
  coneTexture.cancel();
  waitingForCones = false;
  con << "cone map: cancelled; the last program keeps drawing\n";
  return true;
}

bool ReliefScene::reportLoadFailure(char const* line, char const* what, std::string const& filename,
                                    std::string const& why) const {
  std::cout << line << filename << (why.empty() ? "" : ": " + why) << std::endl;
  // Most reasons name the file already.
  std::string const text = why.find(filename) != std::string::npos ? why
                           : why.empty()                           ? filename
                                                                   : filename + ": " + why;
  con << "cannot load the " << what << " " << text << "; the maps stay as they were\n";
  return false;
}

void ReliefScene::heightSourceChanged(bool wasSeparate) {
  // The programs read the heights from another sampler: build them again.
  if (wasSeparate == heightTexture.present() || !program) return;
  rebuild(mainMacros);
  rebuildCompareProgram();
}

bool ReliefScene::loadColorMap(std::string const& filename) {
  if (colorTexture.load2D(filename.c_str())) return true;
  return reportLoadFailure("failed to load the texture map ", "colour map", filename, "");
}

bool ReliefScene::loadBumpMap(std::string const& filename) {
  if (!bumpTexture.load2D(filename.c_str())) {
    return reportLoadFailure("failed to load bumpmap ", "bump map", filename, "");
  }
  bool const wasSeparate = heightTexture.present();
  heightTexture.unload();
  userNormals = false;
  return heightsReplaced(wasSeparate);
}

bool ReliefScene::heightsReplaced(bool wasSeparate) {
  refreshNormalMap();
  heightSourceChanged(wasSeparate);
  return true;
}

bool ReliefScene::loadHeightMap(std::string const& filename) {
  std::string error;
  ImagePtr const img(ImageSystem::loadGrey16(filename.c_str(), error));
  bool const wasSeparate = heightTexture.present();
  if (!img || !heightTexture.load(*img, error))
    return reportLoadFailure("failed to load the height map ", "height map", filename, error);
  return heightsReplaced(wasSeparate);
}

bool ReliefScene::loadNormalMap(std::string const& filename) {
  std::string error;
  ImagePtr const img(ImageSystem::load(filename.c_str(), error));
  if (img && (img->greySource || (img->bitsPerPixel != 24 && img->bitsPerPixel != 32)))
    error = "a normal map needs RGB, this picture " +
            (img->greySource ? std::string("is grey") : "has " + std::to_string(img->bitsPerPixel) + " bits per pixel");
  Texture fresh;
  if (!img || !error.empty() || !fresh.loadImage(*img)) {
    fresh.unload();
    return reportLoadFailure("failed to load the normal map ", "normal map", filename, error);
  }
  bool const wasSeparate = heightTexture.present();
  if (!wasSeparate) {
    // The heights were the generated map's alpha: they move into the separate
    // height map before that map is replaced.
    std::unique_ptr<HeightField> const field = ::readHeights(normalTexture, heightTexture.texture(), error);
    if (!field || !heightTexture.load(*field, error)) {
      fresh.unload();
      return reportLoadFailure("failed to load the normal map ", "normal map", filename, error);
    }
  }
  normalTexture.unload();
  normalTexture = fresh;
  userNormals = true;
  refreshNormalMap();
  heightSourceChanged(wasSeparate);
  return true;
}

bool ReliefScene::useHeights(HeightField const& field, std::string& error) {
  size_t const count = static_cast<size_t>(field.width()) * static_cast<size_t>(field.height());
  std::vector<unsigned char> grey(count);
  for (size_t i = 0; i < count; ++i)
    grey[i] = static_cast<unsigned char>(std::min(std::max(field.texels()[i], 0.0f), 1.0f) * 255.0f + 0.5f);
  Texture heights;
  if (!heights.build2DMipmaps(field.width(), field.height(), GL_LUMINANCE, GL_UNSIGNED_BYTE, grey.data(), 0, 0)) {
    error = "the GL refused a " + std::to_string(field.width()) + "x" + std::to_string(field.height()) + " height map";
    return false;
  }
  bool const wasSeparate = heightTexture.present();
  if (mapsSetAside) {
    bumpTexture.unload();
    normalTexture.unload();
  } else {
    loadedBump = bumpTexture;
    loadedNormal = normalTexture;
    loadedUserNormals = userNormals;
    // A separate 16-bit height map is kept as heights and uploaded again after.
    loadedHeights = heightTexture.present() ? ::readHeights(normalTexture, heightTexture.texture(), error) : nullptr;
    mapsSetAside = true;
  }
  heightTexture.unload();
  userNormals = false;
  bumpTexture = heights;
  normalTexture.reset();  // a new name: the loaded one is kept aside
  refreshNormalMap();
  heightSourceChanged(wasSeparate);
  return true;
}

void ReliefScene::restoreMaps() {
  if (!mapsSetAside) return;
  bumpTexture.unload();
  normalTexture.unload();
  bumpTexture = loadedBump;
  normalTexture = loadedNormal;
  loadedBump.reset();
  loadedNormal.reset();
  userNormals = loadedUserNormals;
  std::string error;
  if (loadedHeights && !heightTexture.load(*loadedHeights, error))
    con << "the separate height map could not be put back: " << error << "\n";
  loadedHeights.reset();
  mapsSetAside = false;
  normalMapChanged();
  heightSourceChanged(false);
}

std::unique_ptr<HeightField> ReliefScene::readHeights(std::string& error) const {
  return ::readHeights(normalTexture, heightTexture.texture(), error);
}

void ReliefScene::useSphere() {
  buildBenchSphere(mesh);
  meshLabel = "sphere";
}

void ReliefScene::usePlane() {
  buildBenchPlane(mesh);
  meshLabel = "plane";
}

bool ReliefScene::loadMesh(std::string const& path, std::string& error, MeshFile::Progress const& progress) {
  if (!MeshFile::load(path, mesh, error, progress)) return false;
  meshLabel = path;
  return true;
}

void ReliefScene::dragLight(Viewport const& vp, _vec<2, int> pointer, _vec<2, int> move, bool alongView) {
  View const* view = vp.view;
  if (!view || (move.x == 0 && move.y == 0)) return;
  _vec<3, float> const p1 = vp.getPixelPos(pointer);
  _vec<3, float> const p0 = vp.getPixelPos(pointer - move);
  _vec<3, float> d = p1 - p0;

  _vec<3, float> const fwd = view->basis.orient.xAxis();
  _vec<3, float> const light(lightPos.x, lightPos.y, lightPos.z);
  float const depth = dot(light - view->basis.pos, fwd);
  d = d * (depth / view->nearClip);

  if (alongView) {
    _vec<3, float> const up = view->basis.orient.zAxis();
    d = fwd * dot(d, up);
  }
  lightPos.x += d.x;
  lightPos.y += d.y;
  lightPos.z += d.z;
}

void ReliefScene::drawSphere(ReliefProgram* prog, bool timed) {
  glEnable(GL_CULL_FACE);
  colorTexture.bind(0);
  normalTexture.bind(1);
  bindOn(GL_TEXTURE2, coneTexture.ready() ? coneTexture.name() : 0);
  bindOn(GL_TEXTURE0 + HeightTexture::unit, heightTexture.texture().id);
  bindOn(GL_TEXTURE0 + MaxPyramidTexture::unit, maxPyramid.ready() ? maxPyramid.name() : 0);
  ReliefProgram* const p = prog ? prog : program.get();
  if (timed) timer.begin();
  if (p) p->use();
  mesh.render();
  ShaderProgram::useNone();
  if (timed) timer.end();
  bindOn(GL_TEXTURE2, 0);
  bindOn(GL_TEXTURE0 + MaxPyramidTexture::unit, 0);
  bindOn(GL_TEXTURE0 + HeightTexture::unit, 0);
  Texture::unbindAll();
}

void ReliefScene::warnIfNoGradientLookups(unsigned set) {
  static bool warnedGradients = false, warnedLevels = false;
  bool const gradients = (set & (Techniques::AdaptiveSteps | Techniques::EarlyExit)) != 0;
  bool const levels = (set & Techniques::MaxPyramid) != 0;
  if ((!gradients || warnedGradients) && (!levels || warnedLevels)) return;
  char const* all = reinterpret_cast<char const*>(glGetString(GL_EXTENSIONS));
  if (all && std::strstr(all, "GL_ARB_shader_texture_lod")) return;
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

void ReliefScene::drawViewInto(View const& view, _vec<4, float> const& light, OffscreenTarget& target,
                               ReliefProgram* prog, bool transparent, bool levelZero) {
  std::unique_ptr<MinFilterGuard> fullSize;
  std::unique_ptr<MinFilterGuard> fullHeights;
  if (levelZero) fullSize.reset(new MinFilterGuard(normalTexture.id, GL_LINEAR));
  if (levelZero && heightTexture.present()) fullHeights.reset(new MinFilterGuard(heightTexture.texture().id, GL_LINEAR));
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  {
    MatrixGuard matrices;
    glDisable(GL_SCISSOR_TEST);
    if (transparent) {
      glDisable(GL_BLEND);
      glClearColor(0, 0, 0, 0);
    }
    target.bind();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    view.setupView(View::ALL, static_cast<float>(target.height()) / static_cast<float>(target.width()));
    glLightfv(GL_LIGHT0, GL_POSITION, &light.x);
    drawSphere(prog, false);
    target.unbind();
  }
  glPopAttrib();
}

void ReliefScene::drawView(Viewport const* viewport, bool plain, double now) {
  glLightfv(GL_LIGHT0, GL_POSITION, &lightPos.x);

  glColor3f(1.0f, 1.0f, 1.0f);
  glPointSize(5.0f);
  glBegin(GL_POINTS);
  glVertex3f(lightPos.x, lightPos.y, lightPos.z);
  glEnd();
  glPointSize(1.0f);

  bool const comparing = compare.active() && !plain;
  if (comparing && !compare.blinking()) {
    // Set A left of the wipe, set B right of it, each clipped to its side.
    _box<2, int> const& r = viewport->rect;
    int const split = r.min.x + static_cast<int>(compare.wipe() * static_cast<float>(r.max.x - r.min.x) + 0.5f);
    glPushAttrib(GL_SCISSOR_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(r.min.x, r.min.y, split - r.min.x, r.max.y - r.min.y);
    drawSphere(program.get(), true);
    glScissor(split, r.min.y, r.max.x - split, r.max.y - r.min.y);
    drawSphere(compare.program(), true);
    glPopAttrib();
  } else {
    drawSphere(comparing && compare.showsB(now) ? compare.program() : program.get(), true);
  }
  if (crossingPlane) drawCrossingPlane();
}

void ReliefScene::drawCompareOverlay(std::string const& labelA, double now) const {
  _vec<2, int> const& win = disp.getSize();
  Overlay::begin(win.x, win.y);
  for (Viewport const* vp : base.activeViewports) {
    _box<2, int> const& r = vp->rect;
    compare.drawOverlay(static_cast<float>(r.min.x), static_cast<float>(win.y - r.max.y),
                        static_cast<float>(r.max.x - r.min.x), static_cast<float>(r.max.y - r.min.y), labelA, now);
  }
  Overlay::end();
}
