// FidelityAngles: the angles table, each set's errors and coverage in bins of the angle between eye ray and surface normal.
#pragma once

#include <string>
#include <vector>

#include "AngleBins.h"
#include "FidelityMeter.h"
#include "ResultTable.h"

// One measured row source: its set's name and step count as the table shows
// them, whether it was measured, its errors and its image error by angle
// (5-degree bins, empty without image figures).
struct AngleRow {
  std::string set, steps;
  bool ok;
  FidelityMeter::Errors const* errors;
  std::vector<AngleBin> const* imageBins;
};

// Per row and 5-degree bin of `angles` (per view pixel, -1 off the mesh):
// the texel figures, the shares of the bin's covered pixels that are extra
// and missing (against the displaced truth; "-" otherwise) and the image
// figures. A row that failed gets one line saying so.
ResultTable anglesTable(std::vector<AngleRow> const& rows, std::vector<float> const& angles);
