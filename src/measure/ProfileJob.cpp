// The profile job: the GPU and CPU cost of each standard technique set at
// the current view, step count, depth and maps, measured over real frames.
#include <memory>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "MeasureJobs.h"
#include "MeasureScene.h"
#include "ResultTable.h"
#include "Stats.h"
#include "Techniques.h"
#include "base/console.h"

namespace {

int const warmUpFrames = 5;  // the driver may finish compiling on first use
int const resultWaitFrames = 30;  // frames to wait for the last GPU results

class ProfileJob : public BenchJob {
public:
  ProfileJob(MeasureScene& scene, int frames, std::string csv) : m(scene), frames(frames), csvPath(std::move(csv)) {
    sets = Techniques::profileSets();
    savedSet = m.settings().set;
    m.setMeasuring(true);
  }

  bool step() override {
    if (phase == Phase::Start) {
      if (current == sets.size()) return finish();
      con << "profile " << static_cast<int>(current + 1) << "/" << static_cast<int>(sets.size()) << ": "
          << Techniques::name(sets[current]) << "\n";
      m.showSet(sets[current]);
      if (m.shaderBroken()) {
        rows.push_back(Row{sets[current], {}, {}});
        ++current;
        return true;
      }
      firstMeasured = m.framesDrawn() + warmUpFrames;
      lastMeasured = firstMeasured + frames - 1;
      phase = Phase::Drawing;
    } else if (phase == Phase::Waiting) {
      collect(++waited >= resultWaitFrames);
    }
    return true;
  }

  void frameDrawn() override {
    if (phase == Phase::Drawing && m.framesDrawn() >= lastMeasured) {
      phase = Phase::Waiting;
      waited = 0;
      collect(false);
    }
  }

  void cancel() override { m.setMeasuring(false); }

private:
  enum class Phase { Start, Drawing, Waiting };
  struct Row {
    unsigned set;
    std::vector<double> gpu, cpu;
  };

  // Takes the measured frames' times once the GPU has reported all of them
  // (or, when `now`, whatever it has).
  void collect(bool now) {
    if (now) m.gpuTimer().finishPending();
    Row row{sets[current], {}, {}};
    for (long f = firstMeasured; f <= lastMeasured; ++f) {
      double ms = 0;
      if (m.gpuTimer().result(f, ms)) row.gpu.push_back(ms);
    }
    if (!now && static_cast<int>(row.gpu.size()) < frames) return;
    for (auto const& c : m.cpuTimes())
      if (c.first >= firstMeasured && c.first <= lastMeasured) row.cpu.push_back(c.second);
    rows.push_back(row);
    ++current;
    phase = Phase::Start;
  }

  bool finish() {
    m.showSet(savedSet);
    m.setMeasuring(false);
    ResultTable table({"set", "steps", "gpu_ms_median", "gpu_ms_p90", "cpu_ms"});
    std::string const steps = std::to_string(m.settings().steps);
    for (Row const& r : rows) {
      bool const ok = !r.gpu.empty();
      table.add({Techniques::name(r.set), steps, ok ? ResultTable::number(Stats::median(r.gpu)) : "failed",
                 ok ? ResultTable::number(Stats::percentile(r.gpu, 90)) : "-",
                 r.cpu.empty() ? "-" : ResultTable::number(Stats::median(r.cpu))});
    }
    table.report("profile: " + std::to_string(frames) + " frames per set, " + m.viewDescription(), csvPath, "profile");
    return false;
  }

  MeasureScene& m;
  int frames;
  std::string csvPath;
  std::vector<unsigned> sets;
  unsigned savedSet = 0;
  size_t current = 0;
  Phase phase = Phase::Start;
  long firstMeasured = 0, lastMeasured = 0;
  int waited = 0;
  std::vector<Row> rows;
};

}  // namespace

std::unique_ptr<BenchJob> makeProfileJob(MeasureScene& scene, int frames, std::string const& csv) {
  return std::unique_ptr<BenchJob>(new ProfileJob(scene, frames, csv));
}
