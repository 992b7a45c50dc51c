// StandInScene: a MeasureScene without a window or GL, for the jobs' own logic:
// a flat patch seen at an angle, hits off the exact reference by known texels,
// flat grey frames, scripted draw times, and a record of what the jobs asked.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "HardMaps.h"
#include "MeasureScene.h"
#include "Picture.h"
#include "ReliefTracer.h"

class StandInScene : public MeasureScene {
public:
  static constexpr int mapSize = 64;

  StandInScene() : field(HardMaps::make(HardMaps::Kind::Walls, mapSize)) {
    snap.settings.steps = 8;
    snap.width = 12;
    snap.height = 6;
    snap.description = "12x6 view, GL renderer stand-in";
    snap.frag.text = "a shader that writes OUTPUT_HIT and reads REFERENCE_HIT";
  }

  // What the jobs read: the snapshot, and the texels each set's hits are off.
  Snapshot snap;
  std::function<double(unsigned set)> offTexels = [](unsigned set) { return 0.25 * __builtin_popcount(set); };
  // Where set, the texels a set's hit is off at each pixel instead.
  std::function<double(unsigned set, int pixel)> offAt;
  // Where set, each pixel's tangent-space eye vector is (eyeX[pixel], eyeY, 1).
  std::vector<float> eyeX;
  float eyeY = 0.2f;
  // Where set, whether a set's pass draws the pixel (false: discarded).
  std::function<bool(unsigned set, int pixel)> drawsAt;
  // Where set, whether the mesh covers the pixel (false: the capture leaves it
  // out, as a pixel off the mesh's outline).
  std::function<bool(int pixel)> onMesh;
  // The GPU time of the n-th colour draw of a row (0 first).
  std::function<double(Draw const&, int n)> drawMs = [](Draw const& d, int) { return 1.0 + d.steps; };
  std::set<unsigned> failingSets;  // builds that fail
  // Sets with any of these bits read maps that are ready only after
  // `mapFrames` asks; draws of them before that are counted.
  unsigned slowMaps = 0;
  int mapFrames = 0;
  int mapAsks = 0, drawsBeforeMaps = 0;
  // The grey of a set's colour frame and of the reference frame (with or
  // without shadows) in the snapshot drawn.
  std::function<int(Draw const&, Snapshot const&)> colourGrey = [](Draw const& d, Snapshot const&) {
    return static_cast<int>(d.set & 0xFF);
  };
  std::function<int(Snapshot const&, bool shadows)> referenceGrey = [](Snapshot const&, bool) { return 0; };

  // What the jobs did.
  std::vector<std::pair<Draw, int> > colourDraws;  // each draw and its index in its row
  std::vector<unsigned> hitDraws;
  std::vector<unsigned> shown;
  std::vector<int> heightsUsed;  // the sides of the maps drawn in place of the heights
  std::vector<View> captured;     // the camera of each capture
  std::vector<bool> references;   // each reference frame drawn: with shadows or not
  int restores = 0;
  bool measuring = false;
  std::vector<std::string> pictures;

  Snapshot snapshot() const override { return snap; }
  bool mapsReady(unsigned set, double& progress) override {
    if (!(set & slowMaps)) return true;
    progress = std::min(1.0, static_cast<double>(++mapAsks) / mapFrames);
    return mapAsks > mapFrames;
  }

