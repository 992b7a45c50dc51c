// Flip: the two pipelines run as a stream of rows over tiles of columns. A
// worker takes one tile (a strip of columns, with R more on each side, R the
// larger filter reach) and walks down it: every picture row is converted once
// to YyCxCz and the achromatic channel and kept in a ring of 2R + 1 rows, small
// enough to stay in the core's cache. Each output row is filtered down the
// ring, then across, for both pictures, and the two are compared at once, so
// nothing of picture size is held but the inputs and the maps.
#include "Flip.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <stdexcept>

#include "FlipColorSpace.h"
#include "FlipMath.h"
#include "WorkerThreads.h"

namespace {

namespace cs = FlipColorSpace;

// The row loops are kept out of line: inlined into their caller they lose
// what __restrict promises, and the compiler then needs more run-time overlap
// checks than it makes before it vectorises. On x86-64 each is also compiled
// for AVX2 with FMA (x86-64-v3), eight floats at a time, and the loader picks
// that version where the processor has it.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define ROW_LOOP __attribute__((noinline, target_clones("arch=x86-64-v3", "default")))
#else
#define ROW_LOOP __attribute__((noinline))
#endif

// Columns per tile: the ring of a tile (two pictures, four planes, 2R + 1
// rows) then fits a core's second-level cache at the default viewing distance.
int const tileColumns = 256;

enum class Shape { Even, Odd, Balanced };

template <Shape S>
inline float centreTerm(float w0, float centre) {
  return S == Shape::Even ? w0 * centre : 0.0f;
}

// The tap pair at +j and -j of a kernel of shape S, before its weight.
template <Shape S>
inline float tapTerm(float plus, float minus, float centre) {
  return S == Shape::Odd ? plus - minus : S == Shape::Balanced ? plus + minus - 2.0f * centre : plus + minus;
}

// Filters down a column of rows with one to three kernels of the same reach
// at once, so that each row is read once for all of them: outs[n][x] = sum
// over j of kernel n at j times mid[j][x], where mid[j] is the row j below the
// output row (negative above). Sixteen columns at a time, their sums held in
// registers.
template <Shape S0, Shape S1 = Shape::Even, Shape S2 = Shape::Even, int N = 1>
ROW_LOOP void filterDownAs(float const* const* mid, FlipKernel const* const* ks, int w, float* __restrict out0,
                           float* __restrict out1, float* __restrict out2) {
  int const r = ks[0]->radius;
  float const* w0 = ks[0]->weights.data();
  float const* w1 = N > 1 ? ks[1]->weights.data() : w0;
  float const* w2 = N > 2 ? ks[2]->weights.data() : w0;
  int const block = 16;
  int x = 0;
  for (; x + block <= w; x += block) {
    float const* centre = mid[0] + x;
    float acc0[block], acc1[block], acc2[block];
    for (int i = 0; i < block; ++i) {
      acc0[i] = centreTerm<S0>(w0[0], centre[i]);
      if (N > 1) acc1[i] = centreTerm<S1>(w1[0], centre[i]);
      if (N > 2) acc2[i] = centreTerm<S2>(w2[0], centre[i]);
    }
    for (int j = 1; j <= r; ++j) {
      float const* below = mid[j] + x;
      float const* above = mid[-j] + x;
      for (int i = 0; i < block; ++i) {
        acc0[i] += w0[j] * tapTerm<S0>(below[i], above[i], centre[i]);
        if (N > 1) acc1[i] += w1[j] * tapTerm<S1>(below[i], above[i], centre[i]);
        if (N > 2) acc2[i] += w2[j] * tapTerm<S2>(below[i], above[i], centre[i]);
      }
    }
    for (int i = 0; i < block; ++i) {
      out0[x + i] = acc0[i];
      if (N > 1) out1[x + i] = acc1[i];
      if (N > 2) out2[x + i] = acc2[i];
    }
  }
  for (; x < w; ++x) {
    float const c = mid[0][x];
    float a0 = centreTerm<S0>(w0[0], c), a1 = centreTerm<S1>(w1[0], c), a2 = centreTerm<S2>(w2[0], c);
    for (int j = 1; j <= r; ++j) {
      float const plus = mid[j][x], minus = mid[-j][x];
      a0 += w0[j] * tapTerm<S0>(plus, minus, c);
      a1 += w1[j] * tapTerm<S1>(plus, minus, c);
      a2 += w2[j] * tapTerm<S2>(plus, minus, c);
    }
    out0[x] = a0;
    if (N > 1) out1[x] = a1;
    if (N > 2) out2[x] = a2;
  }
}

// One kernel down the column.
void filterDown(float const* const* mid, FlipKernel const& k, int w, float* out) {
  FlipKernel const* ks[1] = {&k};
  if (k.odd)
    filterDownAs<Shape::Odd>(mid, ks, w, out, nullptr, nullptr);
  else if (k.balanced)
    filterDownAs<Shape::Balanced>(mid, ks, w, out, nullptr, nullptr);
  else
    filterDownAs<Shape::Even>(mid, ks, w, out, nullptr, nullptr);
}
// Two even kernels of the same reach (the blue-yellow channel's two terms).
void filterDown(float const* const* mid, FlipKernel const& k0, FlipKernel const& k1, int w, float* out0, float* out1) {
  FlipKernel const* ks[2] = {&k0, &k1};
  filterDownAs<Shape::Even, Shape::Even, Shape::Even, 2>(mid, ks, w, out0, out1, nullptr);
}
// The feature kernels down the column: the Gaussian (even), its first
// derivative (odd) and its second (balanced).
void filterDownFeatures(float const* const* mid, FlipFilters const& f, int w, float* g, float* d1, float* d2) {
  FlipKernel const* ks[3] = {&f.gaussian(), &f.firstDerivative(), &f.secondDerivative()};
  filterDownAs<Shape::Even, Shape::Odd, Shape::Balanced, 3>(mid, ks, w, g, d1, d2);
}

// Filtering along a row is filtering down a column whose row j is the row
// itself moved by j places: `shifts` (room for j = -radius ... radius around
// it) gets those places of `in`, which must exist.
float const* const* shifted(float const* in, int radius, float const** shifts) {
  for (int j = -radius; j <= radius; ++j) shifts[j] = in + j;
  return shifts;
}
void filterAcross(float const* in, FlipKernel const& k, int w, float* out, float const** shifts) {
  filterDown(shifted(in, k.radius, shifts), k, w, out);
}
// The edge (first derivative) and point (second derivative) kernels along one
// row together.
void filterAcrossFeatures(float const* in, FlipFilters const& f, int w, float* edge, float* point,
                          float const** shifts) {
  FlipKernel const* ks[2] = {&f.firstDerivative(), &f.secondDerivative()};
  filterDownAs<Shape::Odd, Shape::Balanced, Shape::Even, 2>(shifted(in, f.featureRadius(), shifts), ks, w, edge,
                                                             point, nullptr);
}

ROW_LOOP void addRow(float const* __restrict in, int w, float* __restrict sum) {
  for (int x = 0; x < w; ++x) sum[x] += in[x];
}

// One row of sRGB (red, green, blue per pixel) to the planes Yy, Cx, Cz and
// the achromatic channel normalised to [0, 1], (Yy + 16) / 116. The colours
// are first spread over the three planes, one per channel, so that the
// conversion reads each plane in order.
ROW_LOOP void convertRow(float const* __restrict srgb, int w, float* __restrict yy, float* __restrict cx,
                         float* __restrict cz, float* __restrict lum) {
  for (int x = 0; x < w; ++x) {
    yy[x] = srgb[3 * x];
    cx[x] = srgb[3 * x + 1];
    cz[x] = srgb[3 * x + 2];
  }
  for (int x = 0; x < w; ++x) {
    float const r = cs::srgbToLinear(yy[x]), g = cs::srgbToLinear(cx[x]), b = cs::srgbToLinear(cz[x]);
    cs::linearRgbToYcxcz(r, g, b, yy[x], cx[x], cz[x]);
    lum[x] = (yy[x] + cs::kLightnessOffset) / cs::kLightnessScale;
  }
}

// Filtered YyCxCz back through clamped linear RGB to Hunt-adjusted CIELAB.
ROW_LOOP void labRow(float const* __restrict yy, float const* __restrict cx, float const* __restrict cz, int w,
                     float* __restrict l, float* __restrict a, float* __restrict b) {
  for (int x = 0; x < w; ++x) {
    float r, g, bl;
    cs::ycxczToLinearRgb(yy[x], cx[x], cz[x], r, g, bl);
    cs::linearRgbToHuntLab(r, g, bl, l[x], a[x], b[x]);
  }
}

ROW_LOOP void magnitudeRow(float const* __restrict u, float const* __restrict v, int w, float* __restrict out) {
  for (int x = 0; x < w; ++x) out[x] = std::sqrt(u[x] * u[x] + v[x] * v[x]);
}

// The colour term's mapping of the compressed distance d into [0, 1]: a line
// from 0 to kColorBreakValue up to the break point, kColorBreak times the
// largest distance, and a second line from there to 1 at the largest distance.
struct ColorMapping {
  explicit ColorMapping(float largest)
      : breakDistance(Flip::kColorBreak * largest),
        belowSlope(Flip::kColorBreakValue / breakDistance),
        aboveSlope((1.0f - Flip::kColorBreakValue) / (largest - breakDistance)) {}
  float breakDistance, belowSlope, aboveSlope;
};

// The feature term of a difference d of strengths: (d / sqrt 2)^kFeatureExponent.
inline float featureTerm(float d) {
  float const scaled = d * 0.70710678f;
  if (Flip::kFeatureExponent == 0.5f) return std::sqrt(scaled);
  return FlipMath::pow(scaled, Flip::kFeatureExponent);
}

// The rows of one picture a worker keeps for one tile.
struct PictureRows {
  float* slot(int plane, int y) {
    int const s = ((y % ringRows) + ringRows) % ringRows;
    return ring[plane].data() + static_cast<size_t>(s) * static_cast<size_t>(padded);
  }

