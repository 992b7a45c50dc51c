// FidelityMeter: the capture pass, the reference trace and the comparison.
#include "FidelityMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "MeasureScene.h"
#include "Stats.h"
#include "Techniques.h"

namespace {

// A technique's shadow factor below this counts as "in shadow": the shader's
// factor is 1 wherever nothing stands above the light ray.
float const litFactor = 0.999f;

}  // namespace

void FidelityMeter::stop() {
  cancel = true;
  if (worker.joinable()) worker.join();
  cancel = false;
}

bool FidelityMeter::capture(std::string& error, std::string& note) {
  stop();
  finished = false;
  inputs.clear();
  pixelOf.clear();
  // A shader that never mentions OUTPUT_HIT draws colours where the meter
  // reads hits: its rows would be nonsense, so it is not measured at all.
  if (snap.frag.text.find("OUTPUT_HIT") == std::string::npos) {
    error = "the fragment shader " + snap.frag.path + " never mentions OUTPUT_HIT, so the hits it uses cannot be read";
    return false;
  }
  float const thickness = snap.settings.polyThickness;
  float const depth = thickness * 0.2f;
  field = scene.readHeights(error);
  if (!field) {
    if (error == "there is no height map") error += " to trace";
    return false;
  }
  if (!(depth > 0.0f) || !std::isfinite(depth)) {
    error = "Poly Depth is " + std::to_string(thickness) + ": there is no relief to trace";
    return false;
  }
  HeightField::Range const all = field->texelRange(0, 0, field->width() - 1, field->height() - 1);
  note.clear();
  if (all.max - all.min < 1e-6f) {
    // A flat map at height h is met where the eye ray has sunk 1 - h of the
    // depth: at the entry only when the map is white.
    char text[200];
    if (all.max >= 1.0f - 1e-6f)
      std::snprintf(text, sizeof text, "the height map is flat at the top: every technique should meet the surface "
                                        "where it enters");
    else
      std::snprintf(text, sizeof text, "the height map is flat at height %.3f: the surface lies %.3f of the depth "
                    "down, so a set is exact only if its search finds that plane", static_cast<double>(all.max),
                    1.0 - static_cast<double>(all.max));
    note = text;
  }
  tracer.reset(new ReliefTracer(*field, depth));

  MeasureScene::Capture captured;
  if (!scene.capture(snap, captured, error)) return false;
  w = captured.width;
  h = captured.height;
  inputs = std::move(captured.inputs);
  pixelOf = std::move(captured.pixelOf);
  if (inputs.empty()) {
    error = "the view shows no part of the mesh";
    return false;
  }
  return true;
}

void FidelityMeter::startReference() {
  stop();
  finished = false;
  done = 0;
  reference.assign(inputs.size(), TraceResult{});
  worker = std::thread([this] {
    tracer->traceAll(inputs.data(), reference.data(), inputs.size(), 0, &done, &cancel);
    finished = true;
  });
}

double FidelityMeter::progress() const {
  return inputs.empty() ? 1.0 : static_cast<double>(done.load()) / static_cast<double>(inputs.size());
}

void FidelityMeter::traceReference() {
  startReference();
  worker.join();
}

bool FidelityMeter::measure(unsigned set, int steps, Errors& out, std::string& error) {
  if (!finished) {
    error = "the reference is not traced yet";
    return false;
  }
  std::vector<float> hits, written;
  bool const depth = (set & Techniques::WriteDepth) != 0;
  if (!scene.drawHits(snap, MeasureScene::Draw{set, steps, ""}, hits, depth ? &written : nullptr, error)) return false;

  out = Errors();
  out.set = set;
  out.steps = steps;
  out.perPixel.assign(static_cast<size_t>(w) * static_cast<size_t>(h), -1.0f);
  out.hits.assign(2 * out.perPixel.size(), 0.0f);
  bool const shadows = (Techniques::withPartners(set) & Techniques::ShadowTrace) != 0;
  float const tw = static_cast<float>(field->width()), th = static_cast<float>(field->height());
  std::vector<double> errors;
  errors.reserve(inputs.size());
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
  out.pixels = errors.size();
  if (errors.empty()) {
    error = "the pass for " + Techniques::name(set) + " drew no pixel";
    return false;
  }
  double sum = 0;
  for (double e : errors) sum += e;
  out.mean = sum / static_cast<double>(errors.size());
  out.p95 = Stats::percentile(errors, 95);
  out.p99 = Stats::percentile(errors, 99);
  size_t over = 0;
  for (double e : errors) over += e > 1.0;
  out.over1 = static_cast<double>(over) / static_cast<double>(errors.size());
  out.max = *std::max_element(errors.begin(), errors.end());
  if (shadows) out.shadowDisagreement = lightCounted ? static_cast<double>(disagree) / static_cast<double>(lightCounted) : 0.0;
  if (depth) return compareDepth(written, out, error);
  return true;
}

