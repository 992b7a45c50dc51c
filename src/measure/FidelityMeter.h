// FidelityMeter: how far each technique's picture is from the truth. It
// takes the view's per-pixel shader inputs (texture coordinate, tangent-space
// eye and light vectors) from a capture pass of the real vertex shader, traces
// the reference hit of every pixel on the CPU, and compares the hit each
// technique set really used (a pass of the real fragment shader built with
// OUTPUT_HIT) with it. The passes are the scene's (MeasureScene).
//
// With the displaced truth (the snapshot's truth) it traces, beside that
// tangent-plane reference, the displaced surface from the camera for every
// pixel of the view (DisplacedTruth), and the figures are against it: the
// texel columns over the pixels where both the set and the truth hit, and the
// shares of pixels where they disagree on coverage.
#pragma once

#include <atomic>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "DisplacedTruth.h"
#include "HeightField.h"
#include "MeasureScene.h"
#include "ReliefTracer.h"

class FidelityMeter {
public:
  // One set's errors against the reference, in texels of the height map.
  struct Errors {
    unsigned set = 0;
    int steps = 0;
    double mean = 0, p95 = 0, p99 = 0, max = 0;
    // Share of the pixels more than one texel off: where the set shows a
    // different surface, not the same one slightly moved.
    double over1 = 0;
    // Share of pixels (with the light above the surface) whose lit or
    // shadowed verdict differs from the reference's; negative without SHADOW_TRACE.
    double shadowDisagreement = -1;
    // For sets with WRITE_DEPTH: the mean and 95th percentile of the
    // difference between the depth written and the reference hit's depth, in
    // units of the relief's depth (negative without WRITE_DEPTH).
    double depthMean = -1, depthP95 = -1;
    // Against the displaced truth (negative against the tangent plane): the
    // shares of the covered pixels (where the set or the truth shows surface)
    // where the set draws surface and the truth shows background (extra), and
    // where the truth hits and the set discards or draws nothing (missing);
    // `outside` counts the truth's hits off the mesh's own outline, which no
    // set can draw (a fragment exists only where the mesh is rasterised):
    // none on a closed mesh, but the wall under an open border shows.
    double extra = -1, missing = -1;
    size_t covered = 0, outside = 0;
    // Per view pixel against the displaced truth: 1 extra, 2 missing, 3 both
    // hit, 0 neither (or not measured).
    std::vector<unsigned char> coverage;
    size_t pixels = 0;
    std::vector<float> perPixel;  // the error of each pixel, -1 off the mesh (rows bottom first)
    std::vector<float> hits;      // each pixel's hit (u, v) in texels, in perPixel's order
  };

  // Measures the scene as `snap` shows it.
  FidelityMeter(MeasureScene& measured, MeasureScene::Snapshot const& snap) : scene(measured), snap(snap) {}
  ~FidelityMeter() { stop(); }

  // Pixels whose eye ray lies more than `degrees` from the surface normal
  // (the angle eyeAngles() gives) are left out of the next capture, and so of
  // the reference and every figure; NaN leaves none out.
  void leaveOutBeyond(double degrees) { maxAngle = degrees; }

  // Reads the heights and captures the inputs of the current view. False with
  // a one-line reason when there is nothing to measure (no height map, a depth
  // of 0, no mesh in view, no pixel within the angle). `note` is set for a
  // flat height map.
  bool capture(std::string& error, std::string& note);
  // Traces the reference on worker threads; progress() tells how far it is.
  void startReference();
  bool referenceDone() const { return finished.load(); }
  double progress() const;
  // Traces the reference and waits for it.
  void traceReference();

  // Draws the set at `steps` (and `refineSteps` bisections, the snapshot's
  // when negative) with OUTPUT_HIT and compares it with the reference (which
  // must be done). False with the reason when the program fails.
  bool measure(unsigned set, int steps, Errors& out, std::string& error, int refineSteps = -1);
  // The tangent-plane reference itself measured as a set against the truth
  // (set 0, steps 0): against the displaced truth, the floor that no
  // technique on the tangent-plane model goes below; against itself, zeros.
  bool measureTangentPlane(Errors& out, std::string& error);
  // The comparison of a pass's hits (RGBA per view pixel, rows bottom first,
  // as MeasureScene::drawHits gives them) with the truth.
  bool compareHits(unsigned set, int steps, std::vector<float> const& hits, Errors& out, std::string& error);

  FidelityTruth truth() const { return snap.truth; }
  // The seconds the displaced truth's trace took (once traced).
  double displacedSeconds() const { return displacedTime; }
  // The displaced truth once traced (null against the tangent plane).
  DisplacedTruth const* displaced() const { return displacedTruth.get(); }

  // The captured inputs and the view pixel of each (rows bottom first).
  std::vector<TraceInput> const& capturedInputs() const { return inputs; }
  std::vector<int> const& capturedPixels() const { return pixelOf; }
  // The traced reference as a reference frame is shaded from: each captured
  // pixel's hit less its own texture coordinate and the light's verdict (a
  // light below the polygon counts as lit: the shading gives it no direct
  // light anyway). The reference must be traced.
  MeasureScene::ReferenceHits referenceHits() const;
  // The pixels the mesh covers, the top row first (as the image metric's
  // pictures are ordered).
  std::vector<bool> meshMask() const;

  // The height map's width in texels.
  int mapWidth() const { return field ? field->width() : 0; }
  // The angle in degrees between each pixel's eye ray and the surface normal,
  // acos(eye.z / |eye|) of the captured tangent-space eye vector; -1 where the
  // view shows no mesh. Rows bottom first, as Errors::perPixel.
  std::vector<float> eyeAngles() const;

  int width() const { return w; }
  int height() const { return h; }
  size_t pixels() const { return inputs.size(); }

private:
  // A technique's shadow factor below this counts as "in shadow": the shader's
  // factor is 1 wherever nothing stands above the light ray.
  static constexpr float litFactor = 0.999f;

  void stop();
  // With the displaced truth, its shell and the eye rays it traces.
  bool prepareTruth(std::string& error);
  // The window depths a pass wrote against the reference hits' depths.
  bool compareDepth(std::vector<float> const& written, Errors& out, std::string& error);
  void comparePlane(bool shadows, std::vector<float> const& hits, Errors& out, std::vector<double>& errors) const;
  void compareDisplaced(bool shadows, std::vector<float> const& hits, Errors& out, std::vector<double>& errors) const;

  MeasureScene& scene;
  MeasureScene::Snapshot const& snap;
  int w = 0, h = 0;
  double maxAngle = std::nan("");
  std::unique_ptr<HeightField> field;
  std::unique_ptr<ReliefTracer> tracer;
  std::vector<TraceInput> inputs;
  std::vector<int> pixelOf;  // the window pixel of each input
  std::vector<bool> onMesh;  // by view pixel: the mesh covers it (before any angle left pixels out)
  std::unique_ptr<DisplacedTruth> displacedTruth;
  std::vector<TraceResult> reference;
  std::atomic<size_t> done{0};
  std::atomic<bool> cancel{false};
  std::atomic<bool> finished{false};
  double displacedTime = 0;
  std::thread worker;
};
