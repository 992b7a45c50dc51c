// FlipFilters: the kernels of the contrast-sensitivity filters and the feature
// detectors, from the viewer's pixels per degree.
#include "FlipFilters.h"

#include <cmath>
#include <stdexcept>

namespace {

double const pi = 3.14159265358979323846;

// A channel's contrast sensitivity as a function of the spatial frequency f
// (cycles per degree): a1 exp(-b1 f^2) + a2 exp(-b2 f^2). In the picture
// that is the filter a1 sqrt(pi / b1) exp(-pi^2 x^2 / b1) + (the same with a2,
// b2), x the distance in degrees.
struct Sensitivity {
  double a1, b1, a2, b2;
};
Sensitivity const sensitivities[3] = {
    {1.0, 0.0047, 0.0, 1e-5},   // achromatic (Yy): one Gaussian
    {1.0, 0.0053, 0.0, 1e-5},   // red-green (Cx): one Gaussian
    {34.1, 0.04, 13.5, 0.025},  // blue-yellow (Cz): the sum of two
};
// The widest of the Gaussians above (the largest b) sets the colour filters'
// reach: three of its standard deviations, sqrt(b / (2 pi^2)) degrees each.
double const widestB = 0.04;
double const reachInDeviations = 3.0;

// The feature detectors' Gaussian: its standard deviation is half of this
// width in degrees, and the kernels reach three deviations.
double const featureWidthDegrees = 0.082;

int channelTerms(Sensitivity const& s) { return (s.a1 != 0.0) + (s.a2 != 0.0); }

FlipKernel evenKernel(int radius, double (*weight)(double, double), double param) {
  FlipKernel k;
  k.radius = radius;
  for (int i = 0; i <= radius; ++i) k.weights.push_back(static_cast<float>(weight(i, param)));
  return k;
}

// Drops the outer taps whose weight is under 2^-32 of the kernel's sum: they
// cannot change a sum of floats, and the narrow colour Gaussians (achromatic,
// red-green) would otherwise spend a third of their work on them.
void trim(FlipKernel& k) {
  double const least = k.sum() * 0x1p-32;
  while (k.radius > 0 && k.weights[static_cast<size_t>(k.radius)] < least) {
    k.weights.pop_back();
    --k.radius;
  }
}

void scale(FlipKernel& k, double factor) {
  for (float& w : k.weights) w = static_cast<float>(w * factor);
}

// Scales the positive and the negative weights of the whole kernel separately
// so that each part sums to 1 in size. A part with no weight stays zero.
void normalizeParts(FlipKernel& k) {
  double positive = 0, negative = 0;
  for (int i = -k.radius; i <= k.radius; ++i) {
    double w = k.weights[static_cast<size_t>(std::abs(i))];
    if (k.odd && i < 0) w = -w;
    (w > 0 ? positive : negative) += w;
  }
  for (float& w : k.weights) {
    if (w > 0 && positive > 0) w = static_cast<float>(w / positive);
    if (w < 0 && negative < 0) w = static_cast<float>(w / -negative);
  }
}

}  // namespace

double FlipKernel::sum() const {
  if (odd || weights.empty()) return 0.0;
  double s = weights[0];
  for (size_t i = 1; i < weights.size(); ++i) s += 2.0 * weights[i];
  return s;
}

FlipFilters::FlipFilters(float pixelsPerDegree) : ppd(pixelsPerDegree) {
  if (!acceptsPixelsPerDegree(pixelsPerDegree))
    throw std::invalid_argument("pixels per degree outside (0, 1000]");
  double const p = ppd;
  colorReach = static_cast<int>(std::ceil(reachInDeviations * std::sqrt(widestB / (2.0 * pi * pi)) * p));

  // exp(-pi^2 x^2 / b) at i pixels, x = i / ppd degrees.
  struct Csf {
    static double weight(double i, double bTimesPpd2) { return std::exp(-pi * pi * i * i / bTimesPpd2); }
  };
  for (int c = 0; c < 3; ++c) {
    Sensitivity const& s = sensitivities[c];
    double const a[2] = {s.a1, s.a2}, b[2] = {s.b1, s.b2};
    // Each term's two-dimensional weight, a sqrt(pi / b) times its Gaussian's
    // sum over the pixels squared; the terms share out the filter's unit sum.
    double total = 0, termWeight[2] = {0, 0};
    FlipKernel kernels[2];
    for (int t = 0; t < 2; ++t) {
      if (a[t] == 0.0) continue;
      kernels[t] = evenKernel(colorReach, Csf::weight, b[t] * p * p);
      double const sum1d = kernels[t].sum();
      scale(kernels[t], 1.0 / sum1d);
      termWeight[t] = a[t] * std::sqrt(pi / b[t]) * sum1d * sum1d;
      total += termWeight[t];
    }
    for (int t = 0; t < 2; ++t) {
      if (a[t] == 0.0) continue;
      // Terms that share a channel keep one reach, so that they are filtered
      // down the column together.
      if (channelTerms(s) == 1) trim(kernels[t]);
      FlipSeparable term{kernels[t], kernels[t]};
      scale(term.down, termWeight[t] / total);
      channels[c].push_back(term);
    }
  }

  double const sigma = 0.5 * featureWidthDegrees * p;
  featureReach = static_cast<int>(std::ceil(reachInDeviations * sigma));
  struct Feature {
    static double g(double i, double sigma) { return std::exp(-i * i / (2.0 * sigma * sigma)); }
    static double dg(double i, double sigma) { return -i / (sigma * sigma) * g(i, sigma); }
    static double ddg(double i, double sigma) { return (i * i / (sigma * sigma) - 1.0) / (sigma * sigma) * g(i, sigma); }
  };
  gauss = evenKernel(featureReach, Feature::g, sigma);
  scale(gauss, 1.0 / gauss.sum());
  edge = evenKernel(featureReach, Feature::dg, sigma);
  edge.odd = true;
  normalizeParts(edge);
  point = evenKernel(featureReach, Feature::ddg, sigma);
  normalizeParts(point);
  point.balanced = true;
}
