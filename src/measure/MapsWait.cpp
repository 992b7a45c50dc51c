// MapsWait: asking for a set's maps and telling the wait.
#include "MapsWait.h"

#include "MeasureScene.h"
#include "Techniques.h"
#include "base/console.h"

bool MapsWait::ready(MeasureScene& scene, unsigned set) {
  double progress = 0;
  if (scene.mapsReady(set, progress)) {
    waiting = false;
    return true;
  }
  int const percent = static_cast<int>(progress * 100.0);
  if (!waiting) {
    waiting = true;
    shownPercent = percent - percent % 10;
    con << job << ": waiting for the maps of " << Techniques::name(set)
        << ", made in the background (cancel or Escape stops the measurement)\n";
  } else if (percent >= shownPercent + 10 && percent < 100) {
    shownPercent = percent - percent % 10;
    con << job << ": maps of " << Techniques::name(set) << " " << shownPercent << "%\n";
  }
  return false;
}
