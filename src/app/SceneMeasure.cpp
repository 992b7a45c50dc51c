// SceneMeasure: the snapshot, the capture, hit and colour passes with their
// programs and targets, and the window's requests passed to the module.
#include "SceneMeasure.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "BenchCommands.h"
#include "Picture.h"
#include "ReliefScene.h"
#include "ShaderScene.h"
#include "Techniques.h"
#include "TextureUnits.h"
#include "Version.h"
#include "base/base.h"

namespace {

// The fragment stage of the capture pass: the vertex shader's varyings as they
// reach each pixel, into three float targets.
char const* const captureShader =
    "varying vec2 texCoord;\n"
    "varying vec3 lightVec;\n"
    "varying vec3 eyeVec;\n"
    "void main()\n"
    "{\n"
    "    gl_FragData[0] = vec4(texCoord, 0.0, 1.0);\n"
    "    gl_FragData[1] = vec4(eyeVec, 1.0);\n"
    "    gl_FragData[2] = vec4(lightVec, 1.0);\n"
    "}\n";

// The fragment stage of the written-depth capture: per pixel the polygon's
// eye-space point and the eye-space distance along the eye ray per unit of
// relief depth, as the fragment shader's WRITE_DEPTH maps the relief (over
// the depth polyThickness * 0.2, which the meter multiplies in).
char const* const depthCaptureShader =
    "varying vec3 eyeVec;\n"
    "varying vec3 eyePosition;\n"
    "varying vec3 surfaceU;\n"
    "varying vec3 surfaceV;\n"
    "void main()\n"
    "{\n"
    "    float unitLength = sqrt(length(surfaceU) * length(surfaceV));\n"
    "    gl_FragData[0] = vec4(eyePosition, 1.0);\n"
    "    gl_FragData[1] = vec4(unitLength / max(normalize(eyeVec).z, 0.05), 0.0, 0.0, 1.0);\n"
    "}\n";

// The mesh as the passes draw it: the model-view holds only the camera, so
// its vertices are in world space already.
std::shared_ptr<DrawnMesh const> drawnMesh(Model3D const& model) {
  std::shared_ptr<DrawnMesh> out(new DrawnMesh);
  out->vertices.reserve(model.getVertices().size());
  for (Model3D::Vertex const& v : model.getVertices()) {
    ShellVertex s{};
    for (int k = 0; k < 3; ++k) {
      s.position[k] = v.position[k];
      s.tangent[k] = v.basis.vec(0)[k];
      s.normal[k] = v.basis.vec(2)[k];
    }
    s.handedness = v.handedness;
    s.uv[0] = v.texCoord.x;
    s.uv[1] = v.texCoord.y;
    s.texelScale[0] = v.texelScale.x;
    s.texelScale[1] = v.texelScale.y;
    out->vertices.push_back(s);
  }
  out->triangles = model.getIndices();
  return out;
}

}  // namespace

void SceneMeasure::release() {
  hitProgram = Kept();
  colourProgram = Kept();
  for (Kept& k : referencePrograms) k = Kept();
  referenceHits.release();
  referenceEye.release();
  referenceLight.release();
  floats.destroy();
  bytes.destroy();
  captureTarget.destroy();
}

MeasureScene::Snapshot SceneMeasure::snapshot() const { return snapshotAgainst(fidelityTruth()); }

MeasureScene::Snapshot SceneMeasure::snapshotAgainst(FidelityTruth truth) const {
  Snapshot snap;
  snap.settings = scene.settings();
  snap.view = base.views[Base::VIEW_MAIN];
  snap.width = module.viewWidth();
  snap.height = module.viewHeight();
  snap.light = scene.light();
  snap.vert = scene.programs().shaderFile(true).shaderText();
  snap.frag = scene.programs().shaderFile(false).shaderText();
  snap.description = module.viewDescription();
  snap.flipPpd = flipPixelsPerDegree();
  snap.version = benchVersion();
  snap.renderer = module.rendererName();
  SceneMaps const& maps = scene.maps();
  snap.colorMap = maps.colorSource().describe();
  snap.heightMap = maps.heightSource().describe();
  snap.normalMap = maps.normalSource().describe();
  snap.truth = truth;
  if (snap.truth == FidelityTruth::Displaced) snap.mesh = drawnMesh(scene.currentMesh());
  return snap;
}

