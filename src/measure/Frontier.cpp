// Frontier: dominance among a sweep's measured rows.
#include "Frontier.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/parsenumber.h"

namespace {

bool finiteNumber(std::string const& text, double& out) { return parseFiniteDouble(text.c_str(), out); }

std::string formatted(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

}  // namespace

bool Frontier::compute(ResultTable const& sweep, Options const& options, Frontier& out, std::string& error) {
  Frontier f;
  f.sweep = sweep;
  f.options = options;
  f.setColumn = sweep.column("set");
  f.stepsColumn = sweep.column("steps");
  f.refineColumn = sweep.column("refine_steps");
  f.costColumn = sweep.column(options.cost);
  f.errorColumn = sweep.column(options.error);
  int const costColumn = f.costColumn, errorColumn = f.errorColumn;
  for (auto const& need : {std::make_pair(f.setColumn, std::string("set")), std::make_pair(costColumn, options.cost),
                           std::make_pair(errorColumn, options.error)})
    if (need.first < 0) {
      error = "the table has no column \"" + need.second + "\"";
      return false;
    }

  std::vector<Point> points;
  for (size_t r = 0; r < sweep.size(); ++r) {
    std::vector<std::string> const& row = sweep.row(r);
    Point p{r, 0, 0};
    bool const failed = std::find(row.begin(), row.end(), "failed") != row.end();
    if (failed || !finiteNumber(row[static_cast<size_t>(costColumn)], p.cost) ||
        !finiteNumber(row[static_cast<size_t>(errorColumn)], p.error)) {
      ++f.skippedRows;
      continue;
    }
    points.push_back(p);
  }
  f.measuredRows = points.size();

  std::sort(points.begin(), points.end(), [](Point const& a, Point const& b) {
    if (a.cost != b.cost) return a.cost < b.cost;
    if (a.error != b.error) return a.error < b.error;
    return a.row < b.row;
  });
  // In that order a row is dominated exactly when an earlier one has a lower
  // error, or the same error at a lower cost.
  for (Point const& p : points) {
    bool dominated = false;
    for (Point const& q : f.frontPoints)
      if (q.error < p.error || (q.error == p.error && q.cost < p.cost)) dominated = true;
    if (!dominated) f.frontPoints.push_back(p);
  }
  for (Point const& p : points) {
    if (p.error < options.target) {
      f.cheapestPoint = p;
      f.haveCheapest = true;
      break;
    }
  }
  for (Point const& p : points)
    if (&p == &points.front() || p.error < f.leastError.error) f.leastError = p;
  out = f;
  return true;
}

std::string Frontier::describe(Point const& p) const {
  std::vector<std::string> const& row = sweep.row(p.row);
  std::string out = row[static_cast<size_t>(setColumn)];
  if (stepsColumn >= 0) out += " at " + row[static_cast<size_t>(stepsColumn)] + " steps";
  if (refineColumn >= 0) out += ", " + row[static_cast<size_t>(refineColumn)] + " refine steps";
  return out + " (" + options.error + " " + row[static_cast<size_t>(errorColumn)] + ", " + options.cost + " " +
         row[static_cast<size_t>(costColumn)] + ")";
}

ResultTable Frontier::table() const {
  std::vector<std::string> columns{"set"};
  if (stepsColumn >= 0) columns.push_back("steps");
  if (refineColumn >= 0) columns.push_back("refine_steps");
  columns.insert(columns.end(), {options.cost, options.error, "cheapest"});
  ResultTable t(columns);
  for (std::string const& line : sweep.context()) {
    size_t const space = line.find(' ');
    t.addContext(line.substr(0, space), space == std::string::npos ? std::string() : line.substr(space + 1));
  }
  t.addContext("frontier", "cost " + options.cost + " error " + options.error + " target " + formatted(options.target));
  for (Point const& p : frontPoints) {
    std::vector<std::string> const& row = sweep.row(p.row);
    std::vector<std::string> cells{row[static_cast<size_t>(setColumn)]};
    if (stepsColumn >= 0) cells.push_back(row[static_cast<size_t>(stepsColumn)]);
    if (refineColumn >= 0) cells.push_back(row[static_cast<size_t>(refineColumn)]);
    cells.insert(cells.end(), {row[static_cast<size_t>(costColumn)], row[static_cast<size_t>(errorColumn)],
                               haveCheapest && cheapestPoint.row == p.row ? "yes" : "no"});
    t.add(cells);
  }
  return t;
}

std::string Frontier::title() const {
  std::string out = "frontier: " + options.error + " against " + options.cost + ", " + std::to_string(measuredRows) +
                    " measured rows";
  if (skippedRows) out += " (" + std::to_string(skippedRows) + " failed or unmeasured left out)";
  out += ", " + std::to_string(frontPoints.size()) + " on the front; ";
  if (haveCheapest)
    return out + "cheapest with " + options.error + " under " + formatted(options.target) + ": " + describe(cheapestPoint);
  if (measuredRows == 0) return out + "nothing to compare";
  return out + "none has " + options.error + " under " + formatted(options.target) + "; the least: " + describe(leastError);
}
