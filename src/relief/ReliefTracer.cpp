// ReliefTracer: eye and light marches over the height field, with exact empty-space skipping, and the threaded batch.
#include "ReliefTracer.h"
#include "WorkerThreads.h"

#include <algorithm>
#include <cmath>
#include <vector>

// A ray over the field: at step k of n its parameter is span * k / n and it
// lies at (u0, v0) + (du, dv) * parameter. Every quantity is computed the same
// way wherever it is needed, and each is monotonic in k, which is what lets a
// bound over a run of steps stand for every step inside it.
struct ReliefTracer::Ray {
  float u0, v0, du, dv, span;
  int n;

  float param(int k) const { return span * (static_cast<float>(k) / static_cast<float>(n)); }
  float u(float p) const { return u0 + du * p; }
  float v(float p) const { return v0 + dv * p; }

  // The highest sample the field can give over steps a..b (a <= b).
  float highest(HeightField const& field, int a, int b) const {
    float const pa = param(a), pb = param(b);
    float const ua = u(pa), ub = u(pb), va = v(pa), vb = v(pb);
    return field.rangeOver(std::min(ua, ub), std::min(va, vb), std::max(ua, ub), std::max(va, vb)).max;
  }
};

namespace {

// The run of steps tried first when skipping; it doubles after each success and
// halves after each failure.
constexpr int firstStride = 16;
// Bisection stops once the bracket spans this many texels.
constexpr float refineTexels = 1e-3f;

void normalized(float const in[3], float out[3]) {
  float const len = std::sqrt(in[0] * in[0] + in[1] * in[1] + in[2] * in[2]);
  if (!(len > 0.0f) || !std::isfinite(len)) {  // no direction: straight up
    out[0] = out[1] = 0.0f;
    out[2] = 1.0f;
    return;
  }
  for (int i = 0; i < 3; ++i) out[i] = in[i] / len;
}

}  // namespace

ReliefTracer::ReliefTracer(HeightField const& field, float depth, bool skipEmptySpace)
    : field_(field), depth_(depth), skip_(skipEmptySpace) {}

int ReliefTracer::stepsFor(float du, float dv) const {
  float const texels = std::max(std::fabs(du) * static_cast<float>(field_.width()),
                                std::fabs(dv) * static_cast<float>(field_.height()));
  // The cap only bites for reliefs hundreds of repeats deep; it keeps the count an int.
  constexpr float maxSteps = 1 << 24;
  float const steps = std::ceil(texels * 4.0f);
  return steps >= 1.0f ? static_cast<int>(std::min(steps, maxSteps)) : 1;  // NaN: one step
}

int ReliefTracer::firstEyeStep(Ray const& ray) const {
  auto under = [&](int k) {
    float const t = ray.param(k);
    return field_.sample(ray.u(t), ray.v(t)) >= 1.0f - t;
  };
  if (under(0)) return 0;
  int k = 0, stride = skip_ ? firstStride : 1;
  while (k < ray.n) {
    int const m = k + std::min(stride, ray.n - k);
    if (m - k > 1) {
      // Steps k+1..m are all above the surface when the lowest of them, m, is
      // above everything the field holds under them.
      if (ray.highest(field_, k + 1, m) < 1.0f - ray.param(m)) {
        k = m;
        if (stride <= ray.n / 2) stride *= 2;
      } else {
        stride /= 2;
      }
      continue;
    }
    if (under(m)) return m;
    k = m;
    if (skip_) stride = 2;
  }
  return ray.n;  // not reached: at t = 1 the ray is at height 0, under any surface
}

bool ReliefTracer::lightBlocked(Ray const& ray, float h0) const {
  auto blocked = [&](int k) {
    float const s = ray.param(k);
    return field_.sample(ray.u(s), ray.v(s)) - (h0 + s) > shadowBias;
  };
  if (blocked(0)) return true;
  int k = 0, stride = skip_ ? firstStride : 1;
  while (k < ray.n) {
    int const m = k + std::min(stride, ray.n - k);
    if (m - k > 1) {
      // The ray rises, so step k+1 is the lowest of k+1..m.
      if (ray.highest(field_, k + 1, m) - (h0 + ray.param(k + 1)) <= shadowBias) {
        k = m;
        if (stride <= ray.n / 2) stride *= 2;
      } else {
        stride /= 2;
      }
      continue;
    }
    if (blocked(m)) return true;
    k = m;
    if (skip_) stride = 2;
  }
  return false;
}

TraceResult ReliefTracer::trace(TraceInput const& in) const {
  float eye[3], light[3];
  normalized(in.eye, eye);
  normalized(in.light, light);

  float const ez = std::max(eye[2], 0.05f);
  Ray eyeRay{in.u, in.v, -eye[0] / ez * depth_, -eye[1] / ez * depth_, 1.0f, 0};
  eyeRay.n = stepsFor(eyeRay.du, eyeRay.dv);

  float t = 0.0f;
  int const k = firstEyeStep(eyeRay);
  if (k > 0) {
    // The surface crosses the ray between steps k - 1 (above) and k (at or under).
    auto gap = [&](float p) { return field_.sample(eyeRay.u(p), eyeRay.v(p)) - (1.0f - p); };
    float lo = eyeRay.param(k - 1), hi = eyeRay.param(k);
    float gLo = gap(lo), gHi = gap(hi);
    float const texels = std::max(std::fabs(eyeRay.du) * static_cast<float>(field_.width()),
                                  std::fabs(eyeRay.dv) * static_cast<float>(field_.height()));
    while ((hi - lo) * texels > refineTexels) {
      float const mid = 0.5f * (lo + hi);
      if (mid <= lo || mid >= hi) break;  // out of float resolution
      float const g = gap(mid);
      if (g >= 0.0f) {
        hi = mid;
        gHi = g;
      } else {
        lo = mid;
        gLo = g;
      }
    }
    // gLo < 0 <= gHi, so the fraction lies in (0, 1].
    t = lo + (hi - lo) * (-gLo / (gHi - gLo));
  }

  TraceResult out{eyeRay.u(t), eyeRay.v(t), t, light[2] > 0.0f, false};
  if (!out.lightAbove) return out;

  float const h0 = 1.0f - t, rise = 1.0f - h0;
  float const lz = std::max(light[2], 0.05f);
  Ray lightRay{out.u, out.v, light[0] / lz * depth_, light[1] / lz * depth_, rise, 0};
  lightRay.n = stepsFor(lightRay.du * rise, lightRay.dv * rise);
  out.lit = !lightBlocked(lightRay, h0);
  return out;
}

void ReliefTracer::traceAll(TraceInput const* in, TraceResult* out, size_t n, int threads,
                            std::atomic<size_t>* done, std::atomic<bool> const* cancel) const {
  constexpr size_t chunk = 256;
  if (n == 0) return;

  std::atomic<size_t> next{0};
  auto work = [&] {
    for (;;) {
      if (cancel && cancel->load(std::memory_order_relaxed)) return;
      size_t const begin = next.fetch_add(chunk, std::memory_order_relaxed);
      if (begin >= n) return;
      size_t const end = std::min(n, begin + chunk);
      for (size_t i = begin; i < end; ++i) out[i] = trace(in[i]);
      if (done) done->fetch_add(end - begin, std::memory_order_release);
    }
  };
  runOnWorkers(workerCount(threads, (n + chunk - 1) / chunk), work);
}
