// DrawSampler: the stopping rules and the order-statistic interval of the median.
#include "DrawSampler.h"

#include <algorithm>
#include <cmath>

#include "ResultTable.h"

namespace {

double const notANumber = std::nan("");

// P(B = i) for B binomial(n, 1/2), i from 0 up, each from the one before.
class BinomialHalf {
public:
  explicit BinomialHalf(int n) : n(n), term(n <= 1000 ? std::ldexp(1.0, -n) : 0.0) {}
  double next() {
    double const out = n <= 1000 ? term : std::exp(std::lgamma(n + 1.0) - std::lgamma(i + 1.0) -
                                                   std::lgamma(n - i + 1.0) - n * std::log(2.0));
    term = term * (n - i) / (i + 1.0);
    ++i;
    return out;
  }

private:
  int n, i = 0;
  double term;
};

}  // namespace

DrawSampler::DrawSampler() : limits(Limits()) {}

DrawSampler::DrawSampler(Limits l) : limits(l) {}

DrawSampler DrawSampler::fixed(int draws) {
  DrawSampler s;
  s.fixedDraws = std::max(1, draws);
  return s;
}

int DrawSampler::medianIntervalRank(int n, double confidence) {
  // The largest k with 1 - 2 P(B <= k - 1) >= confidence; the tail grows with k.
  double const tail = (1.0 - confidence) / 2.0;
  BinomialHalf pmf(n);
  double below = 0;  // P(B <= k - 1)
  int k = 0;
  while (k < n / 2) {
    below += pmf.next();
    if (below > tail) break;
    ++k;
  }
  return k;
}

void DrawSampler::add(double ms, double elapsedSeconds) {
  if (std::isfinite(ms) && ms >= 0) times.push_back(ms);
  elapsed = elapsedSeconds;
}

DrawSampler::Result DrawSampler::result() const {
  Result r;
  r.draws = static_cast<int>(times.size());
  r.median = r.ciLow = r.ciHigh = notANumber;
  if (times.empty()) return r;
  std::vector<double> sorted(times);
  std::sort(sorted.begin(), sorted.end());
  size_t const n = sorted.size();
  r.median = sorted[(n + 1) / 2 - 1];
  int const k = medianIntervalRank(static_cast<int>(n));
  if (k > 0) {
    r.ciLow = sorted[static_cast<size_t>(k) - 1];
    r.ciHigh = sorted[n - static_cast<size_t>(k)];
    r.withinTolerance = r.ciLow >= r.median * (1.0 - limits.tolerance) && r.ciHigh <= r.median * (1.0 + limits.tolerance);
  }
  bool const atCap = r.draws >= limits.maxDraws || elapsed >= limits.maxSeconds;
  r.capped = fixedDraws == 0 && atCap && !r.withinTolerance;
  return r;
}

bool DrawSampler::wantsMore() const {
  int const n = static_cast<int>(times.size());
  if (fixedDraws > 0) return n < fixedDraws;
  if (n >= limits.maxDraws || elapsed >= limits.maxSeconds) return false;
  if (n < limits.minDraws && elapsed < limits.minSeconds) return true;
  return !result().withinTolerance;
}

double DrawSampler::Result::msPerMpixel(double pixels) const {
  return pixels > 0 ? median / (pixels / 1e6) : notANumber;
}

std::vector<std::string> DrawSampler::columns() { return {"draws", "ci_low", "ci_high", "ms_per_mpixel", "capped"}; }

std::vector<std::string> DrawSampler::cells(double pixels) const {
  Result const r = result();
  return {std::to_string(r.draws), ResultTable::number(r.ciLow), ResultTable::number(r.ciHigh),
          ResultTable::number(r.msPerMpixel(pixels)), r.capped ? "yes" : "no"};
}
