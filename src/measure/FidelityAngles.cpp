// FidelityAngles: binning the rows' figures by angle.
#include "FidelityAngles.h"

#include "ImageFidelity.h"

namespace {

// Per view pixel, 1 where the coverage is `kind` (extra or missing), 0 where
// the set or the truth shows surface otherwise, -1 where neither does: the
// angle bins' means are then the shares of each bin's covered pixels.
std::vector<float> coverageShare(std::vector<unsigned char> const& coverage, unsigned char kind) {
  std::vector<float> out(coverage.size(), -1.0f);
  for (size_t i = 0; i < coverage.size(); ++i)
    if (coverage[i] != 0) out[i] = coverage[i] == kind ? 1.0f : 0.0f;
  return out;
}

}  // namespace

ResultTable anglesTable(std::vector<AngleRow> const& rows, std::vector<float> const& angles) {
  std::vector<std::string> columns{"set", "steps", "angle_from", "angle_to", "pixels", "mean", "p95", "p99", "over1"};
  for (std::string const& c : ImageFidelity::columns()) columns.push_back(c);
  columns.insert(columns.end(), {"extra", "missing"});
  ResultTable table(columns);
  for (AngleRow const& r : rows) {
    if (!r.ok) {
      std::vector<std::string> row{r.set, r.steps, "-", "-", "failed"};
      row.resize(columns.size(), "-");
      table.add(row);
      continue;
    }
    FidelityMeter::Errors const& e = *r.errors;
    std::vector<AngleBin> const bins = binByAngle(e.perPixel, angles);
    std::vector<AngleBin> const extra = binByAngle(coverageShare(e.coverage, 1), angles);
    std::vector<AngleBin> const missing = binByAngle(coverageShare(e.coverage, 2), angles);
    for (size_t b = 0; b < bins.size(); ++b) {
      AngleBin const& bin = bins[b];
      bool const empty = bin.pixels == 0;
      auto cell = [empty](double v, int decimals) { return empty ? "-" : ResultTable::number(v, decimals); };
      bool const counted = !e.coverage.empty() && extra[b].pixels > 0;
      std::vector<std::string> row{r.set,
                                   r.steps,
                                   ResultTable::number(bin.from, 0),
                                   ResultTable::number(bin.to, 0),
                                   std::to_string(bin.pixels),
                                   cell(bin.mean, 3),
                                   cell(bin.p95, 3),
                                   cell(bin.p99, 3),
                                   cell(bin.over1, 4)};
      std::vector<AngleBin> const& image = *r.imageBins;
      if (b < image.size() && image[b].pixels > 0)
        row.insert(row.end(), {ResultTable::number(image[b].mean, 4), ResultTable::number(image[b].p99, 4),
                               ResultTable::number(image[b].over1, 4)});
      row.resize(columns.size() - 2, "-");
      row.push_back(counted ? ResultTable::number(extra[b].mean, 4) : "-");
      row.push_back(counted ? ResultTable::number(missing[b].mean, 4) : "-");
      table.add(row);
    }
  }
  return table;
}
