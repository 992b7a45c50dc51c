// DrawSampler: how many timed draws one figure takes, and its median with a
// confidence interval, so that every timed figure says how far it can be trusted.
#pragma once

#include <string>
#include <vector>

// Fed one draw time at a time, with the wall time since the row's first draw
// began (given by the caller, so no clock is read here), it says whether
// another draw is wanted.
//
// Adaptive (the default): draws until the median's 95% confidence interval
// lies within +-5% of the median, after at least 10 draws unless 10 s have
// passed (a draw on a software renderer can take seconds), and stops at 120
// draws or 30 s, whichever comes first. A row that stops at a cap without
// reaching +-5% is marked capped.
// Fixed: exactly N draws (`profile FRAMES` promises FRAMES), never capped.
//
// The median is the nearest-rank one (x(ceil(n / 2)) of the sorted times, as
// Stats::median gives it). Its confidence interval comes from order
// statistics: for n times sorted x(1) <= ... <= x(n), the true median lies in
// [x(k), x(n + 1 - k)] with probability at least 1 - 2 P(B <= k - 1), B being
// binomial(n, 1/2) (the count of times below the true median), whatever the
// times' distribution. k is the largest rank for which that is at least 95%;
// the tail is summed exactly from the binomial terms (in doubles, from 2^-n
// up). Under 6 draws no such interval exists (6 draws give 1 - 2 / 64 =
// 96.9%), and its bounds are NaN.
class DrawSampler {
public:
  struct Limits {
    int minDraws = 10;
    double minSeconds = 10;  // after this, fewer than minDraws will do
    int maxDraws = 120;
    double maxSeconds = 30;
    double tolerance = 0.05;  // the interval's half-width goal, as a share of the median
  };

  struct Result {
    int draws = 0;
    double median, ciLow, ciHigh;  // ms; NaN without draws (bounds: under 6 draws)
    bool withinTolerance = false;  // ciLow and ciHigh lie within +-tolerance of the median
    bool capped = false;           // stopped at a cap without reaching it (adaptive only)
    // The median per million pixels covered: views and machines compare. NaN
    // for no pixels.
    double msPerMpixel(double pixels) const;
  };

  // Adaptive, with the limits above or with others.
  DrawSampler();
  explicit DrawSampler(Limits limits);
  // Exactly `draws` draws.
  static DrawSampler fixed(int draws);

  // One measured draw of `ms` milliseconds; `elapsedSeconds` is the wall time
  // since the row's first measured draw began, this draw included. A time that
  // is not a finite number of at least 0 is not counted; its elapsed time is.
  void add(double ms, double elapsedSeconds);
  bool wantsMore() const;
  Result result() const;

  // The rank k (1-based) of the interval [x(k), x(n + 1 - k)] described above,
  // or 0 when n values give no interval at `confidence`.
  static int medianIntervalRank(int n, double confidence = 0.95);

  // The columns a timed row gains, and this sampler's cells for them:
  // draws, ci_low, ci_high, ms_per_mpixel, capped (yes or no).
  static std::vector<std::string> columns();
  std::vector<std::string> cells(double pixels) const;

private:
  Limits limits;
  int fixedDraws = 0;  // 0: adaptive
  std::vector<double> times;
  double elapsed = 0;
};
