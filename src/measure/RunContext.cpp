// RunContext: a snapshot written as context lines.
#include "RunContext.h"

#include <cctype>
#include <cstdio>

#include "ResultTable.h"
#include "base/view.h"

std::string cameraLine(View const& v) {
  _vec<3, float> const& p = v.basis.pos;
  _quat<float> const& q = v.basis.orient;
  char line[256];
  std::snprintf(line, sizeof line, "%g %g %g %g %g %g %g %g", static_cast<double>(p.x), static_cast<double>(p.y),
                static_cast<double>(p.z), static_cast<double>(q.x), static_cast<double>(q.y), static_cast<double>(q.z),
                static_cast<double>(q.w), static_cast<double>(v.width));
  return line;
}

bool softwareRenderer(std::string const& renderer) {
  std::string lower;
  for (char c : renderer) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char const* name : {"llvmpipe", "softpipe", "swrast", "software"})
    if (lower.find(name) != std::string::npos) return true;
  return false;
}

void addRunContext(ResultTable& table, MeasureScene::Snapshot const& snap, long long pixels) {
  ReliefSettings const& s = snap.settings;
  table.addContext("version", snap.version);
  table.addContext("renderer", snap.renderer);
  table.addContext("colorMap", snap.colorMap);
  table.addContext("heightMap", snap.heightMap);
  table.addContext("normalMap", snap.normalMap);
  table.addContext("polyDepth", ReliefSettings::format(s.polyThickness));
  table.addContext("bumpScale", ReliefSettings::format(s.bumpHeight));
  table.addContext("refineSteps", std::to_string(s.refineSteps));
  table.addContext("iterations", std::to_string(s.steps));
  table.addContext("steps", s.stepsAsUniforms ? "uniforms" : "literals");
  table.addContext("camera", cameraLine(snap.view));
  std::string view = std::to_string(snap.width) + "x" + std::to_string(snap.height);
  if (pixels >= 0) view += " " + std::to_string(pixels);
  table.addContext("view", view);
}
