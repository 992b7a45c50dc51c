// FidelityMeter: the capture pass, the reference trace and the comparison.
#include "FidelityMeter.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "MeasureScene.h"
#include "Stats.h"
#include "Techniques.h"

namespace {

// The unit vector along v in the hit's tangent frame (zero for no length).
void inFrame(DisplacedResult const& r, double const v[3], float out[4]) {
  float const* axes[3] = {r.tangent, r.bitangent, r.normal};
  double c[3], length = 0;
  for (int a = 0; a < 3; ++a) {
    c[a] = axes[a][0] * v[0] + axes[a][1] * v[1] + axes[a][2] * v[2];
    length += c[a] * c[a];
  }
  length = std::sqrt(length);
  for (int a = 0; a < 3; ++a) out[a] = length > 0 ? static_cast<float>(c[a] / length) : 0.0f;
  out[3] = 1.0f;
}

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
  onMesh.assign(static_cast<size_t>(w) * static_cast<size_t>(h), false);
  for (int const p : pixelOf) onMesh[static_cast<size_t>(p)] = true;
  if (std::isnan(maxAngle)) return prepareTruth(error);
  std::vector<float> const angles = eyeAngles();
  size_t kept = 0;
  for (size_t i = 0; i < inputs.size(); ++i) {
    float const a = angles[static_cast<size_t>(pixelOf[i])];
    if (a < 0.0f || a > maxAngle) continue;
    inputs[kept] = inputs[i];
    pixelOf[kept++] = pixelOf[i];
  }
  inputs.resize(kept);
  pixelOf.resize(kept);
  if (inputs.empty()) {
    char text[120];
    std::snprintf(text, sizeof text, "no pixel of the view lies within %g degrees of the surface normal", maxAngle);
    error = text;
    return false;
  }
  return prepareTruth(error);
}

bool FidelityMeter::prepareTruth(std::string& error) {
  displacedTruth.reset();
  if (snap.truth != FidelityTruth::Displaced) return true;
  // Every pixel of the view, so that a hit of the truth off the mesh's
  // outline would be counted; within an angle only the pixels kept, since
  // pixels off the mesh have no angle.
  std::vector<int> pixels = pixelOf;
  if (std::isnan(maxAngle)) {
    pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<int>(i);
  }
  displacedTruth.reset(new DisplacedTruth);
  if (displacedTruth->prepare(snap, *field, std::move(pixels), error)) return true;
  displacedTruth.reset();
  return false;
}

