// The profile job: the GPU and CPU cost of each standard technique set at the
// snapshot's view, step count, depth and maps. Each frame draws the set once
// into an offscreen target of the snapshot's view size, timed on the GPU; a
// set's row holds, after its warm-up, exactly FRAMES such draws when FRAMES
// is given, else as many as DrawSampler wants, or none.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "DrawSampler.h"
#include "MapsWait.h"
#include "MeasureJobs.h"
#include "MeasureScene.h"
#include "ResultTable.h"
#include "RunContext.h"
#include "Stats.h"
#include "Techniques.h"
#include "base/console.h"

namespace {

int const warmUpDraws = 5;  // the driver may finish compiling on first use

class ProfileJob : public BenchJob {
public:
  ProfileJob(MeasureScene& scene, int frames, std::string csv, std::vector<unsigned> const& chosen)
      : m(scene), snap(scene.snapshot()), frames(frames), csvPath(std::move(csv)),
        sets(chosen.empty() ? Techniques::profileSets() : chosen) {}

  // A row's sampler: exactly FRAMES draws, or adaptive without them.
  DrawSampler sampler() const { return frames > 0 ? DrawSampler::fixed(frames) : DrawSampler(); }

  std::string name() const override { return "profile" + (csvPath.empty() ? std::string() : " " + csvPath); }

  void begin() override {
    m.setMeasuring(true);
    // The pixels the mesh covers, for the time per million of them.
    MeasureScene::Capture c;
    std::string error;
    if (m.capture(snap, c, error)) covered = static_cast<double>(c.inputs.size());
  }

  bool step() override {
    if (!drawing) {
      if (current == sets.size()) return finish();
      if (!maps.ready(m, sets[current])) return true;
      startSet();
    }
    // One measured draw per frame: a wait for the GPU stays inside one frame.
    unsigned const set = sets[current];
    if (draws == warmUpDraws) rowStart = m.seconds();
    auto const start = std::chrono::steady_clock::now();
    double ms = -1;
    std::string error;
    if (!m.drawColour(snap, MeasureScene::Draw{set, snap.settings.steps, ""}, nullptr, &ms, error)) {
      con << "profile: " << error << "\n";
      drawing = false;
      ++current;  // the set's row says it failed
      return true;
    }
    double const stepMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!std::isfinite(ms) || ms < 0) return fail("the GPU timer gave no time for " + Techniques::name(set));
    double const previousStepMs = lastStepMs;
    lastStepMs = stepMs;
    if (draws == 0) rows.back().built = true;
    if (++draws > warmUpDraws) {
      Row& row = rows.back();
      row.gpu.push_back(ms);
      row.timing.add(ms, m.seconds() - rowStart);
      // The window's last frame, less this job's own draw in it: what the
      // frame costs the CPU while it shows the set.
      long const frame = m.framesDrawn();
      for (auto const& c : m.cpuTimes())
        if (c.first == frame - 1 && draws > 1) row.cpu.push_back(std::max(0.0, c.second - previousStepMs));
      if (!row.timing.wantsMore()) {
        drawing = false;
        ++current;
      }
    }
    return true;
  }

  void cancel() override {
    m.showSet(snap.settings.set);
    m.setMeasuring(false);
  }

private:
  struct Row {
    unsigned set;
    bool built;
    std::vector<double> gpu, cpu;
    DrawSampler timing;
  };

  // The next set's row; its program is built by its first draw, and a set
  // whose build fails keeps a failed row.
  void startSet() {
    unsigned const set = sets[current];
    con << "profile " << static_cast<int>(current + 1) << "/" << static_cast<int>(sets.size()) << ": "
        << Techniques::name(set) << "\n";
    m.showSet(set);  // the window shows what is measured
    rows.push_back(Row{set, false, {}, {}, sampler()});
    drawing = true;
    draws = 0;
  }

  bool fail(std::string const& why) {
    con << "profile: " << why << "; nothing written\n";
    stopped = true;
    cancel();
    return false;
  }

  bool finish() {
    m.showSet(snap.settings.set);
    m.setMeasuring(false);
    std::vector<std::string> columns{"set", "steps", "frames", "gpu_ms_median", "gpu_ms_p90", "cpu_ms"};
    for (std::string const& c : DrawSampler::columns()) columns.push_back(c);
    ResultTable table(columns);
    addRunContext(table, snap);
    std::string const steps = std::to_string(snap.settings.steps);
    for (Row const& r : rows) {
      bool const ok = r.built && !r.gpu.empty() && !r.timing.wantsMore();
      std::vector<std::string> row{Techniques::name(r.set), steps, std::to_string(r.gpu.size()),
                                   ok ? ResultTable::number(Stats::median(r.gpu)) : "failed",
                                   ok ? ResultTable::number(Stats::percentile(r.gpu, 90)) : "-",
                                   r.cpu.empty() ? "-" : ResultTable::number(Stats::median(r.cpu))};
      if (ok)
        for (std::string const& c : r.timing.cells(covered)) row.push_back(c);
      row.resize(columns.size(), "-");
      table.add(row);
    }
    std::string const draws = frames > 0 ? std::to_string(frames) + " measured draws per set"
                                         : "draws per set until the median's 95% interval is within 5%";
    table.report("profile: " + draws + ", " + snap.description, csvPath, "profile");
    return false;
  }

  MeasureScene& m;
  MeasureScene::Snapshot const snap;
  int frames;
  std::string csvPath;
  std::vector<unsigned> sets;
  size_t current = 0;
  bool drawing = false;  // the current set's row is being drawn
  int draws = 0;
  bool stopped = false;   // failed: nothing more is drawn or written
  double lastStepMs = 0;  // the wall time of the previous frame's measured draw
  double rowStart = 0;    // when the row's first measured draw began (MeasureScene::seconds)
  double covered = 0;     // the pixels the mesh covers
  std::vector<Row> rows;
  MapsWait maps{"profile"};
};

}  // namespace

std::unique_ptr<BenchJob> makeProfileJob(MeasureScene& scene, int frames, std::string const& csv,
                                         std::vector<unsigned> const& sets) {
  return std::unique_ptr<BenchJob>(new ProfileJob(scene, frames, csv, sets));
}
