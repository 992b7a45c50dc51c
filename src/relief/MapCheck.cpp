// MapCheck: slopes of the normal map against gradients of the heights.
#include "MapCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// Running sums of slope s against gradient g along one axis.
struct AxisSums {
  double n = 0, s = 0, g = 0, ss = 0, gg = 0, sg = 0;

  void add(double slope, double gradient) {
    n += 1;
    s += slope;
    g += gradient;
    ss += slope * slope;
    gg += gradient * gradient;
    sg += slope * gradient;
  }
};

// What one axis tells: its correlation, its fitted slope, or why not.
struct AxisFit {
  double r = std::nan("");
  double slope = std::nan("");  // sum s g / sum g^2, signed
  bool known = false;
  std::string why;  // for an axis that tells nothing
};

AxisFit fitAxis(AxisSums const& a, int extent, char const* along) {
  AxisFit f;
  if (extent < 3) {
    f.why = std::string("the maps are under 3 texels along ") + along;
    return f;
  }
  if (a.n < 2) {
    f.why = "no texel holds a tangent-space normal";
    return f;
  }
  double const vg = a.gg - a.g * a.g / a.n, vs = a.ss - a.s * a.s / a.n;
  if (!(vg > 1e-20)) {
    f.why = std::string("the heights do not change along ") + along;
    return f;
  }
  if (!(vs > 1e-20)) {
    f.why = std::string("the normal map is flat along ") + along;
    return f;
  }
  f.r = std::max(-1.0, std::min(1.0, (a.sg - a.s * a.g / a.n) / std::sqrt(vg * vs)));
  f.slope = a.sg / a.gg;
  if (std::fabs(f.r) < MapCheck::minCorrelation) {
    char buf[160];
    std::snprintf(buf, sizeof buf,
                  "the slopes hardly follow the heights along %s (r = %+.2f): maps that do not belong together?", along,
                  f.r);
    f.why = buf;
    return f;
  }
  f.known = true;
  return f;
}

std::string printed(char const* format, double a, double b = 0, double c = 0) {
  char buf[256];
  std::snprintf(buf, sizeof buf, format, a, b, c);
  return buf;
}

// The heights at the normal map's texel centres, row by row.
std::vector<float> heightsAt(HeightField const& hf, int width, int height) {
  size_t const w = static_cast<size_t>(width), h = static_cast<size_t>(height);
  if (hf.width() == width && hf.height() == height) return std::vector<float>(hf.texels(), hf.texels() + w * h);
  std::vector<float> out(w * h);
  for (size_t y = 0; y < h; ++y)
    for (size_t x = 0; x < w; ++x)
      out[y * w + x] = hf.sample(static_cast<float>((static_cast<double>(x) + 0.5) / static_cast<double>(w)),
                                 static_cast<float>((static_cast<double>(y) + 0.5) / static_cast<double>(h)));
  return out;
}

// A byte as the bench packs it, trunc((n + 1) / 2 * 255), back to the middle
// of the interval it stands for.
double unpacked(unsigned char b) { return (b + 0.5) / 127.5 - 1.0; }

}  // namespace

