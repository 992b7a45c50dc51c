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

enum class FidelityMode { Table, Sweep, Map, Angles };
// The sets and step counts a sweep goes through; empty lists take the
// standard ones (Techniques::sweepSets(), 1, 2, 4 ... 256).
struct SweepPlan {
  std::vector<unsigned> sets;
  std::vector<int> steps;
};
// The error of each standard set against the traced reference (Table, `path`
// an optional CSV), of the sweep's sets over step counts with their GPU cost
// (Sweep, a CSV), of the shown set as a heat map beside its frame (Map, a
// PNG), or of the sweep's sets at the current step count in 5-degree bins of
// the angle between eye ray and surface normal (Angles, a CSV).
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

// The view drawn with each of nine sets as a labelled 3 x 3 picture.
std::unique_ptr<BenchJob> makeContactSheetJob(MeasureScene& scene, std::string const& path);
