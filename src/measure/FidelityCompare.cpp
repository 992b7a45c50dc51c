// FidelityMeter's comparisons of a pass's hits with the truth, per pixel:
// against the tangent-plane reference and against the displaced surface.
#include <cmath>

#include "FidelityMeter.h"

void FidelityMeter::comparePlane(bool shadows, std::vector<float> const& hits, Errors& out,
                                 std::vector<double>& errors) const {
  // Against the tangent-plane model a pixel the set discards is left out:
  // the model has no outline (every captured pixel hits), so a discard says
  // nothing that the model could count against.
  float const tw = static_cast<float>(field->width()), th = static_cast<float>(field->height());
  size_t lightCounted = 0, disagree = 0;
  for (size_t i = 0; i < inputs.size(); ++i) {
    size_t const k = 4 * static_cast<size_t>(pixelOf[i]);
    if (hits[k + 3] < 0.5f) continue;  // the pass left the pixel empty
    TraceResult const& r = reference[i];
    float const du = (hits[k] - r.u) * tw, dv = (hits[k + 1] - r.v) * th;
    float const e = std::sqrt(du * du + dv * dv);
    if (!std::isfinite(e)) continue;
    errors.push_back(e);
    size_t const pixel = static_cast<size_t>(pixelOf[i]);
    out.perPixel[pixel] = e;
    out.hits[2 * pixel] = hits[k] * tw;
    out.hits[2 * pixel + 1] = hits[k + 1] * th;
    if (shadows && r.lightAbove) {
      ++lightCounted;
      if ((hits[k + 2] < litFactor) == r.lit) ++disagree;
    }
  }
  if (shadows) out.shadowDisagreement = lightCounted ? static_cast<double>(disagree) / static_cast<double>(lightCounted) : 0.0;
}

void FidelityMeter::compareDisplaced(bool shadows, std::vector<float> const& hits, Errors& out,
                                     std::vector<double>& errors) const {
  // Against the displaced surface coverage counts: a pixel the set discards
  // (or leaves empty) where the truth hits is missing, one it draws where the
  // truth shows background is extra. Texel distances are taken modulo the
  // map's repeat: the truth's (u, v) is in its hit triangle's own mapping,
  // which across the sphere's seam differs from the pixel's by whole repeats.
  double const tw = field->width(), th = field->height();
  size_t lightCounted = 0, disagree = 0, extra = 0, missing = 0;
  out.coverage.assign(out.perPixel.size(), 0);
  for (int const pixel : displacedTruth->pixels()) {
    size_t const p = static_cast<size_t>(pixel);
    DisplacedResult const& r = displacedTruth->results()[static_cast<size_t>(displacedTruth->indexAt(pixel))];
    bool const drawn = hits[4 * p + 3] >= 0.5f;
    if (!drawn && !r.hit) continue;
    ++out.covered;
    if (drawn != r.hit) {
      out.coverage[p] = drawn ? 1 : 2;
      ++(drawn ? extra : missing);
      out.outside += r.hit && !onMesh[p];
      continue;
    }
    out.coverage[p] = 3;
    double du = static_cast<double>(hits[4 * p]) - r.u, dv = static_cast<double>(hits[4 * p + 1]) - r.v;
    du -= std::floor(du + 0.5);
    dv -= std::floor(dv + 0.5);
    double const e = std::sqrt(du * du * tw * tw + dv * dv * th * th);
    if (!std::isfinite(e)) continue;
    errors.push_back(e);
    out.perPixel[p] = static_cast<float>(e);
    out.hits[2 * p] = static_cast<float>(hits[4 * p] * tw);
    out.hits[2 * p + 1] = static_cast<float>(hits[4 * p + 1] * th);
    if (shadows && r.lightAbove) {
      ++lightCounted;
      if ((hits[4 * p + 2] < litFactor) == r.lit) ++disagree;
    }
  }
  double const covered = out.covered ? static_cast<double>(out.covered) : 1.0;
  out.extra = static_cast<double>(extra) / covered;
  out.missing = static_cast<double>(missing) / covered;
  if (shadows) out.shadowDisagreement = lightCounted ? static_cast<double>(disagree) / static_cast<double>(lightCounted) : 0.0;
}
