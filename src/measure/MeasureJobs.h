// The measuring jobs, each made for a scene seen through MeasureScene: the cost
// profile, the fidelity table, sweep and map, and the contact sheet.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "JobRunner.h"

class MeasureScene;

// GPU and CPU cost of each standard set over `frames` real frames; the table
// goes to the console and, when `csv` is not empty, to that file.
std::unique_ptr<BenchJob> makeProfileJob(MeasureScene& scene, int frames, std::string const& csv);

enum class FidelityMode { Table, Sweep, Map, Angles, Reference };
// The sets and step counts a sweep goes through; empty lists take the
// standard ones (Techniques::sweepSets(), 1, 2, 4 ... 256).
struct SweepPlan {
  std::vector<unsigned> sets;
  std::vector<int> steps;
};
// The error of each standard set against the traced reference, in texels and
// as an image against the reference frame (Table, `path` an optional CSV), of
// the sweep's sets over step counts with their GPU cost (Sweep, a CSV), of the
// shown set as heat maps beside its frame (Map, a PNG), or of the sweep's sets
// at the current step count in 5-degree bins of the angle between eye ray and
// surface normal (Angles, a CSV); or the reference frame itself, shadowed when
// the shown set traces shadows (Reference, a PNG).
std::unique_ptr<BenchJob> makeFidelityJob(MeasureScene& scene, FidelityMode mode, std::string const& path,
                                          SweepPlan const& plan = SweepPlan());

// The map sizes a scale run goes through (64, 128 ... 2048 when empty) and the
// sets and step counts it searches (as a sweep's).
struct ScalePlan {
  std::vector<int> sizes;
  SweepPlan search;
};
// For each size, the wall grid (HardMaps::Kind::Walls) drawn in place of the
// user's height map, and for each set the fewest of the step counts whose p99
// error is under half a texel, with its GPU cost and errors (a CSV). The
// user's maps come back when it ends, fails or is cancelled.
std::unique_ptr<BenchJob> makeScaleJob(MeasureScene& scene, std::string const& path,
                                       ScalePlan const& plan = ScalePlan());

// A camera path: the snapshot's camera turned about its vertical axis (its up
// at the start) through the origin, where the mesh's centre lies, by `degrees` over
// `frames` frames, frame i by i * degrees / frames, the light fixed in the
// world. At each frame the reference is traced and each set measured, in
// texels and as an image; a row per set gives the means over the frames and
// the temporal error (TemporalError), and `framesCsv` (when not empty) gets a
// row per frame and set.
struct PathPlan {
  static constexpr int defaultFrames = 60;
  static constexpr double defaultDegrees = 6.0;
  int frames = defaultFrames;
  double degrees = defaultDegrees;
  // The sets and step counts (as a sweep's; empty: the sweep's sets at the
  // snapshot's step count).
  SweepPlan sets;
  std::string framesCsv;
};
std::unique_ptr<BenchJob> makePathJob(MeasureScene& scene, std::string const& path, PathPlan const& plan = PathPlan());

// The view drawn with each of nine sets as a labelled 3 x 3 picture.
std::unique_ptr<BenchJob> makeContactSheetJob(MeasureScene& scene, std::string const& path);
