// Base: the engine's fixed views, the single and four-view viewport layouts,
// the viewport under a pixel, and the re-layout after a window resize.
#include <algorithm>

#include "base/base.h"
#include "math/quat.h"

void Base::initViews() {
  Scene* none = nullptr;
  // Top: looks down -Z with +Y up on the screen.
  views[VIEW_TOP].set(none, true, 15.0f, 15.0f, 1, 1.0f, 5000.0f, _vec<3, float>(0, 0, 15),
                      angleAxisToQuat(0, 1, 0, 90) * angleAxisToQuat(1, 0, 0, -90));
  // Front: looks along +Y with +Z up.
  views[VIEW_FRONT].set(none, true, 15.0f, 15.0f, 1, 1.0f, 5000.0f, _vec<3, float>(0, -15, 0),
                        angleAxisToQuat(0, 0, 1, 90));
  // Side: looks along +X with +Z up.
  views[VIEW_SIDE].set(none, true, 15.0f, 15.0f, 1, 1.0f, 5000.0f, _vec<3, float>(-15, 0, 0),
                       _quat<float>());
}

void Base::initViewports() {
  // Start from an empty list so that the toggle always lands on the single
  // layout, also when the engine is started a second time.
  clearAllViewports();
  restoreViewports();
  viewports[VP_FULL].view = &views[VIEW_MAIN];
  viewports[VP_BOTTOM_RIGHT].view = &views[VIEW_MAIN];
  viewports[VP_TOP_RIGHT].view = &views[VIEW_SIDE];
  viewports[VP_TOP_LEFT].view = &views[VIEW_FRONT];
  viewports[VP_BOTTOM_LEFT].view = &views[VIEW_TOP];
  // A clear ignores the GL viewport: without a scissor box each quarter would
  // clear the whole window and wipe out the quarters drawn before it.
  for (int i = VP_TOP_RIGHT; i <= VP_BOTTOM_LEFT; ++i) viewports[i].scissor = true;
}

void Base::restoreViewports() {
  bool wasFullscreen = isFullscreen();
  activeViewports.clear();
  if (wasFullscreen) {
    activeViewports.push_back(&viewports[VP_TOP_LEFT]);
    activeViewports.push_back(&viewports[VP_TOP_RIGHT]);
    activeViewports.push_back(&viewports[VP_BOTTOM_LEFT]);
    activeViewports.push_back(&viewports[VP_BOTTOM_RIGHT]);
  } else {
    activeViewports.push_back(&viewports[VP_FULL]);
  }
}

void Base::clearAllViewports() { activeViewports.clear(); }

bool Base::isFullscreen() const {
  return activeViewports.size() == 1 && activeViewports[0] == &viewports[VP_FULL];
}

Viewport* Base::getTopViewAt(_vec<2, int> const& p) {
  for (auto it = activeViewports.rbegin(); it != activeViewports.rend(); ++it)
    if ((*it)->rect.containsE(p, p)) return *it;
  return nullptr;
}

void Base::resizeViewports(int w, int h) {
  int hw = w / 2, hh = h / 2;
  // Every extent is at least one pixel, so no viewport is ever empty.
  int fw = std::max(w, 1), fh = std::max(h, 1);
  int qw = std::max(hw, 1), qh = std::max(hh, 1);
  viewports[VP_FULL].rect = _box<2, int>(0, 0, fw, fh);
  viewports[VP_BOTTOM_LEFT].rect = _box<2, int>(0, 0, qw, qh);
  viewports[VP_BOTTOM_RIGHT].rect = _box<2, int>(hw, 0, hw + qw, qh);
  viewports[VP_TOP_LEFT].rect = _box<2, int>(0, hh, qw, hh + qh);
  viewports[VP_TOP_RIGHT].rect = _box<2, int>(hw, hh, hw + qw, hh + qh);
}
