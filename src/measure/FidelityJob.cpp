// The fidelity job: each technique set's error against the traced
// reference at the current view and settings (a table), over step counts with
// the GPU cost (a sweep), as a heat map beside the rendered frame, or split by
// the angle between the eye ray and the surface normal.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "AngleBins.h"
#include "FidelityMeter.h"
#include "MeasureJobs.h"
#include "MeasureScene.h"
#include "Picture.h"
#include "PictureReport.h"
#include "ResultTable.h"
#include "RunContext.h"
#include "Stats.h"
#include "Techniques.h"
#include "base/console.h"

namespace {

using Mode = FidelityMode;

int const sweepDraws = 5;  // timed draws per sweep row, after one to warm up


// The colour of an error of e texels: dark blue at 0 through cyan, green and
// yellow to red at 8 texels and beyond, on a square-root scale.
unsigned heatColor(float e) {
  static unsigned char const stops[5][3] = {{20, 20, 120}, {0, 170, 220}, {40, 200, 60}, {250, 220, 0}, {230, 30, 20}};
  float const t = std::min(1.0f, std::sqrt(std::max(e, 0.0f) / 8.0f)) * 4.0f;
  int const i = std::min(3, static_cast<int>(t));
  float const f = t - static_cast<float>(i);
  unsigned out = 0xFF000000u;
  for (int c = 0; c < 3; ++c)
    out |= static_cast<unsigned>(stops[i][c] + (stops[i + 1][c] - stops[i][c]) * f + 0.5f) << (8 * c);
  return out;
}

class FidelityJob : public BenchJob {
public:
  FidelityJob(MeasureScene& scene, Mode mode, std::string path, SweepPlan const& plan)
      : m(scene), snap(scene.snapshot()), mode(mode), path(std::move(path)), plan(plan), meter(scene, snap) {
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
      for (unsigned set : plan.sets.empty() ? Techniques::sweepSets() : plan.sets) runs.push_back(Run{set, steps});
    } else {
      runs.push_back(Run{snap.settings.set, steps});
    }
  }

  std::string name() const override {
    char const* const kind[] = {"fidelity", "fidelity sweep", "fidelity map", "fidelity angles"};
    return std::string(kind[static_cast<int>(mode)]) + (path.empty() ? "" : " " + path);
  }

  void begin() override { m.setMeasuring(true); }

  bool step() override {
    switch (phase) {
      case Phase::Capture: {
        std::string error, note;
        if (!meter.capture(error, note)) return fail(error);
        if (!note.empty()) con << "fidelity: " << note << "\n";
        if (mode == Mode::Angles) angles = meter.eyeAngles();
        con << "fidelity: tracing the reference for " << static_cast<int>(meter.pixels()) << " pixels\n";
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
          phase = Phase::Measuring;
        }
        return true;
      }
      case Phase::Measuring:
        return measureNext();
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
    FidelityMeter::Errors errors;
    std::vector<double> gpuMs;
    bool ok = false;
  };

  bool fail(std::string const& error) {
    con << "fidelity: " << error << "\n";
    m.setMeasuring(false);
    return false;
  }

  // One frame's share: the comparison of the next run, or one of its timed draws.
  bool measureNext() {
    if (current == runs.size()) return finish();
    Run& run = runs[current];
    if (drawsDone == 0) {
      con << "fidelity " << static_cast<int>(current + 1) << "/" << static_cast<int>(runs.size()) << ": "
          << Techniques::name(run.set) << " at " << run.steps << " steps"
          << (run.refine >= 0 ? ", " + std::to_string(run.refine) + " refine steps" : std::string()) << "\n";
      std::string error;
      run.ok = meter.measure(run.set, run.steps, run.errors, error, run.refine);
      if (!run.ok) con << "fidelity: " << error << "\n";
      if (mode == Mode::Table || mode == Mode::Angles || !run.ok) return next();
      ++drawsDone;
      return true;
    }
    // A draw of the set's ordinary program over the view; the first warms up.
    double ms = 0;
    std::string error;
    if (!m.drawColour(snap, MeasureScene::Draw{run.set, run.steps, "", run.refine}, mode == Mode::Map ? &frame : nullptr,
                      &ms, error)) {
      con << "fidelity: " << error << "\n";
      return next();
    }
    if (drawsDone > 1) run.gpuMs.push_back(ms);
    if (++drawsDone > sweepDraws || mode == Mode::Map) return next();
    return true;
  }

  bool next() {
    ++current;
    drawsDone = 0;
    return true;
  }

