// The path job: shimmer in motion. The snapshot's camera turns in small steps
// about its own vertical axis (its up at the start) through the mesh's centre
// while the light stays put; at every frame the reference is traced again and each set is
// measured in texels and as an image, and the frame-to-frame change of each
// set's pictures is weighed against the reference's (TemporalError).
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "FidelityMeter.h"
#include "FlipPicture.h"
#include "FlipSummary.h"
#include "ImageFidelity.h"
#include "MapsWait.h"
#include "MeasureJobs.h"
#include "MeasureScene.h"
#include "ResultTable.h"
#include "RunContext.h"
#include "Techniques.h"
#include "TemporalError.h"
#include "base/console.h"
#include "math/quat.h"

namespace {

// The snapshot with its camera turned by `degrees` about `axis` (a unit
// vector) through the origin, where the bench puts the mesh's centre.
MeasureScene::Snapshot turned(MeasureScene::Snapshot snap, _vec<3, float> const& axis, double degrees) {
  _quat<float> const q = angleAxisToQuat(axis.x, axis.y, axis.z, static_cast<float>(degrees));
  _vec<3, float> const p = snap.view.basis.pos;
  snap.view.basis.pos = q.xAxis() * p.x + q.yAxis() * p.y + q.zAxis() * p.z;
  snap.view.basis.orient = q * snap.view.basis.orient;
  return snap;
}

// Sums over the frames of a set's figures, for their means.
struct Sums {
  int frames = 0, imageFrames = 0;
  double mean = 0, p95 = 0, p99 = 0, over1 = 0, max = 0;
  double flipMean = 0, flipP99 = 0, flipOver = 0;

  void addTexels(FidelityMeter::Errors const& e) {
    ++frames;
    mean += e.mean;
    p95 += e.p95;
    p99 += e.p99;
    over1 += e.over1;
    max += e.max;
  }
  void addImage(FlipSummary const& f) {
    ++imageFrames;
    flipMean += f.mean;
    flipP99 += f.p99;
    flipOver += f.over;
  }
};

class PathJob : public BenchJob {
public:
  PathJob(MeasureScene& scene, std::string path, PathPlan const& plan)
      : m(scene), start(scene.snapshot()), path(std::move(path)), plan(plan) {
    up = start.view.basis.orient.zAxis();
    float const length = std::sqrt(up.x * up.x + up.y * up.y + up.z * up.z);
    up = length > 0 ? up * (1.0f / length) : _vec<3, float>(0.0f, 0.0f, 1.0f);
    std::vector<int> counts = plan.sets.steps;
    if (counts.empty()) counts.push_back(start.settings.steps);
    for (unsigned set : plan.sets.sets.empty() ? Techniques::sweepSets() : plan.sets.sets)
      for (int s : counts) runs.emplace_back(new Run(set, s, start.flipPpd));
  }

  std::string name() const override { return "fidelity path " + path; }
  void begin() override { m.setMeasuring(true); }

  bool step() override {
    switch (phase) {
      case Phase::Frame:
        return startFrame();
      case Phase::Tracing:
        if (meter->referenceDone()) {
          image->follow(*meter);
          phase = Phase::Sets;
          current = 0;
          drawn = false;
        }
        return true;
      case Phase::Sets:
        return measureNext();
    }
    return false;
  }

  void cancel() override {
    meter.reset();  // stops the reference's threads
    m.setMeasuring(false);
  }

private:
  enum class Phase { Frame, Tracing, Sets };
  struct Run {
    Run(unsigned set, int steps, float ppd) : set(set), steps(steps), temporal(ppd) {}
    unsigned set;
    int steps;
    Sums sums;
    TemporalError temporal;
    bool failed = false;
    FidelityMeter::Errors errors;  // this frame's
  };

  double turn(int frame) const { return frame * plan.degrees / plan.frames; }

  bool fail(std::string const& error) {
    con << "fidelity path: " << error << "\n";
    cancel();
    return false;
  }

  // The next frame's camera, its capture and its reference started.
  bool startFrame() {
    if (frame == plan.frames) return finish();
    meter.reset();
    image.reset();
    snap.reset(new MeasureScene::Snapshot(turned(start, up, turn(frame))));
    meter.reset(new FidelityMeter(m, *snap));
    image.reset(new ImageFidelity(m, *snap));
    std::string error, note;
    if (!meter->capture(error, note)) return fail("frame " + std::to_string(frame) + ": " + error);
    if (frame == 0) {
      imaged = image->supported(error);
      if (!imaged) con << "fidelity path: " << error << "\n";
    }
    con.print("fidelity path frame %d/%d, turned %.3f degrees: %d pixels\n", frame + 1, plan.frames, turn(frame),
              static_cast<int>(meter->pixels()));
    meter->startReference();
    phase = Phase::Tracing;
    return true;
  }

