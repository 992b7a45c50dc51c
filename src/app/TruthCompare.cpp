// TruthCompare: the trace after the scene stays still, and the picture drawn over set B's side.
#include "TruthCompare.h"

#include <GL/gl.h>

#include <cstdio>

#include "ImageFidelity.h"
#include "ReliefScene.h"
#include "RunContext.h"
#include "Techniques.h"
#include "base/console.h"
#include "base/viewport.h"

namespace {

double const stillSeconds = 0.5;

}  // namespace

std::string TruthCompare::keyOf(ReliefScene const& scene, View const& camera, int width, int height) {
  ReliefSettings const& s = scene.settings();
  _vec<4, float> const& l = scene.light();
  char text[200];
  std::snprintf(text, sizeof text, " %g %g %g %g %s %d %d %g %g %dx%d ", l.x, l.y, l.z, l.w,
                Techniques::name(s.set).c_str(), s.steps, s.refineSteps, s.polyThickness, s.bumpHeight, width, height);
  return cameraLine(camera) + text + scene.meshName();
}

void TruthCompare::start() {
  on = true;
  pictureKey.clear();
  picture.clear();
}

void TruthCompare::stop() {
  on = false;
  meter.reset();
  snap.reset();
  picture.clear();
  pictureKey.clear();
}

void TruthCompare::update(std::string const& key, double now) {
  if (!on) return;
  if (key != currentKey) {
    currentKey = key;
    changedAt = now;
  }
  if (meter) {
    if (!meter->referenceDone()) return;
    ImageFidelity image(scene, *snap);
    image.follow(*meter);
    std::string error;
    std::vector<unsigned char> const* frame = image.referenceFor(snap->settings.set, error);
    if (frame) {
      picture = *frame;
      width = snap->width;
      height = snap->height;
      con.print("compare: the truth traced in %.2f s\n", now - traceStart);
    } else {
      con << "compare: the truth's picture: " << error << "\n";
    }
    pictureKey = tracingKey;
    meter.reset();
    snap.reset();
    return;
  }
  if (key == pictureKey || now - changedAt < stillSeconds) return;
  snap.reset(new MeasureScene::Snapshot(scene.snapshotAgainst(FidelityTruth::Displaced)));
  meter.reset(new FidelityMeter(scene, *snap));
  std::string error, note;
  tracingKey = key;
  if (!meter->capture(error, note)) {
    con << "compare: the truth cannot be traced: " << error << "\n";
    pictureKey = key;  // tried once for this view
    picture.clear();
    meter.reset();
    snap.reset();
    return;
  }
  con << "compare: tracing the truth for " << static_cast<int>(meter->displaced()->size()) << " pixels\n";
  traceStart = now;
  meter->startReference();
}

void TruthCompare::draw(Viewport const& viewport, float wipe, int windowWidth, int windowHeight) const {
  int const x0 = viewport.rect.min.x, y0 = viewport.rect.min.y;
  int const w = viewport.rect.max.x - x0, h = viewport.rect.max.y - y0;
  if (!on || picture.empty() || pictureKey != currentKey || w != width || h != height) return;
  int const split = x0 + static_cast<int>(wipe * static_cast<float>(w) + 0.5f);
  if (split >= x0 + w) return;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glDisable(GL_SCISSOR_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, windowWidth, 0, windowHeight, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, width);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, split - x0);
  glRasterPos2i(split, y0);
  glDrawPixels(x0 + w - split, height, GL_RGBA, GL_UNSIGNED_BYTE, picture.data());
  // The wipe line.
  glColor3f(1.0f, 1.0f, 1.0f);
  glBegin(GL_LINES);
  glVertex2f(static_cast<float>(split) + 0.5f, static_cast<float>(y0));
  glVertex2f(static_cast<float>(split) + 0.5f, static_cast<float>(y0 + h));
  glEnd();
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopClientAttrib();
  glPopAttrib();
}