MapCheck MapCheck::run(HeightField const& heights, unsigned char const* normals, int width, int height,
                       int channels, double currentPolyDepth) {
  MapCheck c;
  c.normalWidth = width;
  c.normalHeight = height;
  c.heightWidth = heights.width();
  c.heightHeight = heights.height();
  if (!normals || width <= 0 || height <= 0 || (channels != 3 && channels != 4)) {
    c.greenLine = "green: cannot tell: no normal map to check";
    c.heightLine = "heights: cannot tell: no normal map to check";
    c.depthLine = "depth: cannot tell: no normal map to check";
    return c;
  }
  c.resampled = heights.width() != width || heights.height() != height;
  std::vector<float> const h = heightsAt(heights, width, height);
  size_t const w = static_cast<size_t>(width), rows = static_cast<size_t>(height);
  AxisSums sx, sy;
  for (size_t y = 0; y < rows; ++y) {
    size_t const up = (y == 0 ? rows : y) - 1, down = y + 1 == rows ? 0 : y + 1;
    for (size_t x = 0; x < w; ++x) {
      unsigned char const* p = normals + (y * w + x) * static_cast<size_t>(channels);
      double const nx = unpacked(p[0]), ny = unpacked(p[1]), nz = unpacked(p[2]);
      if (nz < minNormalZ) {
        ++c.skipped;
        continue;
      }
      ++c.texels;
      size_t const left = (x == 0 ? w : x) - 1, right = x + 1 == w ? 0 : x + 1;
      sx.add(-nx / nz, 0.5 * (static_cast<double>(h[y * w + right]) - h[y * w + left]));
      sy.add(-ny / nz, 0.5 * (static_cast<double>(h[down * w + x]) - h[up * w + x]));
    }
  }
  AxisFit const fx = fitAxis(sx, width, "x"), fy = fitAxis(sy, height, "y");
  c.correlationX = fx.r;
  c.correlationY = fy.r;

  std::string const rx = printed("r = %+.2f along x", fx.r), ry = printed("r = %+.2f along y", fy.r);
  if (fx.known) {
    c.heightSign = fx.r > 0 ? Verdict::Bench : Verdict::Other;
    if (c.heightSign == Verdict::Bench) {
      c.heightLine = "heights: white up, as the bench reads them (" + rx + "); no fix needed";
    } else {
      c.heightFix = "heightMap -invert FILE";
      c.heightLine = "heights: white deep, the bench reads white up (" + rx + "); fix: " + c.heightFix;
    }
  } else if (fy.known) {
    c.heightLine = "heights: cannot tell: " + fx.why + ", and along y inverted heights and a flipped green look alike";
  } else {
    c.heightLine = "heights: cannot tell: " + fx.why;
  }
  if (fx.known && fy.known) {
    c.green = fx.r * fy.r > 0 ? Verdict::Bench : Verdict::Other;
    std::string const figures = " (slopes against height gradients: " + rx + ", " + ry + ")";
    if (c.green == Verdict::Bench) {
      c.greenLine = "green: +Y down the picture, as the bench reads it" + figures + "; no fix needed";
    } else {
      c.greenFix = "normalMap -flipgreen FILE";
      c.greenLine = "green: +Y up the picture, the bench reads it down" + figures + "; fix: " + c.greenFix;
    }
  } else {
    c.greenLine = "green: cannot tell: " + (fy.known ? fx.why : fy.why);
    if (fy.known) c.greenLine += ", and along y a flipped green and inverted heights look alike";
  }

  // The depth: the fitted slope's size over the axes that tell anything.
  double num = 0, den = 0;
  if (fx.known) {
    c.depthX = std::fabs(fx.slope);
    num += std::fabs(sx.sg);
    den += sx.gg;
  }
  if (fy.known) {
    c.depthY = std::fabs(fy.slope);
    num += std::fabs(sy.sg);
    den += sy.gg;
  }
  if (den > 0) {
    c.depth = num / den;
    c.polyDepth = c.depth / (0.2 * width);
    c.bumpScale = c.depth * heights.width() / width;
    std::string along;
    if (fx.known && fy.known) along = printed(" (%.4g along x, %.4g along y)", c.depthX, c.depthY);
    c.depthLine = printed("depth: the normals imply a relief %.4g texels deep", c.depth) + along;
    if (c.resampled) c.depthLine += printed(", %.4g texels of the height map", c.bumpScale);
    bool const matches = std::isfinite(currentPolyDepth) && std::fabs(currentPolyDepth - c.polyDepth) <= 0.05 * c.polyDepth;
    std::string notes;
    if (matches) {
      c.depthLine += printed("; Poly Depth %.4g matches it", currentPolyDepth);
    } else {
      // The depth command takes texels of the height map and sets both fields.
      c.depthFix = printed("depth %.4g", c.bumpScale);
      c.depthLine += "; fix: " + c.depthFix + printed(" (Poly Depth %.4g, Bumpmap Scale %.4g)", c.polyDepth, c.bumpScale);
      if (std::isfinite(currentPolyDepth)) notes = printed("Poly Depth is %.4g now", currentPolyDepth);
    }
    if (width != height)
      notes += (notes.empty() ? "" : "; ") +
               printed("Poly Depth counts the map's width, %.0f texels per texture unit", width);
    if (!notes.empty()) c.depthLine += " (" + notes + ")";
  } else {
    c.depthLine = "depth: cannot tell: " + fx.why;
    if (fy.why != fx.why) c.depthLine += "; " + fy.why;
  }
  return c;
}

namespace {

// `fix` with its FILE named, in `fix` and in the item's `line`.
void nameFile(std::string& fix, std::string& line, std::string const& file) {
  size_t const at = fix.find("FILE");
  if (at == std::string::npos || file.empty()) return;
  std::string const named = fix.substr(0, at) + file + fix.substr(at + 4);
  size_t const inLine = line.find(fix);
  if (inLine != std::string::npos) line.replace(inLine, fix.size(), named);
  fix = named;
}

}  // namespace

void MapCheck::nameFiles(std::string const& heightFile, std::string const& normalFile) {
  nameFile(greenFix, greenLine, normalFile);
  nameFile(heightFix, heightLine, heightFile);
}

std::string MapCheck::text() const {
  std::string out = "map check: normal map " + std::to_string(normalWidth) + "x" + std::to_string(normalHeight) +
                    " against heights " + std::to_string(heightWidth) + "x" + std::to_string(heightHeight);
  if (resampled) out += " (resampled bilinearly to the normal map's size)";
  out += ", " + std::to_string(texels) + " texels compared";
  if (skipped) out += ", " + std::to_string(skipped) + " left out (not tangent-space normals)";
  return out + "\n" + greenLine + "\n" + heightLine + "\n" + depthLine + "\n";
}