  // One frame's share: a set's hits, then its colour frame.
  bool measureNext() {
    if (current == runs.size()) {
      ++frame;
      phase = Phase::Frame;
      return true;
    }
    Run& run = *runs[current];
    std::string error;
    if (!drawn) {
      // A set is drawn only once its maps are made (a cone map takes frames).
      if (!run.failed && !maps.ready(m, run.set)) return true;
      if (run.failed || !meter->measure(run.set, run.steps, run.errors, error)) {
        if (!run.failed) con << "fidelity path: " << error << "\n";
        run.failed = true;
        return nextSet();
      }
      run.sums.addTexels(run.errors);
      if (!imaged) {
        addFrameRow(run, nullptr);
        return nextSet();
      }
      drawn = true;
      return true;
    }
    ImageFidelity::Result result;
    std::vector<unsigned char> pixels;
    std::vector<unsigned char> const* ref = nullptr;
    if (!m.drawColour(*snap, MeasureScene::Draw{run.set, run.steps, ""}, &pixels, nullptr, error) ||
        !(ref = image->referenceFor(run.set, error)) || !image->compare(run.set, pixels, result, error)) {
      con << "fidelity path: the image figures of " << Techniques::name(run.set) << ": " << error << "\n";
      addFrameRow(run, nullptr);
      return nextSet();
    }
    run.sums.addImage(result.summary);
    int const w = snap->width, h = snap->height;
    run.temporal.add(FlipPicture::fromRgba8(pixels.data(), w, h), FlipPicture::fromRgba8(ref->data(), w, h),
                     image->mask());
    addFrameRow(run, &result);
    return nextSet();
  }

  bool nextSet() {
    ++current;
    drawn = false;
    return true;
  }

  void addFrameRow(Run const& run, ImageFidelity::Result const* image) {
    FidelityMeter::Errors const& e = run.errors;
    std::vector<std::string> row{std::to_string(frame), ResultTable::number(turn(frame), 4), Techniques::name(run.set),
                                 std::to_string(run.steps), ResultTable::number(e.mean), ResultTable::number(e.p95),
                                 ResultTable::number(e.p99), ResultTable::number(e.over1, 4), ResultTable::number(e.max)};
    for (std::string const& c : ImageFidelity::cells(image ? *image : ImageFidelity::Result())) row.push_back(c);
    double const pair = image ? run.temporal.lastPair() : -1;
    row.push_back(pair < 0 ? "-" : ResultTable::number(pair, 4));
    frameRows.add(row);
  }

  bool finish() {
    meter.reset();
    m.setMeasuring(false);
    std::vector<std::string> columns{"set", "steps", "frames", "mean", "p95", "p99", "over1", "max"};
    for (std::string const& c : ImageFidelity::columns()) columns.push_back(c);
    columns.push_back("temporal");
    ResultTable table(columns);
    // The start's context, and the path's frames and turn.
    addRunContext(table, start);
    table.addContext("truth", FidelityTruths::name(start.truth));
    table.addContext("path", std::to_string(plan.frames) + " frames " + ResultTable::number(plan.degrees, 4) +
                                 " degrees");
    for (auto const& r : runs) {
      Sums const& s = r->sums;
      std::vector<std::string> row{Techniques::name(r->set), std::to_string(r->steps), std::to_string(s.frames)};
      if (s.frames == 0) {
        row.push_back("failed");
        row.resize(columns.size(), "-");
        table.add(row);
        continue;
      }
      double const n = s.frames, k = s.imageFrames;
      row.insert(row.end(), {ResultTable::number(s.mean / n), ResultTable::number(s.p95 / n),
                             ResultTable::number(s.p99 / n), ResultTable::number(s.over1 / n, 4),
                             ResultTable::number(s.max / n)});
      bool const images = s.imageFrames > 0;
      row.push_back(images ? ResultTable::number(s.flipMean / k, 4) : "-");
      row.push_back(images ? ResultTable::number(s.flipP99 / k, 4) : "-");
      row.push_back(images ? ResultTable::number(s.flipOver / k, 4) : "-");
      row.push_back(r->temporal.pairCount() > 0 ? ResultTable::number(r->temporal.value(), 4) : "-");
      table.add(row);
    }
    char title[160];
    std::snprintf(title, sizeof title, "fidelity path: %d frames turning %g degrees about the view's vertical axis, ",
                  plan.frames, plan.degrees);
    table.report(std::string(title) +
                     "means over the frames of the errors against " + FidelityTruths::describe(start.truth) +
                     " in texels and as an image, and the temporal error, " +
                     start.description,
                 path, "fidelity path");
    if (!plan.framesCsv.empty()) {
      addRunContext(frameRows, start);
      std::string error;
      if (frameRows.writeCsv(plan.framesCsv, error))
        con << "wrote " << plan.framesCsv << "\n";
      else
        con << "fidelity path: " << error << "\n";
    }
    return false;
  }

  MeasureScene& m;
  MeasureScene::Snapshot const start;
  _vec<3, float> up;  // the axis the camera turns about: its up at the start
  std::string path;
  PathPlan plan;
  std::vector<std::unique_ptr<Run> > runs;
  Phase phase = Phase::Frame;
  int frame = 0;
  size_t current = 0;
  bool drawn = false;    // the current set's hits are measured, its colour frame is next
  bool imaged = false;   // the shader draws reference frames
  std::unique_ptr<MeasureScene::Snapshot> snap;  // this frame's
  std::unique_ptr<FidelityMeter> meter;
  std::unique_ptr<ImageFidelity> image;
  MapsWait maps{"fidelity path"};
  ResultTable frameRows{{"frame", "degrees", "set", "steps", "mean", "p95", "p99", "over1", "max", "flip_mean",
                         "flip_p99", "flip_over", "temporal"}};
};

}  // namespace

std::unique_ptr<BenchJob> makePathJob(MeasureScene& scene, std::string const& path, PathPlan const& plan) {
  return std::unique_ptr<BenchJob>(new PathJob(scene, path, plan));
}
