// MapsWait: a job's wait, before a row's first draw, for the maps its set
// reads (MeasureScene::mapsReady), told on the console under the job's name.
#pragma once

#include <string>
#include <utility>

class MeasureScene;

class MapsWait {
public:
  // `job` heads its lines ("fidelity", "profile").
  explicit MapsWait(std::string job) : job(std::move(job)) {}

  // True once the maps of `set` are there. While they are being made, false:
  // the job returns from its step and asks again next frame, so that the
  // window keeps drawing and cancel, Escape and a stop signal are heard. The
  // wait is said when it starts and at each further tenth.
  bool ready(MeasureScene& scene, unsigned set);

private:
  std::string job;
  bool waiting = false;
  int shownPercent = 0;
};