bool SceneMeasure::mapsReady(unsigned set, double& progress) {
  return scene.programs().mapsReadyFor(set, progress);
}

bool SceneMeasure::sized(OffscreenTarget& target, Snapshot const& snap, int attachments, GLenum format,
                         std::string& error) {
  if (target.width() == snap.width && target.height() == snap.height && target.attachments() == attachments &&
      target.format() == format)
    return true;
  return target.create(snap.width, snap.height, attachments, format, error);
}

ReliefProgram* SceneMeasure::program(Snapshot const& snap, Draw const& draw, std::string const& extra, Kept& kept,
                                     std::string& error) {
  int const refine = draw.refineSteps < 0 ? snap.settings.refineSteps : draw.refineSteps;
  std::string const macros = Techniques::macroString(draw.set, draw.steps, refine) + draw.extraMacros + extra;
  std::string const key = macros + '\0' + (snap.settings.stepsAsUniforms ? 'u' : 'l') + '\0' +
                          std::to_string(snap.settings.polyThickness) + '\0' + snap.vert.text +
                          '\0' + snap.frag.text;
  if (kept.program && kept.key == key) return kept.program.get();
  kept = Kept();
  std::string log;
  kept.program = scene.programs().build(snap.vert, snap.frag, draw.set, macros, snap.settings.polyThickness, log);
  if (!kept.program) {
    error = "the build for " + Techniques::name(draw.set) + " failed:\n" + log;
    return nullptr;
  }
  kept.key = key;
  return kept.program.get();
}

bool SceneMeasure::capturePass(Snapshot const& snap, char const* fragment, std::string const& macros,
                               char const* reads, OffscreenTarget& target, std::string& error) {
  ReliefProgram pass;
  if (!pass.build(snap.vert, {"the capture pass", fragment}, macros)) {
    error = "the vertex shader does not give " + std::string(reads) + ":\n" + pass.log();
    return false;
  }
  scene.drawViewInto(snap.view, snap.light, target, &pass, true, true);
  return true;
}

bool SceneMeasure::capture(Snapshot const& snap, Capture& out, std::string& error) {
  if (!sized(captureTarget, snap, 3, GL_RGBA32F, error)) return false;
  if (!capturePass(snap, captureShader, "", "the texCoord, eyeVec and lightVec the meter reads", captureTarget, error))
    return false;
  std::vector<float> const uv = captureTarget.readFloats(0), eye = captureTarget.readFloats(1),
                           light = captureTarget.readFloats(2);
  out = Capture();
  out.width = snap.width;
  out.height = snap.height;
  for (int i = 0; i < snap.width * snap.height; ++i) {
    size_t const k = 4 * static_cast<size_t>(i);
    if (uv[k + 3] < 0.5f) continue;
    out.inputs.push_back(
        TraceInput{uv[k], uv[k + 1], {eye[k], eye[k + 1], eye[k + 2]}, {light[k], light[k + 1], light[k + 2]}});
    out.pixelOf.push_back(i);
  }
  return true;
}

bool SceneMeasure::captureDepth(Snapshot const& snap, DepthCapture& out, std::string& error) {
  OffscreenTarget target;
  if (!target.create(snap.width, snap.height, 2, GL_RGBA32F, error)) return false;
  if (!capturePass(snap, depthCaptureShader, "#define WRITE_DEPTH\n",
                   "the eyePosition, surfaceU and surfaceV that the depth comparison reads", target, error))
    return false;
  out.position = target.readFloats(0);
  out.scale = target.readFloats(1);
  // The projection the passes drew with.
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  snap.view.setProjection(View::PROJECTION_IDENTITY | View::PROJECTION,
                          static_cast<float>(snap.height) / static_cast<float>(snap.width));
  glGetDoublev(GL_PROJECTION_MATRIX, out.projection);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  return true;
}

bool SceneMeasure::drawHits(Snapshot const& snap, Draw const& draw, std::vector<float>& hits,
                            std::vector<float>* depth, std::string& error) {
  ReliefProgram* const prog = program(snap, draw, "#define OUTPUT_HIT\n", hitProgram, error);
  if (!prog || !sized(floats, snap, 1, GL_RGBA32F, error)) return false;
  scene.drawViewInto(snap.view, snap.light, floats, prog, true, true);
  hits = floats.readFloats(0);
  if (depth) *depth = floats.readDepth();
  return true;
}