  int ringRows = 0, padded = 0;
  std::vector<float> ring[4];                // Yy, Cx, Cz, achromatic; ringRows rows of `padded` columns
  std::vector<std::vector<float>> down;      // per colour term, then Gaussian, first and second derivative
  std::vector<float> across[6];              // filtered Yy, Cx, Cz and a scratch row (then the four feature
                                             // responses), edge strength, point strength
  std::vector<float> lab[3];                 // Hunt-adjusted L*, a*, b*
};

// One row of the two pictures compared: the colour term (the mapped, compressed
// HyAB distance of the Hunt-adjusted Lab colours), the feature term (the larger
// difference of edge and point strengths) and the error, the colour term to
// the power 1 - feature term.
ROW_LOOP void combineRow(float const* __restrict l0, float const* __restrict a0, float const* __restrict b0,
                         float const* __restrict l1, float const* __restrict a1, float const* __restrict b1,
                         float const* __restrict e0, float const* __restrict p0, float const* __restrict e1,
                         float const* __restrict p1, int w, ColorMapping const& m, float* __restrict ce,
                         float* __restrict fe, float* __restrict error) {
  for (int x = 0; x < w; ++x) {
    float const da = a0[x] - a1[x], db = b0[x] - b1[x];
    float const hyab = std::fabs(l0[x] - l1[x]) + std::sqrt(da * da + db * db);
    float const dist = FlipMath::pow(hyab, Flip::kColorExponent);
    float const below = dist * m.belowSlope;
    float const above = Flip::kColorBreakValue + (dist - m.breakDistance) * m.aboveSlope;
    float const c = dist < m.breakDistance ? below : above;
    float const f = featureTerm(std::max(std::fabs(e0[x] - e1[x]), std::fabs(p0[x] - p1[x])));
    ce[x] = c;
    fe[x] = f;
    error[x] = FlipMath::pow(c, 1.0f - f);
  }
}

void combineRow(PictureRows const& r0, PictureRows const& r1, int w, ColorMapping const& m, float* ce, float* fe,
                float* error) {
  combineRow(r0.lab[0].data(), r0.lab[1].data(), r0.lab[2].data(), r1.lab[0].data(), r1.lab[1].data(),
             r1.lab[2].data(), r0.across[4].data(), r0.across[5].data(), r1.across[4].data(), r1.across[5].data(), w, m,
             ce, fe, error);
}

}  // namespace