  bool capture(Snapshot const& s, Capture& out, std::string&) override {
    captured.push_back(s.view);
    out = patch(s);
    return true;
  }
  bool captureDepth(Snapshot const&, DepthCapture&, std::string& error) override {
    error = "the stand-in writes no depth";
    return false;
  }
  bool drawHits(Snapshot const& s, Draw const& draw, std::vector<float>& hits, std::vector<float>*,
                std::string& error) override {
    if (failingSets.count(draw.set)) return fail(draw, error);
    noteEarly(draw);
    hitDraws.push_back(draw.set);
    Capture const c = patch(s);
    ReliefTracer const tracer(*currentField(), s.settings.polyThickness * 0.2f);
    hits.assign(4 * static_cast<size_t>(s.width * s.height), 0.0f);
    for (size_t i = 0; i < c.inputs.size(); ++i) {
      TraceResult const r = tracer.trace(c.inputs[i]);
      int const pixel = c.pixelOf[i];
      double const off = offAt ? offAt(draw.set, pixel) : offTexels(draw.set);
      float* hit = &hits[4 * static_cast<size_t>(pixel)];
      hit[0] = r.u + static_cast<float>(off / currentField()->width());
      hit[1] = r.v;
      hit[2] = 1.0f;
      hit[3] = !drawsAt || drawsAt(draw.set, pixel) ? 1.0f : 0.0f;
    }
    return true;
  }
  bool drawColour(Snapshot const& s, Draw const& draw, std::vector<unsigned char>* pixels, double* gpuMs,
                  std::string& error) override {
    if (failingSets.count(draw.set)) return fail(draw, error);
    noteEarly(draw);
    int n = 0;
    for (auto it = colourDraws.rbegin(); it != colourDraws.rend() && sameDraw(it->first, draw); ++it) ++n;
    colourDraws.emplace_back(draw, n);
    if (gpuMs) {
      *gpuMs = drawMs(draw, n);
      clock += *gpuMs / 1000.0;
    }
    if (pixels) *pixels = grey(s, colourGrey(draw, s));
    return true;
  }
  bool drawReference(Snapshot const& s, ReferenceHits const& hits, bool shadows, std::vector<unsigned char>& pixels,
                     std::string& error) override {
    if (hits.width != s.width || hits.height != s.height) {
      error = "hits of another size";
      return false;
    }
    references.push_back(shadows);
    pixels = grey(s, referenceGrey(s, shadows));
    return true;
  }
  bool writePicture(Picture const& picture, std::string const& path, std::string&) override {
    pictures.push_back(path + " " + std::to_string(picture.width()) + "x" + std::to_string(picture.height()));
    return true;
  }
  std::unique_ptr<HeightField> readHeights(std::string&) const override {
    return std::unique_ptr<HeightField>(new HeightField(*currentField()));
  }
  bool useHeights(HeightField const& f, std::string&) override {
    heightsUsed.push_back(f.width());
    replaced.reset(new HeightField(f));
    return true;
  }
  void restoreMaps() override {
    if (replaced) ++restores;
    replaced.reset();
  }
  void showSet(unsigned set) override { shown.push_back(set); }
  long framesDrawn() const override { return frames; }
  std::deque<std::pair<long, double> > const& cpuTimes() const override { return cpu; }
  void setMeasuring(bool on) override { measuring = on; }
  // A clock that runs only while timed draws do, by their scripted times.
  double seconds() const override { return clock; }
  double clock = 0;

  // Steps the job to its end as the runner would, a frame at a time, each a
  // little apart so that the reference's threads get on; false if it was
  // still running after ten seconds.
  bool run(BenchJob& job) {
    auto const start = std::chrono::steady_clock::now();
    job.begin();
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
      bool const more = job.step();
      ++frames;
      cpu.emplace_back(frames - 1, 2.0);
      job.frameDrawn();
      if (!more) {
        EXPECT_FALSE(measuring) << "an ended job hands the window back to the panel's set";
        return true;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return false;
  }

private:
  void noteEarly(Draw const& d) { drawsBeforeMaps += (d.set & slowMaps) && mapAsks <= mapFrames; }
  // The view's inputs: every pixel on the flat patch, seen at one angle
  // (or at the angles eyeX gives).
  Capture patch(Snapshot const& s) const {
    Capture out;
    out.width = s.width;
    out.height = s.height;
    for (int i = 0; i < s.width * s.height; ++i) {
      if (onMesh && !onMesh(i)) continue;
      float const u = (i % s.width + 0.5f) / static_cast<float>(s.width), v = (i / s.width + 0.5f) / s.height;
      float const x = eyeX.empty() ? 0.5f : eyeX[static_cast<size_t>(i)];
      out.inputs.push_back(TraceInput{u, v, {x, eyeY, 1.0f}, {-0.3f, 0.1f, 1.0f}});
      out.pixelOf.push_back(i);
    }
    return out;
  }
  static std::vector<unsigned char> grey(Snapshot const& s, int value) {
    std::vector<unsigned char> out(4 * static_cast<size_t>(s.width * s.height), static_cast<unsigned char>(value));
    for (size_t i = 3; i < out.size(); i += 4) out[i] = 255;
    return out;
  }
  static bool sameDraw(Draw const& a, Draw const& b) { return a.set == b.set && a.steps == b.steps; }
  static bool fail(Draw const& d, std::string& error) {
    error = "the build for set " + std::to_string(d.set) + " failed:\nstand-in log\n";
    return false;
  }
  HeightField const* currentField() const { return replaced ? replaced.get() : &field; }

  HeightField field;
  std::unique_ptr<HeightField> replaced;
  long frames = 0;
  std::deque<std::pair<long, double> > cpu;
};
