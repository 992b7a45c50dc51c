// The profile command: the GPU and CPU cost of each standard technique set at
// the current view, step count, depth and maps, measured over real frames.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "ResultTable.h"
#include "ShaderGui.h"
#include "ShaderScene.h"
#include "Stats.h"
#include "Techniques.h"
#include "base/console.h"
#include "base/cvar.h"

namespace {

int const warmUpFrames = 5;  // the driver may finish compiling on first use
int const defaultFrames = 30;
int const resultWaitFrames = 30;  // frames to wait for the last GPU results

class ProfileJob : public BenchJob {
public:
  ProfileJob(int frames, std::string csv) : frames(frames), csvPath(std::move(csv)) {
    ShaderTestModule& m = shaderTestModule;
    sets = Techniques::profileSets();
    savedSet = m.panelSet();
    m.setMeasuring(true);
  }

  bool step() override {
    ShaderTestModule& m = shaderTestModule;
    if (phase == Phase::Start) {
      if (current == sets.size()) return finish();
      con << "profile " << static_cast<int>(current + 1) << "/" << static_cast<int>(sets.size()) << ": "
          << Techniques::name(sets[current]) << "\n";
      m.getGui()->setTechniques(sets[current]);
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
    if (phase == Phase::Drawing && shaderTestModule.framesDrawn() >= lastMeasured) {
      phase = Phase::Waiting;
      waited = 0;
      collect(false);
    }
  }

  void cancel() override { shaderTestModule.setMeasuring(false); }

private:
  enum class Phase { Start, Drawing, Waiting };
  struct Row {
    unsigned set;
    std::vector<double> gpu, cpu;
  };

  // Takes the measured frames' times once the GPU has reported all of them
  // (or, when `now`, whatever it has).
  void collect(bool now) {
    ShaderTestModule& m = shaderTestModule;
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
    ShaderTestModule& m = shaderTestModule;
    m.getGui()->setTechniques(savedSet);
    m.setMeasuring(false);
    ResultTable table({"set", "steps", "gpu_ms_median", "gpu_ms_p90", "cpu_ms"});
    std::string const steps = std::to_string(m.getGui()->iterativeSteps);
    for (Row const& r : rows) {
      bool const ok = !r.gpu.empty();
      table.add({Techniques::name(r.set), steps, ok ? ResultTable::number(Stats::median(r.gpu)) : "failed",
                 ok ? ResultTable::number(Stats::percentile(r.gpu, 90)) : "-",
                 r.cpu.empty() ? "-" : ResultTable::number(Stats::median(r.cpu))});
    }
    table.report("profile: " + std::to_string(frames) + " frames per set, " + m.viewDescription(), csvPath, "profile");
    return false;
  }

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

std::string unquoted(std::string const& s) {
  std::string out;
  for (char c : s)
    if (c != '"') out += c;
  return out;
}

void CFunc_profile(int argc, char** argv) {
  int frames = defaultFrames;
  std::string csv;
  for (int i = 1; i < argc; ++i) {
    std::string const arg = argv[i];
    char* end = nullptr;
    long const n = std::strtol(arg.c_str(), &end, 10);
    if (i == 1 && !arg.empty() && *end == '\0') {
      if (n < 1 || n > 10000) {
        con << "profile: FRAMES must be 1 to 10000, not " << arg << "\n";
        return;
      }
      frames = static_cast<int>(n);
    } else if (csv.empty()) {
      csv = unquoted(arg);
    } else {
      con << "usage: profile [FRAMES] [FILE.csv]\n";
      return;
    }
  }
  if (!shaderTestModule.getGui()) {
    con << "profile: the bench is not running\n";
    return;
  }
  shaderTestModule.jobs().start(std::unique_ptr<BenchJob>(new ProfileJob(frames, csv)));
}

CVar profileCmd("profile", CFunc_profile);

}  // namespace