Flip::Flip(float pixelsPerDegree, int threads) : filters(pixelsPerDegree), threads(threads) {
  float l[2], a[2], b[2];
  cs::linearRgbToHuntLab(0, 1, 0, l[0], a[0], b[0]);
  cs::linearRgbToHuntLab(0, 0, 1, l[1], a[1], b[1]);
  double const hyab = std::fabs(l[0] - l[1]) + std::hypot(a[0] - a[1], b[0] - b[1]);
  maxDistance = static_cast<float>(std::pow(hyab, static_cast<double>(kColorExponent)));
}

std::vector<float> Flip::errorMap(FlipPicture const& reference, FlipPicture const& test) const {
  if (!reference.sameSize(test)) throw std::invalid_argument("Flip: the pictures differ in size");
  std::vector<float> error(reference.pixels());
  compare(reference, test, error.data(), nullptr, nullptr);
  return error;
}

Flip::Terms Flip::terms(FlipPicture const& reference, FlipPicture const& test) const {
  if (!reference.sameSize(test)) throw std::invalid_argument("Flip: the pictures differ in size");
  Terms t;
  t.error.resize(reference.pixels());
  t.color.resize(reference.pixels());
  t.feature.resize(reference.pixels());
  compare(reference, test, t.error.data(), t.color.data(), t.feature.data());
  return t;
}

