// The scale job: how the cost of a p99 error under half a texel grows with the
// height map's size, on the wall grid, whose one-texel walls grow thinner
// against the repeat as the map grows; with the image figures of each answer.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DrawSampler.h"
#include "FidelityMeter.h"
#include "HardMaps.h"
#include "MapsWait.h"
#include "ImageFidelity.h"
#include "MeasureJobs.h"
#include "MeasureScene.h"
#include "ResultTable.h"
#include "RunContext.h"
#include "Stats.h"
#include "Techniques.h"
#include "base/console.h"

namespace {

double const target = 0.5;  // the p99 error to get under, in texels

class ScaleJob : public BenchJob {
public:
  ScaleJob(MeasureScene& scene, std::string path, ScalePlan const& plan)
      : m(scene), snap(scene.snapshot()), path(std::move(path)), sizes(plan.sizes), sets(plan.search.sets),
        counts(plan.search.steps) {
    if (sizes.empty())
      for (int s = 64; s <= 2048; s *= 2) sizes.push_back(s);
    if (sets.empty()) sets = Techniques::sweepSets();
    if (counts.empty())
      for (int s = 1; s <= 256; s *= 2) counts.push_back(s);
  }

  std::string name() const override { return "fidelity scale " + path; }
  void begin() override { m.setMeasuring(true); }

  bool step() override {
    switch (phase) {
      case Phase::Load:
        return load();
      case Phase::Tracing: {
        int const percent = static_cast<int>(meter->progress() * 100.0);
        if (percent >= shownPercent + 25 && percent < 100) {
          shownPercent = percent - percent % 25;
          con << "fidelity scale: reference " << shownPercent << "%\n";
        }
        if (meter->referenceDone()) {
          image->follow(*meter);
          phase = Phase::Search;
          startSet(0);
        }
        return true;
      }
      case Phase::Search:
        return search();
      case Phase::Timing:
        return time();
    }
    return false;
  }

  void cancel() override {
    image.reset();
    meter.reset();  // stops the reference's threads
    m.restoreMaps();
    m.setMeasuring(false);
  }

private:
  enum class Phase { Load, Tracing, Search, Timing };

  bool fail(std::string const& error) {
    con << "fidelity scale: " << error << "\n";
    cancel();
    return false;
  }

  int size() const { return sizes[sizeIndex]; }

  // The next size's wall grid in place of the user's map, its reference traced.
  bool load() {
    if (sizeIndex == sizes.size()) return finish();
    con << "fidelity scale " << static_cast<int>(sizeIndex + 1) << "/" << static_cast<int>(sizes.size()) << ": "
        << size() << "x" << size() << " wall grid\n";
    std::string error, note;
    HardMaps::Kind const walls = HardMaps::Kind::Walls;
    if (size() < HardMaps::minSize || size() > HardMaps::maxSize)
      return fail("map sizes run from " + std::to_string(HardMaps::minSize) + " to " + std::to_string(HardMaps::maxSize));
    if (!m.useHeights(HardMaps::make(walls, size()), error)) return fail(error);
    meter.reset(new FidelityMeter(m, snap));
    if (!meter->capture(error, note)) return fail(error);
    image.reset(new ImageFidelity(m, snap));
    if (sizeIndex == 0) {
      imaged = image->supported(error);
      if (!imaged) con << "fidelity scale: " << error << "\n";
    }
    pixels = meter->pixels();
    meter->startReference();
    shownPercent = 0;
    phase = Phase::Tracing;
    return true;
  }

  void startSet(size_t index) {
    setIndex = index;
    tried.clear();
    lo = 0;
    hi = counts.size() - 1;
  }

  bool under(size_t i) const { return tried.at(i).p99 < target; }

  // One measurement a frame: the largest count first (a set that misses there
  // never gets there), then halving the counts between a miss and a hit,
  // since more steps do not make a search worse.
  bool search() {
    if (setIndex == sets.size()) {
      ++sizeIndex;
      phase = Phase::Load;
      return true;
    }
    // The set's maps are made from this size's wall grid.
    if (!maps.ready(m, sets[setIndex])) return true;
    size_t const last = counts.size() - 1;
    size_t next = last;
    bool decided = false;
    if (tried.count(last)) {
      if (!under(last)) {
        decided = true;
      } else {
        if (tried.count((lo + hi) / 2)) {
          size_t const mid = (lo + hi) / 2;
          if (under(mid))
            hi = mid;
          else
            lo = mid + 1;
        }
        decided = lo == hi;
        next = (lo + hi) / 2;
      }
    }
    unsigned const set = sets[setIndex];
    if (decided) {
      // The answer's colour program is timed; a set that never gets there is
      // drawn once at the largest count for its image figures.
      never = !under(last);
      answer = never ? last : hi;
      if (never && !imaged) {
        addRow(tried.at(last), "never", false);
        startSet(setIndex + 1);
        return true;
      }
      phase = Phase::Timing;
      drawsDone = 0;
      timing = DrawSampler();
      return true;
    }
    FidelityMeter::Errors errors;
    std::string error;
    if (!meter->measure(set, counts[next], errors, error)) {
      con << "fidelity scale: " << error << "\n";
      std::vector<std::string> row{Techniques::name(set), std::to_string(size()), "failed"};
      row.resize(table.columns().size() - 1, "-");
      row.push_back(measured());
      table.add(row);
      startSet(setIndex + 1);
      return true;
    }
    errors.perPixel.clear();
    errors.hits.clear();
    tried[next] = errors;
    con.print("fidelity scale %dx%d: %s at %d steps: p99 %.3f texel\n", size(), size(), Techniques::name(set).c_str(),
              counts[next], errors.p99);
    return true;
  }

