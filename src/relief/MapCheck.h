// MapCheck: whether a user's normal map agrees with the height map in use (the
// direction of green, the sign of the heights) and how deep a relief its
// normals imply.
#pragma once

#include <cstddef>
#include <limits>
#include <string>

#include "HeightField.h"

// The bench's normal map follows its heights: with `up` the row before (smaller
// v) and central differences in texels,
//   n.x / n.z = -D * dh/dx,  n.y / n.z = -D * dh/dy,
// h in [0, 1] white up and D the relief's depth in texels (a generated map's D
// is the Bumpmap Scale). The check decodes each normal, takes its slopes
// s = -n.x / n.z and -n.y / n.z, and sets them against the heights' central
// differences g at the same texel, axis by axis:
//   - the sign of the correlation along x says whether white is up (positive)
//     or deep (negative); a normal map with both red and green turned over is
//     the same map as one of inverted heights, and the same fix mends it;
//   - the product of the signs along x and y says whether green runs down the
//     picture, as the bench's does (positive), or up;
//   - the least-squares slope of s against g through the origin, |sum s g| /
//     sum g^2 over both axes, is the depth in texels of the normal map.
// An axis tells nothing when the maps are under 3 texels along it, when either
// map is flat along it, or when |correlation| is under minCorrelation (maps
// that do not belong together). Where the heights only vary along y, a flipped
// green and inverted heights look alike and neither can be told.
//
// Heights of another size are resampled at the normal map's texel centres,
// bilinear and wrapping (HeightField::sample), so slopes and depths are in
// texels of the normal map. Poly Depth p puts the relief's bottom p * 0.2
// texture units under the polygon, p * 0.2 * width texels of the normal map
// along u: the matching Poly Depth is depth / (0.2 * width). For a map that is
// not square a texel is longer along v than along u in texture space (or
// shorter), and the width is what counts. The matching Bumpmap Scale is the
// depth in texels of the height map (depth * heightWidth / width), what
// generates normals of the same strength from these heights.
struct MapCheck {
  enum class Verdict {
    Bench,      // green down the picture / white up, as the bench reads maps
    Other,      // green up the picture / white deep
    CannotTell  // see the item's line for why
  };

  // The least |correlation| that counts as an answer.
  static constexpr double minCorrelation = 0.2;
  // Normals whose z is under this (slopes over about 10) are left out: they
  // are not tangent-space normals of a height map.
  static constexpr double minNormalZ = 0.1;

  // Checks `normals` (width x height texels of `channels` bytes, 3 for RGB or
  // 4 for RGBA, rows as in the file, row 0 at v = 0) against `heights`.
  // `polyDepth` is the Poly Depth in use, or NaN: when it already matches the
  // normals within 5%, the depth line needs no fix.
  static MapCheck run(HeightField const& heights, unsigned char const* normals, int width, int height,
                      int channels, double polyDepth = std::numeric_limits<double>::quiet_NaN());

  int normalWidth = 0, normalHeight = 0;
  int heightWidth = 0, heightHeight = 0;
  bool resampled = false;  // the heights were resampled to the normal map's size
  size_t texels = 0;       // the texels compared
  size_t skipped = 0;      // normals left out (z under minNormalZ)

  // Pearson correlations of the slopes with the height gradients along each
  // axis (NaN where they cannot be computed), their magnitude the confidence.
  double correlationX = std::numeric_limits<double>::quiet_NaN();
  double correlationY = std::numeric_limits<double>::quiet_NaN();

  Verdict green = Verdict::CannotTell;
  Verdict heightSign = Verdict::CannotTell;

  // The fitted depth in texels of the normal map, over both axes and along
  // each (NaN where unknown), and the settings that match it.
  double depth = std::numeric_limits<double>::quiet_NaN();
  double depthX = std::numeric_limits<double>::quiet_NaN();
  double depthY = std::numeric_limits<double>::quiet_NaN();
  double polyDepth = std::numeric_limits<double>::quiet_NaN();
  double bumpScale = std::numeric_limits<double>::quiet_NaN();

  // The console lines that fix each item ("normalMap -flipgreen FILE",
  // "heightMap -invert FILE", "depth 25.6", the depth in texels of the height
  // map that sets Poly Depth and Bumpmap Scale to match); empty when nothing
  // needs fixing or nothing can be told.
  std::string greenFix, heightFix, depthFix;
  // One line per item: the verdict, the figures behind it, the fix.
  std::string greenLine, heightLine, depthLine;

  // Puts the files' names in place of FILE in the fixes and their lines (an
  // empty name leaves FILE).
  void nameFiles(std::string const& heightFile, std::string const& normalFile);

  // The whole report: a line on the maps compared, then the three items.
  std::string text() const;
};