void Flip::compare(FlipPicture const& pa, FlipPicture const& pb, float* error, float* color, float* feature) const {
  int const w = pa.width(), h = pa.height();
  if (w == 0 || h == 0) return;
  int const reach = std::max(filters.colorRadius(), filters.featureRadius());
  int const ringRows = 2 * reach + 1;
  size_t colorTerms = 0;
  for (int c = 0; c < 3; ++c) colorTerms += filters.channel(c).size();

  int const tiles = (w + tileColumns - 1) / tileColumns;
  int const tileWidth = (w + tiles - 1) / tiles;
  size_t const workers = workerCount(threads, static_cast<size_t>(tiles));
  std::atomic<int> nextTile{0};
  ColorMapping const mapping(maxDistance);

  auto work = [&]() {
    int const padded = tileWidth + 2 * reach;
    PictureRows rows[2];
    for (PictureRows& pr : rows) {
      pr.ringRows = ringRows;
      pr.padded = padded;
      for (std::vector<float>& p : pr.ring) p.resize(static_cast<size_t>(ringRows) * static_cast<size_t>(padded));
      pr.down.assign(colorTerms + 3, std::vector<float>(static_cast<size_t>(padded)));
      for (std::vector<float>& o : pr.across) o.resize(static_cast<size_t>(tileWidth));
      for (std::vector<float>& o : pr.lab) o.resize(static_cast<size_t>(tileWidth));
    }
    FlipPicture const* pics[2] = {&pa, &pb};
    std::vector<float> srgb(3 * static_cast<size_t>(padded));
    std::vector<float const*> column(static_cast<size_t>(ringRows)), along(static_cast<size_t>(ringRows));
    float const** mid = column.data() + reach;
    float const** shifts = along.data() + reach;

    for (int tile = nextTile++; tile < tiles; tile = nextTile++) {
      int const x0 = tile * tileWidth, tw = std::min(w, x0 + tileWidth) - x0;
      int const pw = tw + 2 * reach;

      // Picture row y (clamped to the picture) over the tile's columns and
      // `reach` more on each side (clamped too) into the ring.
      auto convert = [&](int y) {
        int const from = std::min(std::max(y, 0), h - 1);
        // A tile at an end of the picture takes a copy of its columns whose
        // places beyond the end repeat the first or last pixel.
        int const first = std::max(x0 - reach, 0), last = std::min(x0 + tw + reach, w);
        for (int p = 0; p < 2; ++p) {
          float const* src = pics[p]->row(from);
          float const* in = src + 3 * first;
          if (first > x0 - reach || last < x0 + tw + reach) {
            float* dst = srgb.data();
            for (int i = x0 - reach; i < first; ++i, dst += 3) std::copy(src, src + 3, dst);
            dst = std::copy(src + 3 * first, src + 3 * last, dst);
            for (int i = last; i < x0 + tw + reach; ++i, dst += 3) std::copy(src + 3 * (w - 1), src + 3 * w, dst);
            in = srgb.data();
          }
          PictureRows& pr = rows[p];
          convertRow(in, pw, pr.slot(0, y), pr.slot(1, y), pr.slot(2, y), pr.slot(3, y));
        }
      };
      auto setColumn = [&](PictureRows& pr, int plane, int y) {
        for (int j = -reach; j <= reach; ++j) mid[j] = pr.slot(plane, y + j);
      };

      // Both filters of output row y for one picture: Lab in pr.lab, edge and
      // point strengths in pr.across[4] and [5]. Down the ring over the padded
      // width, then across over the tile's own columns.
      auto filterRow = [&](PictureRows& pr, int y) {
        size_t term = 0;
        for (int c = 0; c < 3; ++c) {
          setColumn(pr, c, y);
          std::vector<FlipSeparable> const& terms = filters.channel(c);
          float* sum = pr.across[c].data();
          float* d0 = pr.down[term].data();
          if (terms.size() == 2) {
            float* d1 = pr.down[term + 1].data();
            filterDown(mid, terms[0].down, terms[1].down, pw, d0, d1);
            filterAcross(d0 + reach, terms[0].across, tw, sum, shifts);
            filterAcross(d1 + reach, terms[1].across, tw, pr.across[3].data(), shifts);
            addRow(pr.across[3].data(), tw, sum);
          } else {
            filterDown(mid, terms[0].down, pw, d0);
            filterAcross(d0 + reach, terms[0].across, tw, sum, shifts);
          }
          term += terms.size();
        }
        labRow(pr.across[0].data(), pr.across[1].data(), pr.across[2].data(), tw, pr.lab[0].data(),
               pr.lab[1].data(), pr.lab[2].data());

        setColumn(pr, 3, y);
        float* g = pr.down[colorTerms].data();
        float* d1 = pr.down[colorTerms + 1].data();
        float* d2 = pr.down[colorTerms + 2].data();
        filterDownFeatures(mid, filters, pw, g, d1, d2);
        float* ex = pr.across[0].data();
        float* pxx = pr.across[1].data();
        float* ey = pr.across[2].data();
        float* pyy = pr.across[3].data();
        filterAcrossFeatures(g + reach, filters, tw, ex, pxx, shifts);
        filterAcross(d1 + reach, filters.gaussian(), tw, ey, shifts);
        filterAcross(d2 + reach, filters.gaussian(), tw, pyy, shifts);
        magnitudeRow(ex, ey, tw, pr.across[4].data());
        magnitudeRow(pxx, pyy, tw, pr.across[5].data());
      };

      for (int y = -reach; y < reach; ++y) convert(y);
      for (int y = 0; y < h; ++y) {
        convert(y + reach);
        filterRow(rows[0], y);
        filterRow(rows[1], y);
        size_t const at = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x0);
        float* ce = rows[0].across[0].data();
        float* fe = rows[0].across[1].data();
        combineRow(rows[0], rows[1], tw, mapping, ce, fe, error + at);
        if (color) std::copy(ce, ce + tw, color + at);
        if (feature) std::copy(fe, fe + tw, feature + at);
      }
    }
  };
  runOnWorkers(workers, work);
}
