// TruthCompare: `compare SET truth`, the window's set left of the wipe and the picture of the displaced surface right of it, traced again once the view, light and settings have stayed still for half a second.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "FidelityMeter.h"
#include "SceneMeasure.h"

class ReliefScene;
class View;
class Viewport;

class TruthCompare {
public:
  explicit TruthCompare(SceneMeasure& measure) : scene(measure) {}

  // What the picture depends on: the camera, the light, the settings, the
  // view's size and the mesh.
  static std::string keyOf(ReliefScene const& scene, View const& camera, int width, int height);

  void start();
  void stop();
  bool active() const { return on; }

  // Each frame while not measuring, with what the picture depends on now
  // (`key`, any text that changes with the view, the light and the
  // settings): once it has stayed the same for half a second and differs
  // from the picture's, the truth is traced again on worker threads (one
  // console line); a finished trace is shaded into the picture.
  void update(std::string const& key, double now);
  // Draws the picture right of the wipe (`wipe`, a fraction of the view's
  // width) over the viewport, when it is of the view as it is now.
  void draw(Viewport const& viewport, float wipe, int windowWidth, int windowHeight) const;

private:
  SceneMeasure& scene;
  bool on = false;
  std::string currentKey, pictureKey, tracingKey;
  double changedAt = 0, traceStart = 0;
  std::unique_ptr<MeasureScene::Snapshot> snap;
  std::unique_ptr<FidelityMeter> meter;
  std::vector<unsigned char> picture;  // RGBA, rows bottom first
  int width = 0, height = 0;
};
