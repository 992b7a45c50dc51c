// Speed of the image metric: FLIP of a rendered-looking picture (a lit,
// brick-textured sphere on a graded background) against a copy with noise,
// a band of the bricks moved by a pixel and a few bright pixels, at 1920x1080
// and at the bench's 800x600 view, on every hardware thread (wall time).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "Flip.h"

namespace {

// The sphere fills most of the height, lit from the upper left; its texture
// is bricks (with mortar lines) in two tones; `shift` moves the bricks of the
// middle band one pixel to the right.
FlipPicture scene(int w, int h, bool perturbed) {
  FlipPicture p(w, h);
  std::mt19937 rng(7);
  std::normal_distribution<float> noise(0.0f, 0.02f);
  float const cx = 0.5f * static_cast<float>(w), cy = 0.5f * static_cast<float>(h), r = 0.45f * static_cast<float>(h);
  float const lx = -0.5f, ly = -0.6f, lz = 0.62f;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float const fy = static_cast<float>(y) / static_cast<float>(h);
      float cr = 0.15f + 0.1f * fy, cg = 0.17f + 0.1f * fy, cb = 0.25f + 0.15f * fy;
      float const nx = (static_cast<float>(x) - cx) / r, ny = (static_cast<float>(y) - cy) / r;
      float const d2 = nx * nx + ny * ny;
      if (d2 < 1.0f) {
        float const nz = std::sqrt(1.0f - d2);
        float const diffuse = std::max(0.0f, nx * lx + ny * ly + nz * lz);
        int const sx = x + (perturbed && std::abs(y - static_cast<int>(cy)) < h / 10 ? 1 : 0);
        float const u = std::atan2(nx, nz) * 40.0f + static_cast<float>(sx % 3) * 0.01f, v = std::asin(ny) * 40.0f;
        int const row = static_cast<int>(std::floor(v));
        float const fu = u + (row % 2 ? 0.5f : 0.0f);
        bool const mortar = v - static_cast<float>(row) < 0.12f || fu * 0.5f - std::floor(fu * 0.5f) < 0.06f;
        float const tone = mortar ? 0.75f : ((row * 7 + static_cast<int>(std::floor(fu * 0.5f)) * 3) % 5 ? 0.55f : 0.45f);
        float const shade = 0.1f + 0.9f * diffuse;
        cr = tone * shade;
        cg = tone * 0.45f * shade;
        cb = tone * 0.3f * shade;
      }
      if (perturbed) {
        float const n = noise(rng);
        cr += n;
        cg += n;
        cb += n;
      }
      p.set(x, y, std::clamp(cr, 0.0f, 1.0f), std::clamp(cg, 0.0f, 1.0f), std::clamp(cb, 0.0f, 1.0f));
    }
  if (perturbed)
    for (int i = 0; i < 200; ++i) p.set(static_cast<int>(rng() % static_cast<unsigned>(w)), static_cast<int>(rng() % static_cast<unsigned>(h)), 1, 1, 1);
  return p;
}

void flipPair(benchmark::State& state) {
  int const w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  FlipPicture const reference = scene(w, h, false), test = scene(w, h, true);
  Flip const flip;
  for (auto _ : state) {
    std::vector<float> map = flip.errorMap(reference, test);
    benchmark::DoNotOptimize(map.data());
  }
  state.SetItemsProcessed(state.iterations() * w * h);
}

}  // namespace

BENCHMARK(flipPair)->Args({1920, 1080})->Args({800, 600})->Unit(benchmark::kMillisecond)->UseRealTime();
