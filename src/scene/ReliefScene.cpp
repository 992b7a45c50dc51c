// ReliefScene: start-up, the maps' changes the programs follow, the mesh, the
// light drag and the draws of the main view.
#include "ReliefScene.h"

#include <GL/gl.h>

#include <memory>
#include <utility>
#include <vector>

#include "DataFiles.h"
#include "GlGuards.h"
#include "MapFixes.h"
#include "OffscreenTarget.h"
#include "Overlay.h"
#include "Plane.h"
#include "Sphere.h"
#include "Techniques.h"
#include "base/base.h"
#include "base/exception.h"
#include "base/texture.h"
#include "base/view.h"
#include "base/viewport.h"
#include "shader/shadersystem.h"
#include "system/display.h"

_vec<4, float> const ReliefScene::initialLightPos(-7.60227f, 0.788751f, 0.296831f, 1.0f);

namespace {

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

ReliefScene::ReliefScene() : scenePrograms(sceneMaps, current), lightPos(initialLightPos) {}

ReliefScene::~ReliefScene() = default;

void ReliefScene::init() {
  current = ReliefSettings();
  useSphere();
  sceneMaps.loadColorMap(DataFiles::find("cheap brick.bmp"));
  sceneMaps.loadBumpMap(DataFiles::find("bumptest.bmp"), current.bumpHeight);
  Texture::unbind();
  if (!shaderSystem.init()) throw Exception() << "shaderSystem.init()";
  scenePrograms.init();
  timer.init();
}

void ReliefScene::shutdown() {
  scenePrograms.shutdown();
  sceneMaps.unload();
  timer.shutdown();
  lightPos = initialLightPos;
  crossingPlane = false;
}

void ReliefScene::heightsReplaced(bool wereSeparate) {
  scenePrograms.mapsChanged(wereSeparate != sceneMaps.separateHeights());
}

bool ReliefScene::loadBumpMap(std::string const& filename) {
  bool const wereSeparate = sceneMaps.separateHeights();
  if (!sceneMaps.loadBumpMap(filename, current.bumpHeight)) return false;
  heightsReplaced(wereSeparate);
  return true;
}

bool ReliefScene::loadHeightMap(std::string const& filename, bool invert) {
  bool const wereSeparate = sceneMaps.separateHeights();
  if (!sceneMaps.loadHeightMap(filename, current.bumpHeight, invert)) return false;
  heightsReplaced(wereSeparate);
  return true;
}

bool ReliefScene::loadNormalMap(std::string const& filename, bool flipGreen) {
  bool const wereSeparate = sceneMaps.separateHeights();
  if (!sceneMaps.loadNormalMap(filename, current.bumpHeight, flipGreen)) return false;
  heightsReplaced(wereSeparate);
  return true;
}

void ReliefScene::refreshNormalMap() {
  sceneMaps.refreshNormalMap(current.bumpHeight);
  scenePrograms.mapsChanged(false);
}

bool ReliefScene::useHeights(HeightField const& field, std::string& error) {
  bool const wereSeparate = sceneMaps.separateHeights();
  if (!sceneMaps.useHeights(field, current.bumpHeight, error)) return false;
  heightsReplaced(wereSeparate);
  return true;
}

void ReliefScene::restoreMaps() {
  bool const wereSeparate = sceneMaps.separateHeights();
  if (sceneMaps.restoreMaps()) heightsReplaced(wereSeparate);
}

void ReliefScene::useSphere() {
  buildBenchSphere(mesh);
  meshLabel = "sphere";
  vFlipped = false;
}

void ReliefScene::usePlane() {
  buildBenchPlane(mesh);
  meshLabel = "plane";
  vFlipped = false;
}

void ReliefScene::useMesh(Model3D&& loaded, std::string const& path, bool flipV) {
  mesh = std::move(loaded);
  meshLabel = path;
  vFlipped = false;
  if (flipV) flipMeshV();
}

void ReliefScene::flipMeshV() {
  std::vector<Model3D::Vertex>& v = mesh.editVertices();
  static_assert(sizeof(Model3D::Vertex) % sizeof(float) == 0, "a vertex is a run of floats");
  if (!v.empty()) MapFixes::flipV(&v[0].texCoord.x, v.size(), sizeof(Model3D::Vertex) / sizeof(float));
  mesh.computeBasii();
  vFlipped = !vFlipped;
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

void ReliefScene::drawMesh(ReliefProgram* prog, bool timed) {
  glEnable(GL_CULL_FACE);
  sceneMaps.bind();
  ReliefProgram* const p = prog ? prog : scenePrograms.program();
  if (timed) timer.begin();
  if (p) p->use();
  mesh.render();
  ShaderProgram::useNone();
  if (timed) timer.end();
  SceneMaps::unbind();
}

void ReliefScene::drawViewInto(View const& view, _vec<4, float> const& light, OffscreenTarget& target,
                               ReliefProgram* prog, bool transparent, bool levelZero) {
  std::unique_ptr<MinFilterGuard> fullSize;
  std::unique_ptr<MinFilterGuard> fullHeights;
  if (levelZero) fullSize.reset(new MinFilterGuard(sceneMaps.normalMapName(), GL_LINEAR));
  if (levelZero && sceneMaps.separateHeights())
    fullHeights.reset(new MinFilterGuard(sceneMaps.heightMapName(), GL_LINEAR));
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
    drawMesh(prog, false);
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

  Compare const& compare = scenePrograms.comparison();
  bool const comparing = compare.active() && !plain;
  if (comparing && !compare.blinking()) {
    // Set A left of the wipe, set B right of it, each clipped to its side.
    _box<2, int> const& r = viewport->rect;
    int const split = r.min.x + static_cast<int>(compare.wipe() * static_cast<float>(r.max.x - r.min.x) + 0.5f);
    glPushAttrib(GL_SCISSOR_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(r.min.x, r.min.y, split - r.min.x, r.max.y - r.min.y);
    drawMesh(scenePrograms.program(), true);
    glScissor(split, r.min.y, r.max.x - split, r.max.y - r.min.y);
    drawMesh(compare.program(), true);
    glPopAttrib();
  } else {
    drawMesh(comparing && compare.showsB(now) ? compare.program() : scenePrograms.program(), true);
  }
  if (crossingPlane) drawCrossingPlane();
}

void ReliefScene::drawCompareOverlay(std::string const& labelA, double now) const {
  _vec<2, int> const& win = disp.getSize();
  Overlay::begin(win.x, win.y);
  glEnable(GL_SCISSOR_TEST);  // each view's labels stay in its own view
  for (Viewport const* vp : base.activeViewports) {
    _box<2, int> const& r = vp->rect;
    glScissor(r.min.x, r.min.y, r.max.x - r.min.x, r.max.y - r.min.y);
    scenePrograms.comparison().drawOverlay(static_cast<float>(r.min.x), static_cast<float>(win.y - r.max.y),
                                           static_cast<float>(r.max.x - r.min.x),
                                           static_cast<float>(r.max.y - r.min.y), labelA, now);
  }
  Overlay::end();
}
