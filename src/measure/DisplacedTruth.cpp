// DisplacedTruth: the shell, the eye rays and the trace on worker threads.
#include "DisplacedTruth.h"

#include <stdexcept>

#include "EyeRays.h"

bool DisplacedTruth::prepare(MeasureScene::Snapshot const& snap, HeightField const& field, std::vector<int> pixels,
                             std::string& error) {
  shell.reset();
  tracer.reset();
  if (!snap.mesh || snap.mesh->triangles.empty()) {
    error = "the snapshot holds no mesh to trace the displaced surface through";
    return false;
  }
  try {
    shell.reset(new ShellMesh(snap.mesh->vertices, snap.mesh->triangles, snap.settings.polyThickness * 0.2f));
  } catch (std::exception const& e) {
    error = std::string("the displaced surface cannot be traced through this mesh: ") + e.what();
    return false;
  }
  float const light[4] = {snap.light.x, snap.light.y, snap.light.z, snap.light.w};
  tracer.reset(new DisplacedTracer(*shell, field, light));
  pixelOf = std::move(pixels);
  index.assign(static_cast<size_t>(snap.width) * static_cast<size_t>(snap.height), -1);
  rays.resize(pixelOf.size());
  for (size_t i = 0; i < pixelOf.size(); ++i) {
    index[static_cast<size_t>(pixelOf[i])] = static_cast<int>(i);
    rays[i] = eyeRay(snap.view, snap.width, snap.height, pixelOf[i]);
  }
  traced.assign(pixelOf.size(), DisplacedResult{});
  return true;
}

void DisplacedTruth::trace(std::atomic<size_t>* done, std::atomic<bool> const* cancel) {
  if (tracer) tracer->traceAll(rays.data(), traced.data(), rays.size(), 0, done, cancel);
}