bool FidelityMeter::compareDepth(std::vector<float> const& written, Errors& out, std::string& error) {
  // Each pixel's polygon point and ray scale, from the vertex shader built with
  // WRITE_DEPTH, and the projection to take window depths back to eye space.
  MeasureScene::DepthCapture c;
  if (!scene.captureDepth(snap, c, error)) return false;
  std::vector<float> const& position = c.position;
  std::vector<float> const& scale = c.scale;
  double const* p = c.projection;

  double const depth = snap.settings.polyThickness * 0.2;
  std::vector<double> diffs;
  diffs.reserve(inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i) {
    size_t const pixel = static_cast<size_t>(pixelOf[i]);
    size_t const k = 4 * pixel;
    if (position.size() <= k + 3 || written.size() <= pixel || position[k + 3] < 0.5f || written[pixel] >= 1.0f || out.perPixel[pixel] < 0) continue;
    // Window depth -> normalised device z -> eye-space z; the written point lies
    // on the pixel's ray, so its distance beyond the polygon scales with z.
    double const ndc = 2.0 * written[pixel] - 1.0;
    double const zEye = (p[14] - ndc * p[15]) / (ndc * p[11] - p[10]);
    double const px = position[k], py = position[k + 1], pz = position[k + 2];
    if (!(std::fabs(pz) > 0)) continue;
    double const beyond = std::sqrt(px * px + py * py + pz * pz) * (zEye / pz - 1.0);
    double const t = beyond / (depth * scale[k]);
    double const d = std::fabs(t - reference[i].t);
    if (std::isfinite(d)) diffs.push_back(d);
  }
  if (diffs.empty()) {
    error = "the depth pass drew no pixel";
    return false;
  }
  double sum = 0;
  for (double d : diffs) sum += d;
  out.depthMean = sum / static_cast<double>(diffs.size());
  out.depthP95 = Stats::percentile(diffs, 95);
  return true;
}

std::vector<float> FidelityMeter::eyeAngles() const {
  std::vector<float> out(static_cast<size_t>(w) * static_cast<size_t>(h), -1.0f);
  double const degrees = 180.0 / std::acos(-1.0);
  for (size_t i = 0; i < inputs.size(); ++i) {
    float const* e = inputs[i].eye;
    double const length = std::sqrt(double(e[0]) * e[0] + double(e[1]) * e[1] + double(e[2]) * e[2]);
    if (!(length > 0.0)) continue;
    double const c = std::min(1.0, std::max(-1.0, e[2] / length));
    out[static_cast<size_t>(pixelOf[i])] = static_cast<float>(std::acos(c) * degrees);
  }
  return out;
}

MeasureScene::ReferenceHits FidelityMeter::referenceHits() const {
  MeasureScene::ReferenceHits out;
  out.width = w;
  out.height = h;
  out.rgba.assign(4 * static_cast<size_t>(w) * static_cast<size_t>(h), 0.0f);
  if (!finished) return out;
  for (size_t i = 0; i < inputs.size(); ++i) {
    TraceResult const& r = reference[i];
    float* const p = &out.rgba[4 * static_cast<size_t>(pixelOf[i])];
    p[0] = r.u - inputs[i].u;
    p[1] = r.v - inputs[i].v;
    p[2] = !r.lightAbove || r.lit ? 1.0f : 0.0f;
    p[3] = 1.0f;
  }
  return out;
}

std::vector<bool> FidelityMeter::meshMask() const {
  std::vector<bool> mask(static_cast<size_t>(w) * static_cast<size_t>(h), false);
  for (int const p : pixelOf) {
    int const x = p % w, y = p / w;
    mask[static_cast<size_t>(h - 1 - y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = true;
  }
  return mask;
}
