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

enum class FidelityMode { Table, Sweep, Map };
// The sets and step counts a sweep goes through; empty lists take the
// standard ones (Techniques::sweepSets(), 1, 2, 4 ... 256).
struct SweepPlan {
  std::vector<unsigned> sets;
  std::vector<int> steps;
};
// The error of each standard set against the traced reference (Table, `path`
// an optional CSV), of the sweep's sets over step counts with their GPU cost
// (Sweep, a CSV), or of the shown set as a heat map beside its frame (Map, a PNG).
std::unique_ptr<BenchJob> makeFidelityJob(MeasureScene& scene, FidelityMode mode, std::string const& path,
                                          SweepPlan const& plan = SweepPlan());

// The view drawn with each of nine sets as a labelled 3 x 3 picture.
std::unique_ptr<BenchJob> makeContactSheetJob(MeasureScene& scene, std::string const& path);
