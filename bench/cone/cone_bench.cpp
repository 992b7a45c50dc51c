// Speed of the relief reference on the CPU: cone maps, relaxed and
// conservative, of 256² to 4096² height fields on 2 threads (the wall grid,
// and the bench's brick map tiled to size), of smooth noisy hills up to 1024²
// (wide cones near many near-ties, the search's hard case), brute force at 64²
// for scale, and the exact eye and light trace of an 800x600 view with and
// without empty-space skipping, on the brick map and on the hard maps at
// 1024² (the wall grid, where the pyramid skips little).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "NormalMap.h"
#include "ConeMap.h"
#include "HardMaps.h"
#include "HeightField.h"
#include "ReliefTracer.h"
#include "base/image.h"
#include "base/imagesystem.h"

namespace {

// The brick map's heights as the bench makes them (the alpha of its normal
// map), tiled to size. A flat field if the picture cannot be read.
HeightField bricks(int size) {
  ImageSystem::init();
  Image* img = ImageSystem::load(RB_DATA_DIR "/bumptest.bmp");
  std::vector<unsigned char> rgb(static_cast<size_t>(size) * static_cast<size_t>(size) * 3, 128);
  if (img && img->bitsPerPixel == 24)
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        for (int c = 0; c < 3; ++c)
          rgb[(static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)) * 3 + static_cast<size_t>(c)] =
              img->data[(static_cast<size_t>(y % img->height) * static_cast<size_t>(img->width) +
                         static_cast<size_t>(x % img->width)) * 3 + static_cast<size_t>(c)];
  if (img) {
    img->unload();
    delete img;
  }
  std::vector<unsigned char> rgba(static_cast<size_t>(size) * static_cast<size_t>(size) * 4);
  NormalMap::computeNormalMap(rgb.data(), size, size, 100.0f, rgba.data());
  return HeightField::fromRgba8(rgba.data(), size, size);
}

// Smooth hills a few dozen texels across with some noise on them: wide cones
// to search for, the harder case.
HeightField hills(int size) {
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> jitter(-0.03f, 0.03f);
  std::vector<float> h(static_cast<size_t>(size) * static_cast<size_t>(size));
  float const k = 2.0f * 3.14159265f * 8.0f / static_cast<float>(size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      h[static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)] =
          0.5f + 0.4f * std::sin(k * static_cast<float>(x)) * std::sin(k * static_cast<float>(y)) + jitter(rng);
  return HeightField(size, size, std::move(h));
}

HeightField walls(int size) { return HardMaps::make(HardMaps::Kind::Walls, size); }

// The cone texture's ratios for the cone march's linear reads, on the 2
// threads of the project's build machine; the first argument is the map's
// size, the second 0 for relaxed cones, 1 for conservative ones.
template <HeightField (*Make)(int)>
void coneMap(benchmark::State& state) {
  HeightField const field = Make(static_cast<int>(state.range(0)));
  ConeMap::Kind const kind = state.range(1) ? ConeMap::Kind::Conservative : ConeMap::Kind::Relaxed;
  for (auto _ : state) {
    std::vector<float> ratios = ConeMap::generate(field, 2, nullptr, nullptr, kind, ConeMap::Reading::Linear);
    benchmark::DoNotOptimize(ratios.data());
  }
  state.SetLabel(ConeMap::name(kind));
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}

void coneMapBruteForce(benchmark::State& state) {
  HeightField const field = bricks(256);
  // A 64² corner of the bricks, to show what the search saves.
  std::vector<float> corner(64 * 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) corner[static_cast<size_t>(y) * 64 + static_cast<size_t>(x)] = field.texel(x, y);
  HeightField const small(64, 64, std::move(corner));
  ConeMap::Kind const kind = state.range(0) ? ConeMap::Kind::Conservative : ConeMap::Kind::Relaxed;
  for (auto _ : state) {
    std::vector<float> ratios = ConeMap::rawBruteForce(small, kind);
    benchmark::DoNotOptimize(ratios.data());
  }
  state.SetLabel(ConeMap::name(kind));
}

// The sizes of the cone-map runs: a few runs at the small ones, one at the
// large ones, which keeps the whole sweep to a few minutes.
void coneSizes(benchmark::internal::Benchmark* b, int largest) {
  for (int kind : {0, 1})
    for (int size = 256; size <= largest; size *= 2) b->Args({size, kind});
}

// An 800x600 view of the 256² brick map repeated twice across: every pixel
// covered, the eye ray leaning 45 to 76 degrees off the normal (a reach of 26
// to 102 texels at the default depth of 0.1) and turning across the screen,
// the light at about 50 degrees.
std::vector<TraceInput> view() {
  std::vector<TraceInput> in;
  in.reserve(800 * 600);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      float const fx = static_cast<float>(x) / 800.0f, fy = static_cast<float>(y) / 600.0f;
      float const lean = 1.0f + 3.0f * fy, turn = 6.2831853f * fx;
      in.push_back({2.0f * fx, 1.5f * fy, {lean * std::cos(turn), lean * std::sin(turn), 1.0f}, {0.8f, 0.5f, 0.8f}});
    }
  return in;
}

void trace800x600(benchmark::State& state) {
  HeightField const field = bricks(256);
  ReliefTracer const tracer(field, 0.1f, state.range(0) != 0);
  std::vector<TraceInput> const in = view();
  std::vector<TraceResult> out(in.size());
  for (auto _ : state) {
    tracer.traceAll(in.data(), out.data(), in.size(), 0);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}

// The same view over a hard map: the map's size is the first argument, its
// kind the second.
void traceHard(benchmark::State& state) {
  auto const kind = static_cast<HardMaps::Kind>(state.range(1));
  HeightField const field = HardMaps::make(kind, static_cast<int>(state.range(0)));
  ReliefTracer const tracer(field, 0.1f);
  std::vector<TraceInput> const in = view();
  std::vector<TraceResult> out(in.size());
  for (auto _ : state) {
    tracer.traceAll(in.data(), out.data(), in.size(), 0);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetLabel(HardMaps::name(kind));
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}

}  // namespace

BENCHMARK_TEMPLATE(coneMap, walls)->Name("cone/walls")->Apply([](auto* b) { coneSizes(b, 512); })->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(coneMap, walls)
    ->Name("cone/walls")
    ->ArgsProduct({{1024, 2048, 4096}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_TEMPLATE(coneMap, bricks)->Name("cone/bricks")->Apply([](auto* b) { coneSizes(b, 512); })->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(coneMap, bricks)
    ->Name("cone/bricks")
    ->ArgsProduct({{1024, 2048, 4096}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_TEMPLATE(coneMap, hills)->Name("cone/hills")->Apply([](auto* b) { coneSizes(b, 512); })->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(coneMap, hills)->Name("cone/hills")->ArgsProduct({{1024}, {0, 1}})->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(coneMapBruteForce)->Name("cone/bruteforce/bricks64")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(trace800x600)->Name("trace800x600/skipping")->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(trace800x600)->Name("trace800x600/plain")->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(traceHard)
    ->Name("trace800x600/hard")
    ->Args({1024, static_cast<int>(HardMaps::Kind::Walls)})
    ->Args({1024, static_cast<int>(HardMaps::Kind::Spikes)})
    ->Args({1024, static_cast<int>(HardMaps::Kind::Ripple)})
    ->Args({256, static_cast<int>(HardMaps::Kind::Walls)})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