bool SceneMeasure::drawColour(Snapshot const& snap, Draw const& draw, std::vector<unsigned char>* pixels,
                              double* gpuMs, std::string& error) {
  ReliefProgram* const prog = program(snap, draw, "", colourProgram, error);
  if (!prog || !sized(bytes, snap, 1, GL_RGBA8, error)) return false;
  auto const pass = [&] { scene.drawViewInto(snap.view, snap.light, bytes, prog, false, false); };
  if (gpuMs)
    *gpuMs = scene.gpuTimer().timeNow(pass);
  else
    pass();
  if (pixels) *pixels = bytes.readBytes(0);
  return true;
}

bool SceneMeasure::drawReference(Snapshot const& snap, ReferenceHits const& hits, bool shadows,
                                 std::vector<unsigned char>& pixels, std::string& error) {
  if (hits.width != snap.width || hits.height != snap.height ||
      hits.rgba.size() != 4 * static_cast<size_t>(snap.width) * static_cast<size_t>(snap.height)) {
    error = "the traced hits are not of the view's size";
    return false;
  }
  size_t const n = hits.rgba.size();
  bool const framed = hits.eye.size() == n && hits.light.size() == n;
  Draw const draw{shadows ? unsigned(Techniques::ShadowTrace) : 0u, snap.settings.steps, ""};
  ReliefProgram* const prog =
      program(snap, draw, framed ? "#define REFERENCE_HIT\n#define REFERENCE_FRAME\n" : "#define REFERENCE_HIT\n",
              referencePrograms[(framed ? 2 : 0) + (shadows ? 1 : 0)], error);
  if (!prog || !sized(bytes, snap, 1, GL_RGBA8, error)) return false;
  if (!referenceHits.load(hits.width, hits.height, hits.rgba.data(), error)) return false;
  if (framed && (!referenceEye.load(hits.width, hits.height, hits.eye.data(), error) ||
                 !referenceLight.load(hits.width, hits.height, hits.light.data(), error)))
    return false;
  // The hits are read at the pixel's place in the target's viewport, which
  // starts at its corner.
  prog->use();
  glUniform4fARB(prog->get().getUniformLocation("referenceView"), 0.0f, 0.0f, static_cast<float>(snap.width),
                 static_cast<float>(snap.height));
  ShaderProgram::useNone();
  referenceHits.bind(TextureUnits::ReferenceHits);
  if (framed) {
    referenceEye.bind(TextureUnits::ReferenceEye);
    referenceLight.bind(TextureUnits::ReferenceLight);
  }
  scene.drawViewInto(snap.view, snap.light, bytes, prog, false, false);
  HitTexture::unbind(TextureUnits::ReferenceHits);
  if (framed) {
    HitTexture::unbind(TextureUnits::ReferenceEye);
    HitTexture::unbind(TextureUnits::ReferenceLight);
  }
  pixels = bytes.readBytes(0);
  return true;
}

bool SceneMeasure::writePicture(Picture const& picture, std::string const& path, std::string& error) {
  return picture.save(path, error);
}

std::unique_ptr<HeightField> SceneMeasure::readHeights(std::string& error) const {
  return scene.maps().readHeights(error);
}

bool SceneMeasure::useHeights(HeightField const& field, std::string& error) {
  // The kept programs were made for the maps in use.
  hitProgram = Kept();
  colourProgram = Kept();
  for (Kept& k : referencePrograms) k = Kept();
  bool const ok = scene.useHeights(field, error);
  module.mapsShown();
  return ok;
}

void SceneMeasure::restoreMaps() {
  hitProgram = Kept();
  colourProgram = Kept();
  for (Kept& k : referencePrograms) k = Kept();
  scene.restoreMaps();
  module.mapsShown();
}

void SceneMeasure::showSet(unsigned set) { module.showSet(set); }

long SceneMeasure::framesDrawn() const { return module.framesDrawn(); }

std::deque<std::pair<long, double> > const& SceneMeasure::cpuTimes() const { return module.cpuTimes(); }

void SceneMeasure::setMeasuring(bool on) {
  // A cone map a measurement started goes on only if the window's own
  // program waits for it too.
  if (!on && !scene.programs().waitingForMaps()) scene.maps().cancelCones();
  module.setMeasuring(on);
}
