// The draw policy: the median's interval from order statistics against the
// binomial tail worked out by hand, and each stopping rule with an injected clock.
#include <gtest/gtest.h>

#include "DrawSampler.h"

namespace {

// Draws while the sampler wants them (at most 1000), draw i taking ms(i) and
// `seconds` of wall time; returns how many it made.
template <class Ms>
int feed(DrawSampler& s, Ms ms, double seconds) {
  int i = 0;
  for (; s.wantsMore() && i < 1000; ++i) s.add(ms(i), seconds * (i + 1));
  return i;
}

}  // namespace

TEST(DrawSampler, TheMedianIntervalIsTheOrderStatisticsOfTheBinomialTail) {
  // n = 10: P(B <= 1) = (1 + 10) / 1024 = 0.0107, P(B <= 2) = 56 / 1024 =
  // 0.0547; 1 - 2 * 0.0107 = 97.9% >= 95% > 1 - 2 * 0.0547 = 89.1%, so k = 2
  // and the interval is [x(2), x(9)].
  // n = 20: P(B <= 5) = 21700 / 2^20 = 0.0207 (95.9%), P(B <= 6) = 60460 /
  // 2^20 = 0.0577 (88.5%): k = 6. n = 6: 1 - 2 / 64 = 96.9%: k = 1; n = 5:
  // 1 - 2 / 32 = 93.75%: none. n = 2000 (summed from logarithms): 956, as
  // exact integer sums give it.
  int const ranks[][2] = {{10, 2}, {20, 6}, {6, 1}, {5, 0}, {2000, 956}};
  for (auto const& nk : ranks) EXPECT_EQ(DrawSampler::medianIntervalRank(nk[0]), nk[1]) << nk[0];

  DrawSampler s = DrawSampler::fixed(10);
  double const times[] = {100, 95, 110, 100, 105, 90, 100, 100, 100, 100};
  EXPECT_EQ(feed(s, [&](int i) { return times[i % 10]; }, 100.0), 10);  // far past every time limit
  DrawSampler::Result const r = s.result();
  // Sorted 90, 95, 100 (six), 105, 110: the nearest-rank median x(5) = 100,
  // the interval [x(2), x(9)] = [95, 105], at +-5% exactly, which is within.
  EXPECT_TRUE(r.median == 100 && r.ciLow == 95 && r.ciHigh == 105 && r.withinTolerance && !r.capped);
  EXPECT_EQ(s.cells(250000), (std::vector<std::string>{"10", "95.000", "105.000", "400.000", "no"}));
}

TEST(DrawSampler, StopsWhenTheIntervalIsTightOrAtACapWhichItMarksAndTimeBendsTheCounts) {
  // A constant time: the interval is [4, 4] from 6 draws on, and the tenth ends it.
  DrawSampler steady;
  int draws = feed(steady, [](int) { return 4.0; }, 0.05);
  DrawSampler::Result r = steady.result();
  EXPECT_TRUE(draws == 10 && r.withinTolerance && !r.capped && r.ciLow == 4 && r.ciHigh == 4) << draws;

  // Two alternating times never agree: 120 draws, marked.
  DrawSampler torn;
  draws = feed(torn, [](int i) { return i % 2 ? 20.0 : 10.0; }, 0.05);
  r = torn.result();
  EXPECT_TRUE(draws == 120 && r.capped && !r.withinTolerance && r.ciLow == 10 && r.ciHigh == 20) << draws;
  EXPECT_EQ(torn.cells(1e6).back(), "yes");

  // Draws of 3 s: 10 s pass at the fourth, but an interval needs 6 draws.
  DrawSampler slow;
  draws = feed(slow, [](int) { return 3000.0; }, 3.0);
  EXPECT_TRUE(draws == 6 && slow.result().withinTolerance && !slow.result().capped) << draws;

  // Alternating draws of a second each reach 30 s at the thirtieth.
  DrawSampler noisy;
  draws = feed(noisy, [](int i) { return i % 2 ? 1000.0 : 900.0; }, 1.0);
  EXPECT_TRUE(draws == 30 && noisy.result().capped) << draws;

  // One draw of 35 s: the row ends with no interval at all, marked.
  DrawSampler one;
  EXPECT_EQ(feed(one, [](int) { return 35000.0; }, 35.0), 1);
  EXPECT_EQ(one.cells(0), (std::vector<std::string>{"1", "-", "-", "-", "yes"}));
}
