// Normal-map generation speed on 512², 2048² and 4096² height maps: the direct
// texel-by-texel loop against the fast path, on noise and on the bench's brick
// height map tiled to size (many flat texels).
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BumpMap.h"
#include "base/image.h"
#include "base/imagesystem.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes noiseMap(int size) {
  std::mt19937 rng(7);
  Bytes rgb(static_cast<size_t>(size) * static_cast<size_t>(size) * 3);
  for (auto& c : rgb) c = static_cast<unsigned char>(rng());
  return rgb;
}

Bytes brickMap(int size) {
  ImageSystem::init();
  Image* img = ImageSystem::load(RB_DATA_DIR "/bumptest.bmp");
  Bytes rgb(static_cast<size_t>(size) * static_cast<size_t>(size) * 3);
  if (!img) return rgb;
  if (img->bitsPerPixel == 24)
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        unsigned char const* p = img->data + (static_cast<size_t>(y % img->height) * static_cast<size_t>(img->width) +
                                              static_cast<size_t>(x % img->width)) * 3;
        unsigned char* q = rgb.data() + (static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)) * 3;
        q[0] = p[0];
        q[1] = p[1];
        q[2] = p[2];
      }
  img->unload();
  delete img;
  return rgb;
}

template <void (*Generate)(unsigned char const*, int, int, float, unsigned char*), bool Bricks>
void normalMap(benchmark::State& state) {
  int const size = static_cast<int>(state.range(0));
  Bytes const rgb = Bricks ? brickMap(size) : noiseMap(size);
  Bytes out(static_cast<size_t>(size) * static_cast<size_t>(size) * 4);
  for (auto _ : state) {
    Generate(rgb.data(), size, size, 100.0f, out.data());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * size * size);
}

}  // namespace

BENCHMARK_TEMPLATE(normalMap, NormalMap::computeNormalMapReference, false)
    ->Name("direct/noise")->Arg(512)->Arg(2048)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(normalMap, NormalMap::computeNormalMap, false)
    ->Name("fast/noise")->Arg(512)->Arg(2048)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(normalMap, NormalMap::computeNormalMapReference, true)
    ->Name("direct/bricks")->Arg(512)->Arg(2048)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(normalMap, NormalMap::computeNormalMap, true)
    ->Name("fast/bricks")->Arg(512)->Arg(2048)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
