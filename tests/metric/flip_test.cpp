// The image metric against values worked out by hand from the paper's colour pipeline, and its feature term, symmetry
// and viewing distance.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <utility>

#include "Flip.h"
#include "pictures.h"

namespace {

size_t at(FlipPicture const& p, int x, int y) { return static_cast<size_t>(y) * static_cast<size_t>(p.width()) + static_cast<size_t>(x); }

}  // namespace

TEST(Flip, IdenticalPicturesGiveZeroEverywhereAndSwappedOnesTheSameMap) {
  Flip const flip;
  FlipPicture const a = noise(300, 40, 1);  // wider than one tile of columns
  Flip::Terms const t = flip.terms(a, a);
  for (size_t i = 0; i < a.pixels(); ++i) ASSERT_TRUE(t.error[i] == 0 && t.color[i] == 0 && t.feature[i] == 0) << i;
  FlipPicture const b = noise(280, 30, 2), c = noise(280, 30, 3);
  EXPECT_EQ(flip.errorMap(b, c), flip.errorMap(c, b));
}

// A flat picture has no features and stays flat, so its FLIP is the colour
// term: the mapped, compressed HyAB distance of the Hunt-adjusted Lab colours.
// The colour term's 1 is the distance of green and blue. Linear green
// (0, 1, 0) has XYZ (0.3575761, 0.7151522, 0.1191920); over the white
// (0.9504700, 1.0000001, 1.0888300), cube roots (0.721899, 0.894265, 0.478368):
// L* = 116 * 0.894265 - 16 = 87.7347, a* = 500 (0.721899 - 0.894265) = -86.1827,
// b* = 200 (0.894265 - 0.478368) = 83.1793; Hunt-adjusted (times L*/100):
// (87.7347, -75.6122, 72.9771). Blue likewise: (32.2970, 79.1875, -107.8602),
// Hunt (32.2970, 25.5752, -34.8356). HyAB = |87.7347 - 32.2970| +
// sqrt(101.1874^2 + 107.8127^2) = 55.4377 + 147.8596 = 203.2973; to the power
// 0.7: cmax = 41.2755, and the break point 0.4 cmax = 16.5102.
// Black (0, 0, 0) against white (100, 0, 0): HyAB 100, compressed 100^0.7 =
// 25.1189, over the break: 0.95 + (25.1189 - 16.5102) / (41.2755 - 16.5102) * 0.05 = 0.96738.
// Grey 0.5 against 0.6: linear 0.214041 and 0.318547 (((c + 0.055) / 1.055)^2.4),
// L* = 116 * 0.214041^(1/3) - 16 = 53.3890 and 63.2226, a* = b* = 0; HyAB 9.83363,
// compressed 4.95336, under the break: 0.95 * 4.95336 / 16.5102 = 0.28502.
// Red (53.2408, 80.0925, 67.2032) against green: Hunt (53.2408, 42.6419, 35.7795);
// HyAB 34.4939 + sqrt(118.2540^2 + 37.1976^2) = 158.4604, compressed 34.6692,
// 0.95 + (34.6692 - 16.5102) / 24.7653 * 0.05 = 0.98666.
TEST(Flip, FlatColoursGiveTheColourPipelineByHand) {
  Flip const flip;
  EXPECT_NEAR(flip.largestColorDistance(), 41.2755f, 1e-3f);
  struct Pair { float a[3], b[3], expected; } const pairs[] = {
      {{0, 0, 0}, {1, 1, 1}, 0.96738f}, {{0.5f, 0.5f, 0.5f}, {0.6f, 0.6f, 0.6f}, 0.28502f}, {{1, 0, 0}, {0, 1, 0}, 0.98666f}};
  for (Pair const& p : pairs) {
    Flip::Terms const t = flip.terms(flat(30, 20, p.a[0], p.a[1], p.a[2]), flat(30, 20, p.b[0], p.b[1], p.b[2]));
    for (size_t i = 0; i < t.error.size(); ++i) {
      ASSERT_NEAR(t.error[i], p.expected, 2e-5f) << p.expected << " at " << i;
      ASSERT_EQ(t.feature[i], 0.0f);
    }
  }
}

// Against black, a white pixel and a step edge carry features that lift the
// error over the colour term; far from them none differ. At 67.02 pixels per
// degree the Gaussian's deviation is 0.5 * 0.082 * 67.02 = 2.74782, reach 9;
// its weights exp(-k^2 / (2 * 2.74782^2)) sum to 6.88426: centre 0.145259.
// The second derivative's, (k^2 / s^2 - 1) / s^2 * exp(...), sum to 0.437014
// and -0.443090; scaled to 1 and -1, the centre weighs -0.298904. At the
// white pixel the point filter across (and down) gives -0.298904 * 0.145259
// = -0.0434184, the strength sqrt(2) * 0.0434184 = 0.0614029, the feature
// term (0.0614029 / sqrt 2)^0.5 = 0.208371. Beside a step the edge filter
// (taps on one side summing to 1, the Gaussian down too) gives strength 1
// against black's 0, so the feature term is (1 / sqrt 2)^0.5 = 0.840896.
TEST(Flip, PointsAndEdgesTriggerTheFeatureTerm) {
  Flip const flip;
  FlipPicture const black(60, 40);
  FlipPicture dot(60, 40);
  dot.set(30, 20, 1, 1, 1);
  Flip::Terms const d = flip.terms(black, dot);
  EXPECT_NEAR(d.feature[at(dot, 30, 20)], 0.208371f, 2e-5f);
  EXPECT_GT(d.error[at(dot, 30, 20)], d.color[at(dot, 30, 20)]);
  EXPECT_EQ(d.feature[at(dot, 5, 5)], 0.0f);

  // Wide enough for three tiles of columns, the edge in the middle one.
  FlipPicture const edge = step(600, 40, 300);
  Flip::Terms const e = flip.terms(FlipPicture(600, 40), edge);
  for (int x : {299, 300}) {
    EXPECT_NEAR(e.feature[at(edge, x, 20)], 0.840896f, 2e-5f) << x;
    EXPECT_GT(e.error[at(edge, x, 20)], e.color[at(edge, x, 20)]) << x;
  }
  for (int x : {250, 350}) EXPECT_EQ(e.feature[at(edge, x, 20)], 0.0f) << x;
}