void FidelityMeter::startReference() {
  stop();
  finished = false;
  done = 0;
  reference.assign(inputs.size(), TraceResult{});
  worker = std::thread([this] {
    tracer->traceAll(inputs.data(), reference.data(), inputs.size(), 0, &done, &cancel);
    if (displacedTruth && !cancel) {
      auto const start = std::chrono::steady_clock::now();
      displacedTruth->trace(&done, &cancel);
      displacedTime = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    finished = true;
  });
}

double FidelityMeter::progress() const {
  size_t const total = inputs.size() + (displacedTruth ? displacedTruth->size() : 0);
  return total == 0 ? 1.0 : static_cast<double>(done.load()) / static_cast<double>(total);
}

void FidelityMeter::traceReference() {
  startReference();
  worker.join();
}

bool FidelityMeter::measure(unsigned set, int steps, Errors& out, std::string& error, int refineSteps) {
  if (!finished) {
    error = "the reference is not traced yet";
    return false;
  }
  std::vector<float> hits, written;
  bool const depth = (set & Techniques::WriteDepth) != 0;
  if (!scene.drawHits(snap, MeasureScene::Draw{set, steps, "", refineSteps}, hits, depth ? &written : nullptr, error))
    return false;

  // The depth written is compared with the tangent-plane hit's depth along
  // the pixel's own ray; the displaced hit may lie on another triangle, on
  // no line the written depth could be taken back along, so against the
  // displaced truth the depth columns stay empty.
  return compareHits(set, steps, hits, out, error) && (!depth || displacedTruth || compareDepth(written, out, error));
}

bool FidelityMeter::measureTangentPlane(Errors& out, std::string& error) {
  if (!finished) {
    error = "the reference is not traced yet";
    return false;
  }
  // The reference's hits as a pass would give them, every captured pixel
  // drawn, shadowed where the light above finds relief in the way.
  std::vector<float> hits(4 * static_cast<size_t>(w) * static_cast<size_t>(h), 0.0f);
  for (size_t i = 0; i < inputs.size(); ++i) {
    float* const p = &hits[4 * static_cast<size_t>(pixelOf[i])];
    TraceResult const& r = reference[i];
    p[0] = r.u;
    p[1] = r.v;
    p[2] = !r.lightAbove || r.lit ? 1.0f : 0.0f;
    p[3] = 1.0f;
  }
  // Measured as a set that traces shadows, for its verdicts' column.
  if (!compareHits(Techniques::ShadowTrace, 0, hits, out, error)) return false;
  out.set = 0;
  return true;
}

bool FidelityMeter::compareHits(unsigned set, int steps, std::vector<float> const& hits, Errors& out,
                                std::string& error) {
  if (hits.size() < 4 * static_cast<size_t>(w) * static_cast<size_t>(h)) {
    error = "the pass for " + Techniques::name(set) + " gave hits of another size than the view";
    return false;
  }
  out = Errors();
  out.set = set;
  out.steps = steps;
  out.perPixel.assign(static_cast<size_t>(w) * static_cast<size_t>(h), -1.0f);
  out.hits.assign(2 * out.perPixel.size(), 0.0f);
  bool const shadows = (Techniques::withPartners(set) & Techniques::ShadowTrace) != 0;
  std::vector<double> errors;
  errors.reserve(inputs.size());
  if (displacedTruth)
    compareDisplaced(shadows, hits, out, errors);
  else
    comparePlane(shadows, hits, out, errors);
  out.pixels = errors.size();
  if (errors.empty()) {
    error = "the pass for " + Techniques::name(set) + (displacedTruth ? " met the displaced surface at no pixel" : " drew no pixel");
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
  if (displacedTruth) {
    // The displaced hit's texture coordinate less the pixel's own, whole
    // repeats taken off (the hit triangle's mapping may differ from the
    // pixel's by some across a seam); background where the truth misses;
    // and the directions to the eye and the light in the hit's frame.
    out.eye.assign(out.rgba.size(), 0.0f);
    out.light.assign(out.rgba.size(), 0.0f);
    for (size_t i = 0; i < inputs.size(); ++i) {
      int const at = displacedTruth->indexAt(pixelOf[i]);
      if (at < 0) continue;
      DisplacedResult const& r = displacedTruth->results()[static_cast<size_t>(at)];
      if (!r.hit) continue;
      double du = static_cast<double>(r.u) - inputs[i].u, dv = static_cast<double>(r.v) - inputs[i].v;
      float* const p = &out.rgba[4 * static_cast<size_t>(pixelOf[i])];
      p[0] = static_cast<float>(du - std::floor(du + 0.5));
      p[1] = static_cast<float>(dv - std::floor(dv + 0.5));
      p[2] = !r.lightAbove || r.lit ? 1.0f : 0.0f;
      p[3] = 1.0f;
      DisplacedRay const& ray = displacedTruth->eyeRays()[static_cast<size_t>(at)];
      double const w = snap.light.w;
      double const toEye[3] = {-ray.direction[0], -ray.direction[1], -ray.direction[2]};
      double toLight[3] = {snap.light.x, snap.light.y, snap.light.z};
      if (w != 0.0)
        for (int k = 0; k < 3; ++k) toLight[k] = toLight[k] / w - r.position[k];
      inFrame(r, toEye, &out.eye[4 * static_cast<size_t>(pixelOf[i])]);
      inFrame(r, toLight, &out.light[4 * static_cast<size_t>(pixelOf[i])]);
    }
    return out;
  }
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