  // The answer's colour program drawn over the view, one draw a frame; the
  // first warms up and gives the frame for the image figures, the others are
  // timed until the sampler has enough.
  bool time() {
    unsigned const set = sets[setIndex];
    double ms = 0;
    std::string error;
    std::vector<unsigned char> frame;
    bool const first = drawsDone == 0;
    if (drawsDone == 1) timingStart = m.seconds();
    if (!m.drawColour(snap, MeasureScene::Draw{set, counts[answer], ""}, first && imaged ? &frame : nullptr, &ms,
                      error)) {
      con << "fidelity scale: the colour program for " << Techniques::name(set) << " failed: " << error << "\n";
      return endTiming(false);
    }
    if (first && imaged && !image->compare(set, frame, imageResult, error))
      con << "fidelity scale: the image figures of " << Techniques::name(set) << ": " << error << "\n";
    if (never) return endTiming(false);
    if (drawsDone++ > 0) timing.add(ms, m.seconds() - timingStart);
    if (drawsDone == 1 || timing.wantsMore()) return true;
    return endTiming(true);
  }

  bool endTiming(bool timed) {
    addRow(tried.at(answer), never ? "never" : std::to_string(counts[answer]), timed);
    imageResult = ImageFidelity::Result();
    phase = Phase::Search;
    startSet(setIndex + 1);
    return true;
  }

  // The step counts measured for the current set, smallest first.
  std::string measured() const {
    std::string out;
    for (auto const& t : tried) out += (out.empty() ? "" : " ") + std::to_string(counts[t.first]);
    return out;
  }

  // A row of errors, with the sampler's time and its cells when `timed`.
  void addRow(FidelityMeter::Errors const& e, std::string const& steps, bool timed) {
    std::vector<std::string> row{Techniques::name(sets[setIndex]), std::to_string(size()), steps,
                                 timed ? ResultTable::number(timing.result().median) : "-"};
    std::vector<std::string> const cells = timing.cells(static_cast<double>(meter->pixels()));
    for (size_t i = 0; i < DrawSampler::columns().size(); ++i) row.push_back(timed ? cells[i] : "-");
    row.insert(row.end(), {ResultTable::number(e.mean), ResultTable::number(e.p95), ResultTable::number(e.p99),
                                 ResultTable::number(e.over1, 4), ResultTable::number(e.max)});
    for (std::string const& c : ImageFidelity::cells(imageResult)) row.push_back(c);
    row.push_back(measured());
    table.add(row);
  }

  bool finish() {
    image.reset();
    meter.reset();
    m.restoreMaps();
    m.setMeasuring(false);
    // The rows measure the wall grid, not the user's heights.
    MeasureScene::Snapshot measured = snap;
    measured.heightMap = "the wall grid (hardmap walls SIZE) at each row's size, 8-bit";
    measured.normalMap = "generated";
    addRunContext(table, measured, static_cast<long long>(pixels));
    table.report("fidelity scale: the fewest steps with a p99 error under half a texel on the wall grid, errors in texels of each map (at the largest count where none gets there), " +
                     snap.description,
                 path, "fidelity");
    return false;
  }

  static std::vector<std::string> tableColumns() {
    std::vector<std::string> c{"set", "size", "steps", "gpu_ms"};
    for (std::string const& d : DrawSampler::columns()) c.push_back(d);
    c.insert(c.end(), {"mean", "p95", "p99", "over1", "max", "flip_mean", "flip_p99", "flip_over", "measured_steps"});
    return c;
  }

  MeasureScene& m;
  MeasureScene::Snapshot const snap;
  std::string path;
  std::vector<int> sizes;
  std::vector<unsigned> sets;
  std::vector<int> counts;
  ResultTable table{tableColumns()};
  std::unique_ptr<FidelityMeter> meter;
  std::unique_ptr<ImageFidelity> image;
  bool imaged = false;  // the shader draws reference frames
  bool never = false;   // the set misses at the largest count
  ImageFidelity::Result imageResult;  // the answer's
  Phase phase = Phase::Load;
  size_t sizeIndex = 0, setIndex = 0;
  std::map<size_t, FidelityMeter::Errors> tried;  // by index into counts
  size_t lo = 0, hi = 0, answer = 0;
  int drawsDone = 0, shownPercent = 0;
  size_t pixels = 0;  // measured at every size: the view is the same
  DrawSampler timing;      // the answer's timed draws
  double timingStart = 0;  // when the first of them began (MeasureScene::seconds)
  MapsWait maps{"fidelity scale"};
};

}  // namespace

std::unique_ptr<BenchJob> makeScaleJob(MeasureScene& scene, std::string const& path, ScalePlan const& plan) {
  return std::unique_ptr<BenchJob>(new ScaleJob(scene, path, plan));
}
