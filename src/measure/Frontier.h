// Frontier: the rows of a sweep that no other row beats on both cost and
// error, and the cheapest row whose error is under a target.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ResultTable.h"

class Frontier {
public:
  // No rows until compute() fills it.
  Frontier() : sweep(std::vector<std::string>()) {}

  struct Options {
    std::string cost = "gpu_ms";  // the cost column
    std::string error = "p99";    // the error column: any, e.g. mean, p95, over1, flip_mean, flip_p99
    double target = 1.0;          // a row is good enough when its error is under this
  };

  // A measured row: its index in the sweep and its two figures.
  struct Point {
    size_t row;
    double cost, error;
  };

  // Reads the sweep's rows (columns found by name; "set" is needed, "steps" and
  // "refine_steps" are shown when present). A row is measured when its cost and
  // error are finite numbers and no field says "failed"; the others ("-",
  // failed builds) are skipped. The front holds every measured row that no
  // other one dominates (no more costly and no worse, and better in one of the
  // two): rows equal on both stay together. The cheapest row is the one of
  // least cost with an error under the target, the lower error breaking a tie
  // in cost, then the earlier row; it always lies on the front. False, with
  // one line in `error` and `out` untouched, when a column is missing.
  static bool compute(ResultTable const& sweep, Options const& options, Frontier& out, std::string& error);

  // The front from cheapest to dearest (equal costs by error, then by row).
  std::vector<Point> const& front() const { return frontPoints; }
  // The cheapest row under the target, or null when none gets there.
  Point const* cheapest() const { return haveCheapest ? &cheapestPoint : nullptr; }
  size_t measured() const { return measuredRows; }
  size_t skipped() const { return skippedRows; }

  // The front as a table for the console and CSV: set, steps and refine_steps
  // where the sweep has them, the cost, the error, and "cheapest" (yes or no);
  // the sweep's context lines, then one saying what was asked
  // ("frontier cost gpu_ms error p99 target 1").
  ResultTable table() const;
  // A title saying how many rows were read and which is the cheapest under the
  // target, or that none is (naming the row of least error).
  std::string title() const;

private:
  std::string describe(Point const& p) const;

  ResultTable sweep;
  Options options;
  int setColumn = -1, stepsColumn = -1, refineColumn = -1, costColumn = -1, errorColumn = -1;
  std::vector<Point> frontPoints;
  Point cheapestPoint{0, 0, 0};
  bool haveCheapest = false;
  Point leastError{0, 0, 0};
  size_t measuredRows = 0, skippedRows = 0;
};
