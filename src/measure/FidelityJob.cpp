// The fidelity job: each technique set's error against the traced
// reference at the current view and settings (a table), over step counts with
// the GPU cost (a sweep), as heat maps beside the rendered frame, or split by
// the angle between the eye ray and the surface normal; and the reference
// frame itself. Beside the texel figures come the image figures: each set's
// colour frame against the reference frame (ImageFidelity).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "AngleBins.h"
#include "FidelityAngles.h"
#include "FidelityMeter.h"
#include "MapsWait.h"
#include "FidelityPictures.h"
#include "FlipSummary.h"
#include "ImageFidelity.h"
#include "DrawSampler.h"
#include "MeasureJobs.h"
#include "MeasureScene.h"
#include "PictureReport.h"
#include "ResultTable.h"
#include "RunContext.h"
#include "Stats.h"
#include "Techniques.h"
#include "base/console.h"

namespace {

using Mode = FidelityMode;

std::string const floorName = "tangent-plane reference";

// The image error map (top row first) in the meter's order (rows bottom
// first), -1 off the mesh.
std::vector<float> bottomFirst(std::vector<float> const& map, std::vector<bool> const& mesh, int w, int h) {
  std::vector<float> out(map.size(), -1.0f);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      size_t const top = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
      if (mesh[top]) out[static_cast<size_t>(h - 1 - y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = map[top];
    }
  return out;
}

class FidelityJob : public BenchJob {
public:
  FidelityJob(MeasureScene& scene, Mode mode, std::string path, SweepPlan const& plan)
      : m(scene), snap(scene.snapshot()), mode(mode), path(std::move(path)), plan(plan), meter(scene, snap),
        image(scene, snap) {
    steps = snap.settings.steps;
    meter.leaveOutBeyond(plan.maxAngle);
    if (mode == Mode::Table) {
      // With WRITE_DEPTH in the window's set, every set writes depth too and
      // the table's depth columns are filled.
      unsigned const extra = snap.settings.set & Techniques::WriteDepth;
      for (unsigned set : Techniques::profileSets()) runs.push_back(Run{set | extra, steps});
    } else if (mode == Mode::Sweep) {
      std::vector<int> counts = plan.steps;
      if (counts.empty())
        for (int s = 1; s <= 256; s *= 2) counts.push_back(s);
      for (unsigned set : plan.sets.empty() ? Techniques::sweepSets() : plan.sets)
        for (int s : counts) {
          if (plan.refine.empty() || !Techniques::usesRefineSteps(set)) runs.push_back(Run{set, s});
          if (Techniques::usesRefineSteps(set))
            for (int r : plan.refine) runs.push_back(Run{set, s, r});
        }
    } else if (mode == Mode::Angles) {
      // Against the displaced surface the tangent-plane reference comes
      // first: the floor of every technique on that model.
      if (snap.truth == FidelityTruth::Displaced) {
        runs.push_back(Run{0, 0});
        runs.back().floor = true;
      }
      for (unsigned set : plan.sets.empty() ? Techniques::sweepSets() : plan.sets) runs.push_back(Run{set, steps});
    } else if (mode == Mode::Map) {
      runs.push_back(Run{snap.settings.set, steps});
    }
  }

  std::string name() const override {
    char const* const kind[] = {"fidelity", "fidelity sweep", "fidelity map", "fidelity angles", "fidelity reference"};
    return std::string(kind[static_cast<int>(mode)]) + (path.empty() ? "" : " " + path);
  }

  void begin() override { m.setMeasuring(true); }

  bool step() override {
    switch (phase) {
      case Phase::Capture: {
        std::string error, note;
        if (!meter.capture(error, note)) return fail(error);
        if (!note.empty()) con << "fidelity: " << note << "\n";
        imaged = image.supported(error);
        if (!imaged && mode == Mode::Reference) return fail(error);
        if (!imaged) con << "fidelity: " << error << "\n";
        if (mode == Mode::Angles) angles = meter.eyeAngles();
        con << "fidelity: tracing the reference for " << static_cast<int>(meter.pixels()) << " pixels";
        if (meter.truth() == FidelityTruth::Displaced)
          con << " and the displaced surface through " << static_cast<int>(snap.mesh->triangles.size() / 3)
              << " triangles";
        con << "\n";
        meter.startReference();
        traceStart = std::chrono::steady_clock::now();
        phase = Phase::Tracing;
        return true;
      }
      case Phase::Tracing: {
        int const percent = static_cast<int>(meter.progress() * 100.0);
        if (percent >= shownPercent + 10 && percent < 100) {
          shownPercent = percent - percent % 10;
          con << "fidelity: reference " << shownPercent << "%\n";
        }
        if (meter.referenceDone()) {
          con.print("fidelity: reference traced in %.2f s\n",
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - traceStart).count());
          if (meter.truth() == FidelityTruth::Displaced)
            con.print("fidelity: of which the displaced surface, %d pixels, %.2f s\n",
                      static_cast<int>(meter.displaced()->size()), meter.displacedSeconds());
          image.follow(meter);
          phase = Phase::Measuring;
        }
        return true;
      }
      case Phase::Measuring:
        return mode == Mode::Reference ? writeReference() : measureNext();
    }
    return false;
  }

  void cancel() override { m.setMeasuring(false); }

private:
  enum class Phase { Capture, Tracing, Measuring };
  struct Run {
    Run(unsigned set, int steps, int refine = -1) : set(set), steps(steps), refine(refine) {}
    unsigned set;
    int steps;
    int refine;  // the bisections, -1: the snapshot's
    bool floor = false;  // the tangent-plane reference measured as a set
    FidelityMeter::Errors errors{};
    DrawSampler timing{};     // Sweep: the timed draws after the first
    double timingStart = 0;  // when the first timed draw began (MeasureScene::seconds)
    bool ok = false;
    ImageFidelity::Result image{};
    std::vector<AngleBin> imageBins{};  // Angles: the image error by angle
  };

  bool fail(std::string const& error) {
    con << "fidelity: " << error << "\n";
    m.setMeasuring(false);
    return false;
  }

  bool timed() const { return mode == Mode::Sweep; }

  // One frame's share: the comparison of the next run's hits, then its colour
  // draws: the first gives the frame the image figures compare (and warms up
  // a timed run), the others are timed until the sampler has enough.
  bool measureNext() {
    if (current == runs.size()) return finish();
    Run& run = runs[current];
    if (run.floor) {
      con << "fidelity " << static_cast<int>(current + 1) << "/" << static_cast<int>(runs.size()) << ": "
          << floorName << "\n";
      std::string error;
      run.ok = meter.measureTangentPlane(run.errors, error);
      if (!run.ok) con << "fidelity: " << error << "\n";
      return next();
    }
    if (drawsDone == 0) {
      if (!maps.ready(m, run.set)) return true;
      con << "fidelity " << static_cast<int>(current + 1) << "/" << static_cast<int>(runs.size()) << ": "
          << Techniques::name(run.set) << " at " << run.steps << " steps"
          << (run.refine >= 0 ? ", " + std::to_string(run.refine) + " refine steps" : std::string()) << "\n";
      std::string error;
      run.ok = meter.measure(run.set, run.steps, run.errors, error, run.refine);
      if (!run.ok) con << "fidelity: " << error << "\n";
      // Inside a closed mesh the displaced surface never shows off the
      // mesh's outline; under an open border the shell's wall does, from
      // the side: those pixels count as missing, since no set draws there.
      if (run.ok && run.errors.outside > 0)
        con << "fidelity: " << static_cast<int>(run.errors.outside)
            << " pixels off the mesh's outline meet the displaced surface\n";
      if (!run.ok || (!timed() && !imaged && mode != Mode::Map)) return next();
      ++drawsDone;
      return true;
    }
    double ms = 0;
    std::string error;
    bool const first = drawsDone == 1, keep = first && (imaged || mode == Mode::Map);
    if (drawsDone == 2) run.timingStart = m.seconds();
    if (!m.drawColour(snap, MeasureScene::Draw{run.set, run.steps, "", run.refine}, keep ? &frame : nullptr,
                      timed() ? &ms : nullptr, error)) {
      con << "fidelity: " << error << "\n";
      return next();
    }
    if (first && imaged) compareFrame(run);
    if (!timed()) return next();
    if (drawsDone > 1) {
      run.timing.add(ms, m.seconds() - run.timingStart);
      if (!run.timing.wantsMore()) return next();
    }
    ++drawsDone;
    return true;
  }

  void compareFrame(Run& run) {
    std::string error;
    if (!image.compare(run.set, frame, run.image, error)) {
      con << "fidelity: the image figures of " << Techniques::name(run.set) << ": " << error << "\n";
      return;
    }
    if (mode == Mode::Angles)
      run.imageBins = binByAngle(bottomFirst(run.image.map, image.mask(), meter.width(), meter.height()), angles, 5.0,
                                 FlipSummary::kOverThreshold);
    if (mode != Mode::Map) run.image.map.clear();
  }

  bool next() {
    ++current;
    drawsDone = 0;
    return true;
  }

  bool finish() {
    m.setMeasuring(false);
    std::string const title = "fidelity: error against " + truthText() +
                              " in texels of the height map and as an image against its reference frame, " +
                              std::to_string(meter.pixels()) + " pixels" + withinAngle() + ", " + snap.description;
    if (mode == Mode::Map) return writeMap(runs.front());
    if (mode == Mode::Angles) return writeAngles();
    // The texel columns, the image columns, the coverage against the
    // displaced truth ("-" against the tangent plane), then the shadow verdicts and the
    // depth written under WRITE_DEPTH against the reference hit's, in relief
    // depths ("-" for sets without them), or the sweep's GPU time.
    std::vector<std::string> columns{"set", "steps", "mean", "p95", "p99", "over1", "max"};
    for (std::string const& c : ImageFidelity::columns()) columns.push_back(c);
    columns.insert(columns.end(), {"extra", "missing"});
    if (mode == Mode::Table)
      columns.insert(columns.end(), {"shadow_disagreement", "depth_mean", "depth_p95"});
    else
      columns.push_back("gpu_ms");
    if (mode == Mode::Sweep)
      for (std::string const& c : DrawSampler::columns()) columns.push_back(c);
    bool const refineColumn = mode == Mode::Sweep && !plan.refine.empty();
    if (refineColumn) columns.insert(columns.begin() + 2, "refine_steps");
    ResultTable table(columns);
    addContext(table);
    for (Run const& r : runs) {
      std::vector<std::string> row{Techniques::name(r.set), std::to_string(r.steps)};
      if (refineColumn) row.push_back(r.refine >= 0 ? std::to_string(r.refine) : "-");
      if (!r.ok) {
        row.push_back("failed");
        row.resize(columns.size(), "-");
        table.add(row);
        continue;
      }
      FidelityMeter::Errors const& e = r.errors;
      row.insert(row.end(), {ResultTable::number(e.mean), ResultTable::number(e.p95), ResultTable::number(e.p99),
                             ResultTable::number(e.over1, 4), ResultTable::number(e.max)});
      for (std::string const& c : ImageFidelity::cells(r.image)) row.push_back(c);
      row.push_back(e.extra < 0 ? "-" : ResultTable::number(e.extra, 4));
      row.push_back(e.missing < 0 ? "-" : ResultTable::number(e.missing, 4));
      if (mode == Mode::Table) {
        row.push_back(e.shadowDisagreement < 0 ? "-" : ResultTable::number(e.shadowDisagreement, 4));
        row.push_back(e.depthMean < 0 ? "-" : ResultTable::number(e.depthMean, 4));
        row.push_back(e.depthP95 < 0 ? "-" : ResultTable::number(e.depthP95, 4));
      } else {
        DrawSampler::Result const t = r.timing.result();
        row.push_back(t.draws == 0 ? "-" : ResultTable::number(t.median));
        if (t.draws > 0)
          for (std::string const& c : r.timing.cells(static_cast<double>(meter.pixels()))) row.push_back(c);
      }
      row.resize(columns.size(), "-");
      table.add(row);
    }
    table.report(title, path, "fidelity");
    if (plan.done) plan.done(table);
    return false;
  }

  // The snapshot's context, the truth, and the angle beyond which pixels
  // were left out.
  void addContext(ResultTable& table) const {
    addRunContext(table, snap, static_cast<long long>(meter.pixels()));
    table.addContext("truth", FidelityTruths::name(snap.truth));
    if (!std::isnan(plan.maxAngle)) table.addContext("maxAngle", ResultTable::number(plan.maxAngle, 1));
  }

  std::string truthText() const {
    return snap.truth == FidelityTruth::Displaced ? "the traced displaced surface" : "the traced tangent-plane reference";
  }

  std::string withinAngle() const {
    return std::isnan(plan.maxAngle) ? std::string()
                                     : " within " + ResultTable::number(plan.maxAngle, 1) + " degrees of the normal";
  }

  // One row per set and 5-degree bin of the angle between eye ray and normal.
  bool writeAngles() {
    std::vector<AngleRow> rows;
    for (Run const& r : runs)
      rows.push_back(AngleRow{r.floor ? floorName : Techniques::name(r.set), r.floor ? "-" : std::to_string(r.steps),
                              r.ok, &r.errors, &r.imageBins});
    ResultTable table = anglesTable(rows, angles);
    addContext(table);
    table.report("fidelity angles: error against " + truthText() + " in texels of the height map and as an "
                 "image, by the angle between eye ray and surface normal (degrees), " +
                     std::to_string(meter.pixels()) + " pixels" + withinAngle() + ", " + snap.description,
                 path, "fidelity");
    if (plan.done) plan.done(table);
    return false;
  }

  // The set's frame, the heat map of its error in texels and that of its
  // image error, each with a colour scale.
  bool writeMap(Run const& r) {
    if (!r.ok || frame.empty()) {
      con << "fidelity map: " << Techniques::name(r.set) << " could not be "
          << (r.ok ? "drawn in colour" : "measured") << "; " << path << " not written\n";
      return false;
    }
    FidelityMapData d;
    d.width = meter.width();
    d.height = meter.height();
    d.frame = frame;
    d.texels = r.errors.perPixel;
    char caption[200];
    std::string const stepsText = Techniques::usesSteps(r.set) ? ", " + std::to_string(r.steps) + " steps" : "";
    std::snprintf(caption, sizeof caption, "%s%s: error in texels, mean %.3f, p95 %.3f, p99 %.3f, max %.3f",
                  Techniques::name(r.set).c_str(), stepsText.c_str(), r.errors.mean, r.errors.p95, r.errors.p99,
                  r.errors.max);
    d.texelCaption = caption;
    if (r.image.ok) {
      d.image = r.image.map;
      d.mesh = image.mask();
      std::snprintf(caption, sizeof caption, "image error at %.4g pixels per degree: mean %.4f, p99 %.4f, over 0.1 %.4f",
                    static_cast<double>(image.metric().pixelsPerDegree()), r.image.summary.mean, r.image.summary.p99,
                    r.image.summary.over);
      d.imageCaption = caption;
    }
    reportPicture(m, fidelityMapPicture(d), path, "fidelity");
    return false;
  }

  // The reference frame shaded as the window's set would be: with shadows
  // when the set traces them.
  bool writeReference() {
    m.setMeasuring(false);
    std::string error;
    std::vector<unsigned char> const* const ref = image.referenceFor(snap.settings.set, error);
    if (!ref) return fail(error + "; " + path + " not written");
    reportPicture(m, framePicture(*ref, meter.width(), meter.height()), path, "fidelity");
    return false;
  }

  MeasureScene& m;
  MeasureScene::Snapshot const snap;
  Mode mode;
  std::string path;
  SweepPlan const plan;
  FidelityMeter meter;
  ImageFidelity image;
  bool imaged = false;  // the shader draws reference frames
  int steps = ReliefSettings::defaultSteps;
  std::vector<Run> runs;
  Phase phase = Phase::Capture;
  int shownPercent = 0;
  std::chrono::steady_clock::time_point traceStart;
  size_t current = 0;
  int drawsDone = 0;
  std::vector<unsigned char> frame;  // the current run's colour frame
  std::vector<float> angles;  // Angles: each pixel's angle between eye ray and normal
  MapsWait maps{"fidelity"};
};

}  // namespace

std::unique_ptr<BenchJob> makeFidelityJob(MeasureScene& scene, FidelityMode mode, std::string const& path,
                                          SweepPlan const& plan) {
  return std::unique_ptr<BenchJob>(new FidelityJob(scene, mode, path, plan));
}