  bool finish() {
    m.setMeasuring(false);
    std::string const title = "fidelity: error against the traced reference in texels of the height map, " +
                              std::to_string(meter.pixels()) + " pixels" + withinAngle() + ", " + snap.description;
    if (mode == Mode::Map) return writeMap(runs.front());
    if (mode == Mode::Angles) return writeAngles();
    // The table ends with the depth written under WRITE_DEPTH against the
    // reference hit's, in relief depths ("-" for sets without it).
    std::vector<std::string> columns{"set", "steps", "mean", "p95", "p99", "over1", "max",
                                     mode == Mode::Table ? "shadow_disagreement" : "gpu_ms"};
    if (mode == Mode::Table) columns.insert(columns.end(), {"depth_mean", "depth_p95"});
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
      std::string const last = mode == Mode::Table ? (e.shadowDisagreement < 0 ? "-" : ResultTable::number(e.shadowDisagreement, 4))
                                                   : ResultTable::number(Stats::median(r.gpuMs));
      row.insert(row.end(), {ResultTable::number(e.mean), ResultTable::number(e.p95), ResultTable::number(e.p99),
                             ResultTable::number(e.over1, 4), ResultTable::number(e.max), last});
      if (mode == Mode::Table) {
        row.push_back(e.depthMean < 0 ? "-" : ResultTable::number(e.depthMean, 4));
        row.push_back(e.depthP95 < 0 ? "-" : ResultTable::number(e.depthP95, 4));
      }
      table.add(row);
    }
    table.report(title, path, "fidelity");
    if (plan.done) plan.done(table);
    return false;
  }

  // The snapshot's context, and the angle beyond which pixels were left out.
  void addContext(ResultTable& table) const {
    addRunContext(table, snap, static_cast<long long>(meter.pixels()));
    if (!std::isnan(plan.maxAngle)) table.addContext("maxAngle", ResultTable::number(plan.maxAngle, 1));
  }

  std::string withinAngle() const {
    return std::isnan(plan.maxAngle) ? std::string()
                                     : " within " + ResultTable::number(plan.maxAngle, 1) + " degrees of the normal";
  }

  // One row per set and 5-degree bin of the angle between eye ray and normal.
  bool writeAngles() {
    ResultTable table({"set", "steps", "angle_from", "angle_to", "pixels", "mean", "p95", "p99", "over1"});
    addContext(table);
    for (Run const& r : runs) {
      if (!r.ok) {
        table.add({Techniques::name(r.set), std::to_string(r.steps), "-", "-", "failed", "-", "-", "-", "-"});
        continue;
      }
      for (AngleBin const& b : binByAngle(r.errors.perPixel, angles)) {
        bool const empty = b.pixels == 0;
        table.add({Techniques::name(r.set), std::to_string(r.steps), ResultTable::number(b.from, 0),
                   ResultTable::number(b.to, 0), std::to_string(b.pixels), empty ? "-" : ResultTable::number(b.mean),
                   empty ? "-" : ResultTable::number(b.p95), empty ? "-" : ResultTable::number(b.p99),
                   empty ? "-" : ResultTable::number(b.over1, 4)});
      }
    }
    table.report("fidelity angles: error against the traced reference in texels of the height map by the angle "
                 "between eye ray and surface normal (degrees), " +
                     std::to_string(meter.pixels()) + " pixels" + withinAngle() + ", " + snap.description,
                 path, "fidelity");
    if (plan.done) plan.done(table);
    return false;
  }

  // The set's frame on the left, its error per pixel on the right, a colour
  // scale with its legend below.
  bool writeMap(Run const& r) {
    if (!r.ok || frame.empty()) {
      con << "fidelity map: " << Techniques::name(r.set) << " could not be "
          << (r.ok ? "drawn in colour" : "measured") << "; " << path << " not written\n";
      return false;
    }
    int const w = meter.width(), h = meter.height(), legend = 56;
    Picture pic(2 * w, h + legend, 0xFF000000u);
    pic.put(frame, w, h, 0, 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        float const e = r.errors.perPixel[static_cast<size_t>(h - 1 - y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
        if (e >= 0) pic.setPixel(w + x, y, heatColor(e));
      }
    int const barX = w + 20, barW = w - 40, barY = h + 26;
    for (int i = 0; i < barW; ++i) {
      float const t = static_cast<float>(i) / static_cast<float>(barW - 1);
      pic.fill(barX + i, barY, 1, 10, heatColor(8.0f * t * t));
    }
    for (float e : {0.0f, 0.5f, 1.0f, 2.0f, 4.0f, 8.0f}) {
      int const x = barX + static_cast<int>(std::sqrt(e / 8.0f) * static_cast<float>(barW - 1));
      pic.fill(x, barY + 10, 1, 4, 0xFFFFFFFFu);
      char buf[16];
      std::snprintf(buf, sizeof buf, e >= 8.0f ? "%g+" : "%g", static_cast<double>(e));
      pic.label(static_cast<float>(x) - 4.0f, static_cast<float>(barY + 15), buf, 0xFFFFFFFFu, 10.0f);
    }
    char stats[200];
    std::string const stepsText = Techniques::usesSteps(r.set) ? ", " + std::to_string(r.steps) + " steps" : "";
    std::snprintf(stats, sizeof stats, "%s%s: error in texels, mean %.3f, p95 %.3f, p99 %.3f, max %.3f",
                  Techniques::name(r.set).c_str(), stepsText.c_str(), r.errors.mean, r.errors.p95, r.errors.p99,
                  r.errors.max);
    pic.label(8.0f, static_cast<float>(h + 6), stats, 0xFFFFFFFFu, 12.0f);
    pic.label(static_cast<float>(w + 8), 8.0f, "error against the traced reference", 0xFFFFFFFFu, 12.0f);
    reportPicture(m, pic, path, "fidelity");
    return false;
  }

  MeasureScene& m;
  MeasureScene::Snapshot const snap;
  Mode mode;
  std::string path;
  SweepPlan const plan;
  FidelityMeter meter;
  int steps = ReliefSettings::defaultSteps;
  std::vector<Run> runs;
  Phase phase = Phase::Capture;
  int shownPercent = 0;
  std::chrono::steady_clock::time_point traceStart;
  size_t current = 0;
  int drawsDone = 0;
  std::vector<unsigned char> frame;
  std::vector<float> angles;  // Angles: each pixel's angle between eye ray and normal
};

}  // namespace

std::unique_ptr<BenchJob> makeFidelityJob(MeasureScene& scene, FidelityMode mode, std::string const& path,
                                          SweepPlan const& plan) {
  return std::unique_ptr<BenchJob>(new FidelityJob(scene, mode, path, plan));
}
