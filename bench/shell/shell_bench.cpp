// Speed of the displaced-surface reference: the bench's sphere at its start-up
// view (800x600, the camera and light as the bench starts them) with the
// bundled brick heights, at Poly Depth 0.5 and 2, on two threads; and the
// tangent-plane reference on the same pixels for scale.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "DisplacedTracer.h"
#include "HeightField.h"
#include "Model3D.h"
#include "NormalMap.h"
#include "ReliefTracer.h"
#include "ShellMesh.h"
#include "Sphere.h"
#include "base/image.h"
#include "base/imagesystem.h"
#include "math/quat.h"

namespace {

// The brick heights as the bench makes them: the alpha of the normal map
// generated from data/bumptest.bmp. A flat field if the picture cannot be read.
HeightField bricks() {
  ImageSystem::init();
  Image* img = ImageSystem::load(RB_DATA_DIR "/bumptest.bmp");
  if (!img || img->bitsPerPixel != 24) {
    if (img) {
      img->unload();
      delete img;
    }
    return HeightField(4, 4, std::vector<float>(16, 0.5f));
  }
  int const w = img->width, h = img->height;
  std::vector<unsigned char> rgba(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
  NormalMap::computeNormalMap(img->data, w, h, 100.0f, rgba.data());
  img->unload();
  delete img;
  return HeightField::fromRgba8(rgba.data(), w, h);
}

// The bench's sphere as the shell takes it.
std::vector<ShellVertex> sphereVertices(Model3D const& mesh) {
  std::vector<ShellVertex> out;
  for (Model3D::Vertex const& v : mesh.getVertices()) {
    ShellVertex s{};
    for (int k = 0; k < 3; ++k) {
      s.position[k] = v.position[k];
      s.normal[k] = v.basis.vec(2)[k];
      s.tangent[k] = v.basis.vec(0)[k];
    }
    s.handedness = v.handedness;
    s.uv[0] = v.texCoord.x;
    s.uv[1] = v.texCoord.y;
    s.texelScale[0] = v.texelScale.x;
    s.texelScale[1] = v.texelScale.y;
    out.push_back(s);
  }
  return out;
}

// The start-up view's eye rays, one per pixel through its centre: the camera
// at (-55.306, 0.000232944, 14.3633) looks along its local +x, +y the
// screen's left, +z up, half-width 0.1 at distance 1, the height from the
// aspect (aspect mode 1).
std::vector<DisplacedRay> startUpRays(int width, int height) {
  _quat<float> const q(-0.700785f, 0.0943430f, 0.0943405f, 0.700785f);
  _vec<3, float> const ax = q.xAxis(), left = q.yAxis(), up = q.zAxis();
  float const w = 0.1f, h = w * static_cast<float>(height) / static_cast<float>(width);
  std::vector<DisplacedRay> rays;
  rays.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      float const sx = (2.0f * (static_cast<float>(x) + 0.5f) / static_cast<float>(width) - 1.0f) * w;
      float const sy = (2.0f * (static_cast<float>(y) + 0.5f) / static_cast<float>(height) - 1.0f) * h;
      DisplacedRay r{{-55.306f, 0.000232944f, 14.3633f}, {}};
      for (int k = 0; k < 3; ++k) r.direction[k] = ax[k] - left[k] * sx + up[k] * sy;
      rays.push_back(r);
    }
  return rays;
}

float const startUpLight[4] = {-7.60227f, 0.788751f, 0.296831f, 1.0f};

struct Scene {
  Scene(float polyThickness) {
    Model3D mesh;
    buildBenchSphere(mesh);
    shell.reset(new ShellMesh(sphereVertices(mesh), mesh.getIndices(), polyThickness * 0.2f));
    rays = startUpRays(800, 600);
  }
  HeightField field = bricks();
  std::unique_ptr<ShellMesh> shell;
  std::vector<DisplacedRay> rays;
};

// range(0): Poly Depth in tenths.
void displaced(benchmark::State& state) {
  Scene const scene(static_cast<float>(state.range(0)) / 10.0f);
  DisplacedTracer const tracer(*scene.shell, scene.field, startUpLight);
  std::vector<DisplacedResult> out(scene.rays.size());
  for (auto _ : state) {
    tracer.traceAll(scene.rays.data(), out.data(), out.size(), 2);
    benchmark::DoNotOptimize(out.data());
  }
  size_t hits = 0, lit = 0;
  for (DisplacedResult const& r : out) hits += r.hit, lit += r.lit;
  state.counters["hits"] = static_cast<double>(hits);
  state.counters["lit"] = static_cast<double>(lit);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(out.size()));
}

// The shell's construction alone.
void build(benchmark::State& state) {
  Model3D mesh;
  buildBenchSphere(mesh);
  std::vector<ShellVertex> const vertices = sphereVertices(mesh);
  for (auto _ : state) {
    ShellMesh const shell(vertices, mesh.getIndices(), 0.1f);
    benchmark::DoNotOptimize(shell.tetCount());
  }
}

// The tangent-plane reference on the pixels the sphere covers, its inputs as
// the vertex shader would give them.
void tangentPlane(benchmark::State& state) {
  float const polyThickness = static_cast<float>(state.range(0)) / 10.0f;
  Scene const scene(polyThickness);
  DisplacedTracer const tracer(*scene.shell, scene.field, startUpLight);
  std::vector<TraceInput> in;
  for (DisplacedRay const& r : scene.rays) {
    TraceInput t;
    if (tracer.tangentPlaneInput(r, t)) in.push_back(t);
  }
  ReliefTracer const reference(scene.field, polyThickness * 0.2f);
  std::vector<TraceResult> out(in.size());
  for (auto _ : state) {
    reference.traceAll(in.data(), out.data(), in.size(), 2);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["pixels"] = static_cast<double>(in.size());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}

}  // namespace

BENCHMARK(displaced)->Name("shell/startup800x600/displaced")->Arg(5)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(tangentPlane)->Name("shell/startup800x600/tangentplane")->Arg(5)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(build)->Name("shell/build/sphere")->Unit(benchmark::kMillisecond)->UseRealTime();
