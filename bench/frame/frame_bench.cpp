// Frame time of the real bench module at 800x600 on an offscreen context, for
// the plain shader and several technique set-ups. Each frame is finished
// (glFinish) so the time covers the GPU (llvmpipe) work, not just submission.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ShaderScene.h"
#include "base/base.h"
#include "base/basemodule.h"
#include "base/cvarsys.h"
#include "sdlsystem/sdlsystem.h"

namespace {

void frame() { base_loopCallback(); }

void startBench() {
  static bool started = false;
  if (started) return;
  started = true;
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (chdir(RB_DATA_DIR) != 0) std::abort();
  sdlBindSingletons();
  shaderTestModule.init();
  base.setScene(&shaderTestModule);
  base.loopCallback = &shaderTestModule;
  sdlSys.setLoopFunc(frame);
  for (int i = 0; i < 3; ++i) sdlSys.pass();  // viewports laid out, caches warm
}

void exec(std::string const& line) {
  cvarSys.validate();
  cvarSys->exec(line.c_str());
}

void setUp(std::vector<std::string> const& techniques, int steps) {
  static char const* const all[] = {"PARALLAX", "OFFSET_LIMITING_EYE", "ITERATIVE",
                                    "ITERATIVE_LERP", "SHADOW_TRACE", "OFFSET_LIMITING_LIGHT"};
  for (char const* t : all) exec(std::string("technique ") + t + " 0");
  exec("iterations " + std::to_string(steps));
  for (std::string const& t : techniques) exec("technique " + t + " 1");
}

void runFrames(benchmark::State& state, std::vector<std::string> const& techniques, int steps) {
  startBench();
  setUp(techniques, steps);
  sdlSys.pass();
  glFinish();
  for (auto _ : state) {
    sdlSys.pass();
    glFinish();
  }
  // With real time measured, the rate counter is frames per wall-clock second.
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                             benchmark::Counter::kIsRate);
}

void BM_Plain(benchmark::State& s) { runFrames(s, {}, 32); }
void BM_Parallax(benchmark::State& s) { runFrames(s, {"PARALLAX"}, 32); }
void BM_IterativeLerp(benchmark::State& s) {
  runFrames(s, {"ITERATIVE", "ITERATIVE_LERP"}, static_cast<int>(s.range(0)));
}
void BM_AllSix(benchmark::State& s) {
  runFrames(s, {"PARALLAX", "OFFSET_LIMITING_EYE", "ITERATIVE", "ITERATIVE_LERP", "SHADOW_TRACE",
                "OFFSET_LIMITING_LIGHT"},
            32);
}

BENCHMARK(BM_Plain)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Parallax)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_IterativeLerp)->Arg(8)->Arg(32)->Arg(128)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_AllSix)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
