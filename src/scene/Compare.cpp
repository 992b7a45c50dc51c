// Compare: the wipe, the blink and their overlay.
#include "Compare.h"

#include <algorithm>
#include <cmath>

#include "Overlay.h"
#include "Techniques.h"

namespace {
double const blinkPeriod = 1.0;  // seconds per side
unsigned const labelColor = 0xFFFFFFFFu;
unsigned const labelBack = 0xB0000000u;
unsigned const lineColor = 0xFF00FFFFu;
}  // namespace

void Compare::start(unsigned setB, int steps, std::unique_ptr<ReliefProgram> prog, bool ownSteps) {
  b = setB;
  bSteps = steps;
  fixedSteps = ownSteps;
  programB = std::move(prog);
  blink = false;
}

void Compare::stop() {
  programB.reset();
  blink = false;
}

void Compare::replaceProgram(int steps, std::unique_ptr<ReliefProgram> prog) {
  if (!active() || !prog) return;
  programB = std::move(prog);
  bSteps = steps;
}

void Compare::setWipe(float fraction) { split = std::min(1.0f, std::max(0.0f, fraction)); }

void Compare::toggleBlink(double now) {
  blink = !blink;
  blinkStart = now;
}

bool Compare::showsB(double now) const {
  return blink && static_cast<long long>(std::floor((now - blinkStart) / blinkPeriod)) % 2 == 1;
}

void Compare::handleInput(float pointerX, int middleButtonState, bool bPressed, double now) {
  if (!active()) return;
  if (middleButtonState == 1 || middleButtonState == 2) setWipe(pointerX);
  if (bPressed) toggleBlink(now);
}

void Compare::drawOverlay(float x, float y, float w, float h, std::string const& labelA, double now) const {
  if (!active()) return;
  std::string const a = "A: " + labelA;
  std::string const bl = "B: " + Techniques::name(b) + (fixedSteps ? "@" + std::to_string(bSteps) : "");
  float const pad = 4.0f;
  if (blink) {
    std::string const& shown = showsB(now) ? bl : a;
    float const tw = Overlay::textWidth(shown);
    float const tx = x + (w - tw) * 0.5f;
    Overlay::box(tx - pad, y + pad, tw + 2 * pad, 16.0f, labelBack);
    Overlay::text(tx, y + pad + 2.0f, shown, labelColor);
    return;
  }
  float const lx = std::round(x + w * split) + 0.5f;
  Overlay::line(lx, y, lx, y + h, lineColor, 2.0f);
  float const aw = Overlay::textWidth(a), bw = Overlay::textWidth(bl);
  Overlay::box(lx - aw - 3 * pad, y + pad, aw + 2 * pad, 16.0f, labelBack);
  Overlay::text(lx - aw - 2 * pad, y + pad + 2.0f, a, labelColor);
  Overlay::box(lx + pad, y + pad, bw + 2 * pad, 16.0f, labelBack);
  Overlay::text(lx + 2 * pad, y + pad + 2.0f, bl, labelColor);
}
