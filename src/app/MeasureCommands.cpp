// The measuring commands: profile, fidelity (table, sweep, map) and
// contactsheet read their arguments and start their jobs on the module's scene.
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "ConsoleArgs.h"
#include "MeasureJobs.h"
#include "ShaderScene.h"
#include "base/console.h"
#include "base/cvar.h"

namespace {

int const defaultProfileFrames = 30;

// Starts a job on the running bench; says so when the bench is not running.
void startJob(char const* command, std::function<std::unique_ptr<BenchJob>(MeasureScene&)> const& make) {
  if (!shaderTestModule.getGui() || shaderTestModule.viewWidth() <= 0) {
    con << command << ": the bench is not running\n";
    return;
  }
  shaderTestModule.jobs().start(make(shaderTestModule));
}

void CFunc_profile(int argc, char** argv) {
  int frames = defaultProfileFrames;
  std::string csv;
  for (int i = 1; i < argc; ++i) {
    std::string const arg = unquote(argv[i]);
    char* end = nullptr;
    long const n = std::strtol(arg.c_str(), &end, 10);
    if (i == 1 && !arg.empty() && *end == '\0') {
      if (n < 1 || n > 10000) {
        con << "profile: FRAMES must be 1 to 10000, not " << arg << "\n";
        return;
      }
      frames = static_cast<int>(n);
    } else if (csv.empty()) {
      csv = arg;
    } else {
      con << "usage: profile [FRAMES] [FILE.csv]\n";
      return;
    }
  }
  startJob("profile", [&](MeasureScene& s) { return makeProfileJob(s, frames, csv); });
}

void CFunc_fidelity(int argc, char** argv) {
  std::string const first = argc > 1 ? unquote(argv[1]) : std::string();
  FidelityMode mode = FidelityMode::Table;
  std::string path;
  if (first == "sweep" || first == "map") {
    if (argc != 3) {
      con << "usage: fidelity " << first << (first == "map" ? " FILE.png" : " FILE.csv") << "\n";
      return;
    }
    mode = first == "sweep" ? FidelityMode::Sweep : FidelityMode::Map;
    path = unquote(argv[2]);
  } else if (argc > 2) {
    con << "usage: fidelity [FILE.csv] | fidelity sweep FILE.csv | fidelity map FILE.png\n";
    return;
  } else {
    path = first;
  }
  startJob("fidelity", [&](MeasureScene& s) { return makeFidelityJob(s, mode, path); });
}

void CFunc_contactsheet(int argc, char** argv) {
  if (argc != 2) {
    con << "usage: contactsheet FILE.png\n";
    return;
  }
  std::string const path = unquote(argv[1]);
  startJob("contactsheet", [&](MeasureScene& s) { return makeContactSheetJob(s, path); });
}

CVar profileCmd("profile", CFunc_profile);
CVar fidelityCmd("fidelity", CFunc_fidelity);
CVar contactsheetCmd("contactsheet", CFunc_contactsheet);

}  // namespace
