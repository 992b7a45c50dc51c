// MirroredUv: the handedness of each triangle's texture mapping, counted.
#include "MirroredUv.h"

#include <algorithm>
#include <cmath>

double MirroredUv::share() const {
  if (counted == 0) return 0.0;
  return static_cast<double>(std::min(rightHanded, leftHanded)) / static_cast<double>(counted);
}

MirroredUv mirroredUvShare(std::vector<float> const& positions, std::vector<float> const& uv,
                           std::vector<int> const& indices, std::vector<float> const& normals) {
  MirroredUv out;
  size_t vertices = std::min(positions.size() / 3, uv.size() / 2);
  if (!normals.empty()) vertices = std::min(vertices, normals.size() / 3);
  out.triangles = indices.size() / 3;
  for (size_t t = 0; t < out.triangles; ++t) {
    size_t v[3];
    bool valid = true;
    for (int k = 0; k < 3; ++k) {
      int const i = indices[3 * t + static_cast<size_t>(k)];
      valid = valid && i >= 0 && static_cast<size_t>(i) < vertices;
      v[k] = valid ? static_cast<size_t>(i) : 0;
    }
    if (!valid) continue;
    double e1[3], e2[3];
    for (int c = 0; c < 3; ++c) {
      e1[c] = static_cast<double>(positions[3 * v[1] + static_cast<size_t>(c)]) - positions[3 * v[0] + static_cast<size_t>(c)];
      e2[c] = static_cast<double>(positions[3 * v[2] + static_cast<size_t>(c)]) - positions[3 * v[0] + static_cast<size_t>(c)];
    }
    double const face[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    double facing = face[0] * face[0] + face[1] * face[1] + face[2] * face[2];  // against its own winding
    if (!normals.empty()) {
      facing = 0;
      for (int c = 0; c < 3; ++c) {
        double n = 0;
        for (int k = 0; k < 3; ++k) n += normals[3 * v[k] + static_cast<size_t>(c)];
        facing += face[c] * n;
      }
    }
    double const du1 = static_cast<double>(uv[2 * v[1]]) - uv[2 * v[0]], dv1 = static_cast<double>(uv[2 * v[1] + 1]) - uv[2 * v[0] + 1];
    double const du2 = static_cast<double>(uv[2 * v[2]]) - uv[2 * v[0]], dv2 = static_cast<double>(uv[2 * v[2] + 1]) - uv[2 * v[0] + 1];
    double const area = du1 * dv2 - du2 * dv1;
    if (!(std::fabs(area) > 0) || !(std::fabs(facing) > 0)) continue;  // no area, or NaN
    ++out.counted;
    ++((area > 0) == (facing > 0) ? out.rightHanded : out.leftHanded);
  }
  return out;
}