// Column 30 lies as far from either edge, so its edge and point strengths
// match; its neighbours see the edges at different distances.
TEST(Flip, AnEdgeMovedByOnePixelLiftsTheErrorAboveTheColourTerm) {
  Flip::Terms const t = Flip().terms(step(60, 30, 30), step(60, 30, 31));
  for (int x : {28, 29, 31, 32}) {
    size_t const i = static_cast<size_t>(15 * 60 + x);
    EXPECT_GT(t.feature[i], 0.0f) << x;
    EXPECT_GT(t.error[i], t.color[i]) << x;
    EXPECT_LT(t.color[i], 1.0f) << x;
  }
}

// The filters reach ceil(3 sqrt(0.04 / (2 pi^2)) ppd) pixels (colour) and
// ceil(3 * 0.5 * 0.082 ppd) (features): at 67.02, ceil(9.05) = 10 and
// ceil(8.24) = 9; at twice that, 19 and 17. From farther away a dot fades.
TEST(Flip, PixelsPerDegreeSetTheFilterWidths) {
  EXPECT_EQ(std::pair(Flip().filterSet().colorRadius(), Flip().filterSet().featureRadius()), std::pair(10, 9));
  EXPECT_EQ(std::pair(Flip(134.04f).filterSet().colorRadius(), Flip(134.04f).filterSet().featureRadius()), std::pair(19, 17));

  // The colour Gaussians exp(-pi^2 k^2 / (b ppd^2)) at 67.02: b ppd^2 is
  // 21.1109 (achromatic), 23.8059 (red-green), 179.667 and 112.292 (the two
  // blue-yellow terms); summed over k they give 2.59226, 2.75275, 7.55883
  // and 5.97854, the centres' weights one over that. The blue-yellow terms
  // share the filter as 34.1 sqrt(pi / 0.04) * 7.55883^2 = 17266.7 to
  // 13.5 sqrt(pi / 0.025) * 5.97854^2 = 5409.16: 0.761457 and 0.238543.
  FlipFilters const f(67.02f);
  float const centres[] = {0.385764f, 0.363273f, 0.132296f, 0.167265f}, shares[] = {1, 1, 0.761457f, 0.238543f};
  for (int i = 0; i < 4; ++i) {
    FlipSeparable const& term = f.channel(i < 2 ? i : 2)[static_cast<size_t>(i < 2 ? 0 : i - 2)];
    EXPECT_NEAR(term.across.weights[0], centres[i], 1e-6f) << i;
    EXPECT_NEAR(term.down.sum(), shares[i], 1e-6) << i;
  }

  FlipPicture const plain = grey(50, 50, 0.5f);
  FlipPicture dot = plain;
  dot.set(25, 25, 0.8f, 0.3f, 0.3f);
  float last = 2.0f;
  for (float ppd : {10.0f, 30.0f, 67.02f, 134.04f}) {
    float const c = Flip(ppd).terms(plain, dot).color[25 * 50 + 25];
    EXPECT_LT(c, last) << ppd;
    last = c;
  }
}

TEST(Flip, RefusesWhatItCannotMeasure) {
  for (float ppd : {0.0f, -1.0f, 1001.0f, NAN}) EXPECT_THROW(Flip{ppd}, std::invalid_argument) << ppd;
  EXPECT_THROW(Flip().errorMap(FlipPicture(4, 4), FlipPicture(4, 5)), std::invalid_argument);
  EXPECT_THROW(FlipPicture(0, 3), std::invalid_argument);
  EXPECT_NEAR(Flip().errorMap(FlipPicture(1, 1), flat(1, 1, 1, 1, 1))[0], 0.96738f, 2e-5f);
  EXPECT_THROW(FlipPicture(1 << 16, 1 << 16), std::invalid_argument);
}

// Bottom-first RGBA as glReadPixels leaves it: alpha dropped, 255 is 1.
TEST(FlipPicture, TakesBottomFirstRgbaAndGrey) {
  unsigned char const rgba[] = {255, 0, 0, 7, 0, 51, 0, 7,     // bottom row: red, dark green
                                0, 0, 255, 7, 255, 255, 255, 0};  // top row: blue, white
  FlipPicture const p = FlipPicture::fromRgba8(rgba, 2, 2);
  float const expected[] = {0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 0.2f, 0};
  for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(p.row(0)[i], expected[i]) << i;
  unsigned char const levels[] = {0, 102};
  FlipPicture const g = FlipPicture::fromBytes(levels, 2, 1, 1, RowOrder::TopFirst);
  EXPECT_FLOAT_EQ(g.row(0)[4], 0.4f);
  EXPECT_THROW(FlipPicture::fromBytes(levels, 2, 1, 2, RowOrder::TopFirst), std::invalid_argument);
}
