// The measuring commands: profile, fidelity (table, sweep, map, angles, scale,
// reference, path), contactsheet and frontier read their arguments (the sets
// and counts of the user's choice among them) and start their jobs on the
// module's scene; flipPpd sets the image figures' viewer, fidelityTruth the
// truth the fidelity figures are against.
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BenchCommands.h"
#include "ConsoleArgs.h"
#include "Flip.h"
#include "FrontierReport.h"
#include "MeasureJobs.h"
#include "PlanWords.h"
#include "ShaderScene.h"
#include "base/console.h"
#include "base/cvar.h"
#include "base/outputpath.h"
#include "base/parsenumber.h"

namespace {

std::vector<std::string> const csvNames = {".csv"};
std::vector<std::string> const pictureNames = {".png", ".jpg", ".jpeg"};

// Whether `path` can take what `command` writes: a name with one of the
// extensions, in a place where a file can be written. Says why not.
bool targetOk(char const* command, std::string const& path, std::vector<std::string> const& extensions) {
  std::string error;
  if (checkOutputPath(path, extensions, error)) return true;
  con << command << ": " << error << "\n";
  return false;
}

// Starts a job on the running bench; says so when the bench is not running.
void startJob(char const* command, std::function<std::unique_ptr<BenchJob>(MeasureScene&)> const& make) {
  if (!shaderTestModule.getGui() || shaderTestModule.viewWidth() <= 0) {
    con << command << ": the bench is not running\n";
    return;
  }
  shaderTestModule.jobs().start(make(shaderTestModule.measureScene()));
}

// The sets (and, with `lists`, the step and bisection counts) of a measuring
// command's words; false after saying what is wrong and how the command goes.
bool readPlan(char const* command, char const* usage, std::vector<std::string> const& words, bool lists,
              PlanWords& plan) {
  std::string error;
  if (parsePlanWords(words, lists, plan, error)) return true;
  con << command << ": " << error << " (usage: " << usage << ")\n";
  return false;
}

char const* const profileUsage = "profile [FRAMES] [FILE.csv] [SET ...]";

void CFunc_profile(int argc, char** argv) {
  int frames = 0;  // none given: as many draws as the sampler wants
  std::string csv;
  int i = 1;
  for (; i < argc && i <= 2; ++i) {
    std::string const arg = unquote(argv[i]);
    bool const digits = !arg.empty() && arg.find_first_not_of("0123456789") == std::string::npos;
    if (i == 1 && digits) {
      long const n = arg.size() > 6 ? 0 : std::strtol(arg.c_str(), nullptr, 10);
      if (n < 1 || n > 10000) {
        con << "profile: FRAMES must be 1 to 10000, not " << arg << "\n";
        return;
      }
      frames = static_cast<int>(n);
    } else if (csv.empty() && hasExtension(arg, csvNames)) {
      csv = arg;
    } else {
      break;
    }
  }
  PlanWords plan;
  if (!readPlan("profile", profileUsage, tokens(argv, i, argc), false, plan)) return;
  if (!csv.empty() && !targetOk("profile", csv, csvNames)) return;
  startJob("profile", [&](MeasureScene& s) { return makeProfileJob(s, frames, csv, plan.sets); });
}

char const* const pathUsage = "fidelity path FILE.csv [FRAMES] [DEGREES] [FRAMES.csv]";

// fidelity path FILE.csv [FRAMES] [DEGREES] [FRAMES.csv]: the frame count and
// the turn in that order, then the per-frame CSV.
void fidelityPath(int argc, char** argv) {
  if (argc < 3 || !hasExtension(unquote(argv[2]), csvNames)) {
    con << "usage: " << pathUsage << "\n";
    return;
  }
  PathPlan plan;
  std::string const path = unquote(argv[2]);
  int numbers = 0;
  for (int i = 3; i < argc; ++i) {
    std::string const arg = unquote(argv[i]);
    double value = 0;
    if (plan.framesCsv.empty() && numbers < 2 && parseFiniteDouble(arg.c_str(), value)) {
      if (numbers == 0 && (value != std::floor(value) || value < 2 || value > 100000)) {
        con << "fidelity path: FRAMES must be a whole number from 2 to 100000, not " << arg << "\n";
        return;
      }
      if (numbers == 1 && !(std::fabs(value) <= 360.0)) {
        con << "fidelity path: DEGREES must be from -360 to 360, not " << arg << "\n";
        return;
      }
      if (numbers++ == 0)
        plan.frames = static_cast<int>(value);
      else
        plan.degrees = value;
    } else if (plan.framesCsv.empty() && hasExtension(arg, csvNames)) {
      plan.framesCsv = arg;
    } else {
      con << "fidelity path: \"" << arg << "\" is not taken here\nusage: " << pathUsage << "\n";
      return;
    }
  }
  if (!targetOk("fidelity path", path, csvNames)) return;
  if (!plan.framesCsv.empty() && !targetOk("fidelity path", plan.framesCsv, csvNames)) return;
  startJob("fidelity", [&](MeasureScene& s) { return makePathJob(s, path, plan); });
}
char const* const sweepUsage = "fidelity sweep FILE.csv [SET ...] [steps N,N,...] [refine N,N,...]";
char const* const anglesUsage = "fidelity angles FILE.csv [SET ...]";

void CFunc_fidelity(int argc, char** argv) {
  std::string const first = argc > 1 ? unquote(argv[1]) : std::string();
  if (first == "path") {
    fidelityPath(argc, argv);
    return;
  }
  FidelityMode mode = FidelityMode::Table;
  bool scale = false;
  std::string path;
  SweepPlan plan;
  bool const picture = first == "map" || first == "reference";
  if (first == "sweep" || first == "angles") {
    if (argc < 3) {
      con << "usage: " << (first == "sweep" ? sweepUsage : anglesUsage) << "\n";
      return;
    }
    mode = first == "sweep" ? FidelityMode::Sweep : FidelityMode::Angles;
    path = unquote(argv[2]);
    PlanWords words;
    if (!readPlan("fidelity", mode == FidelityMode::Sweep ? sweepUsage : anglesUsage, tokens(argv, 3, argc),
                  mode == FidelityMode::Sweep, words))
      return;
    plan.sets = words.sets;
    plan.steps = words.steps;
    plan.refine = words.refine;
  } else if (picture || first == "scale") {
    if (argc != 3) {
      con << "usage: fidelity " << first << (picture ? " FILE.png" : " FILE.csv") << "\n";
      return;
    }
    mode = first == "map" ? FidelityMode::Map : first == "reference" ? FidelityMode::Reference : FidelityMode::Table;
    scale = first == "scale";
    path = unquote(argv[2]);
  } else if (argc > 2 || (argc == 2 && !hasExtension(first, csvNames))) {
    con << "usage: fidelity [FILE.csv] | " << sweepUsage << " | " << anglesUsage
        << " | fidelity scale FILE.csv | fidelity map|reference FILE.png | " << pathUsage << "\n";
    return;
  } else {
    path = first;
  }
  std::vector<std::string> const& kinds = picture ? pictureNames : csvNames;
  if ((mode != FidelityMode::Table || scale || !path.empty()) && !targetOk("fidelity", path, kinds)) return;
  if (scale)
    startJob("fidelity", [&](MeasureScene& s) { return makeScaleJob(s, path); });
  else
    startJob("fidelity", [&](MeasureScene& s) { return makeFidelityJob(s, mode, path, plan); });
}

void CFunc_contactsheet(int argc, char** argv) {
  char const* const usage = "contactsheet FILE.png [SET ...]";
  if (argc < 2) {
    con << "usage: " << usage << "\n";
    return;
  }
  std::string const path = unquote(argv[1]);
  PlanWords plan;
  if (!readPlan("contactsheet", usage, tokens(argv, 2, argc), false, plan)) return;
  if (!targetOk("contactsheet", path, pictureNames)) return;
  startJob("contactsheet", [&](MeasureScene& s) { return makeContactSheetJob(s, path, plan.sets); });
}

// The front of a sweep's error against its cost and the cheapest row under a
// target: from the CSV, or, with maxangle, from a sweep of the current view
// (the sets and counts after it, as fidelity sweep takes them) that leaves the
// pixels beyond that angle out and is written to FILE.csv first. The front
// goes to FILE-front.csv.
void CFunc_frontier(int argc, char** argv) {
  char const* const usage =
      "frontier FILE.csv [METRIC] [TARGET] [maxangle DEG [SET ...] [steps N,N,...] [refine N,N,...]] (METRIC: a "
      "column such as p99, the default, mean, p95, over1; TARGET: 1 texel by default)";
  if (argc < 2 || !hasExtension(unquote(argv[1]), csvNames)) {
    con << "usage: " << usage << "\n";
    return;
  }
  std::string const csv = unquote(argv[1]);
  Frontier::Options options;
  double maxAngle = std::nan("");
  int i = 2;
  bool metricGiven = false, targetGiven = false;
  for (; i < argc; ++i) {
    std::string const word = unquote(argv[i]);
    double value = 0;
    if (word.empty()) continue;
    if (word == "maxangle") {
      if (i + 1 >= argc || !parseFiniteDouble(unquote(argv[i + 1]).c_str(), value) || value <= 0 || value > 90) {
        con << "frontier: maxangle takes degrees above 0 and up to 90 (usage: " << usage << ")\n";
        return;
      }
      maxAngle = value;
      i += 2;
      break;
    }
    bool const number = parseFiniteDouble(word.c_str(), value);
    if (number && !targetGiven) {
      options.target = value;
      targetGiven = true;
    } else if (!number && !metricGiven) {
      options.error = word;
      metricGiven = true;
    } else {
      con << "frontier: \"" << word << "\" is neither a metric nor a target here (usage: " << usage << ")\n";
      return;
    }
  }
  if (std::isnan(maxAngle)) {
    reportFrontierOf(csv, options);
    return;
  }
  PlanWords words;
  if (!readPlan("frontier", usage, tokens(argv, i, argc), true, words)) return;
  if (!targetOk("frontier", csv, csvNames)) return;
  SweepPlan plan;
  plan.sets = words.sets;
  plan.steps = words.steps;
  plan.refine = words.refine;
  plan.maxAngle = maxAngle;
  std::string const front = frontierPath(csv);
  plan.done = [options, front](ResultTable const& sweep) { reportFrontier(sweep, options, front); };
  startJob("frontier", [&](MeasureScene& s) { return makeFidelityJob(s, FidelityMode::Sweep, csv, plan); });
}

// The image figures' viewer: one number of pixels per degree that the metric
// takes, else the line is refused and the value kept.
float pixelsPerDegree = Flip::kDefaultPixelsPerDegree;

class PixelsPerDegreeVar : public CVarw {
public:
  PixelsPerDegreeVar() : CVarw(&pixelsPerDegree, "flipPpd", nullptr, 1) {}
  void setValue(int argc, char** argv) override {
    float v = 0;
    if (argc != 2 || !parseFiniteFloat(unquote(argv[1]).c_str(), v) || !FlipFilters::acceptsPixelsPerDegree(v)) {
      con << "usage: flipPpd [N] (over 0, at most " << static_cast<double>(FlipFilters::kMaxPixelsPerDegree)
          << "; " << static_cast<double>(Flip::kDefaultPixelsPerDegree)
          << " by default): the pixels per degree of the image figures' viewer; nothing changed\n";
      return;
    }
    pixelsPerDegree = v;
  }
};

PixelsPerDegreeVar pixelsPerDegreeVar;

// The truth of the fidelity figures: a word, else the line is refused with
// one line and the truth kept.
FidelityTruth truthInUse = FidelityTruth::Plane;

class TruthVar : public CVarPrim {
public:
  TruthVar() : CVarPrim("fidelityTruth") {}
  void execArgs(int argc, char** argv) override {
    FidelityTruth t = truthInUse;
    if (argc > 2 || (argc == 2 && !FidelityTruths::parse(unquote(argv[1]), t))) {
      con << "usage: fidelityTruth [plane|displaced] (plane by default): the surface the fidelity figures are "
             "against; nothing changed\n";
      return;
    }
    truthInUse = t;
    echoData();
  }
  void echoData() override {
    con << "fidelityTruth " << FidelityTruths::name(truthInUse) << ": figures against "
        << FidelityTruths::describe(truthInUse) << "\n";
  }
};

TruthVar truthVar;

CVar profileCmd("profile", CFunc_profile);
CVar fidelityCmd("fidelity", CFunc_fidelity);
CVar contactsheetCmd("contactsheet", CFunc_contactsheet);
CVar frontierCmd("frontier", CFunc_frontier);

}  // namespace

float flipPixelsPerDegree() { return pixelsPerDegree; }

FidelityTruth fidelityTruth() { return truthInUse; }
