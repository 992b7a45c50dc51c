// DisplacedTruth: the displaced surface traced for a view's pixels from the snapshot's mesh and camera.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "DisplacedTracer.h"
#include "HeightField.h"
#include "MeasureScene.h"

class DisplacedTruth {
public:
  // The shell of the snapshot's mesh at its depth (polyThickness * 0.2
  // texture units), the tracer over `field` (which must outlive this) with
  // the snapshot's light, and the eye ray of each view pixel in `pixels`.
  // False with a one-line reason when the snapshot holds no mesh or the
  // shell cannot be made of it.
  bool prepare(MeasureScene::Snapshot const& snap, HeightField const& field, std::vector<int> pixels,
               std::string& error);
  // Traces every pixel on all cores; *done grows as pixels finish, and once
  // *cancel is true the threads stop soon after. Blocks.
  void trace(std::atomic<size_t>* done, std::atomic<bool> const* cancel);

  size_t size() const { return pixelOf.size(); }
  // The view pixel of each result (rows bottom first) and, by view pixel,
  // the index of its result (-1: not traced).
  std::vector<int> const& pixels() const { return pixelOf; }
  int indexAt(int pixel) const { return pixel >= 0 && pixel < static_cast<int>(index.size()) ? index[pixel] : -1; }
  std::vector<DisplacedResult> const& results() const { return traced; }
  std::vector<DisplacedRay> const& eyeRays() const { return rays; }
  // The shell's depth in texture units.
  float depth() const { return shell ? shell->depth() : 0.0f; }

private:
  std::unique_ptr<ShellMesh> shell;
  std::unique_ptr<DisplacedTracer> tracer;
  std::vector<int> pixelOf;
  std::vector<int> index;
  std::vector<DisplacedRay> rays;
  std::vector<DisplacedResult> traced;
};
