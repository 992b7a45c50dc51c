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
  for (size_t tri = 0; tri < out.triangles; ++tri) {
    size_t v[3];
    bool valid = true;
    for (int k = 0; k < 3; ++k) {
      int const i = indices[3 * tri + static_cast<size_t>(k)];
      valid = valid && i >= 0 && static_cast<size_t>(i) < vertices;
      v[k] = valid ? static_cast<size_t>(i) : 0;
    }
    if (!valid) continue;
    // Component c of vertex k's position, normal and texture coordinate.
    auto p = [&](int k, int c) { return static_cast<double>(positions[3 * v[k] + static_cast<size_t>(c)]); };
    auto n = [&](int k, int c) { return static_cast<double>(normals[3 * v[k] + static_cast<size_t>(c)]); };
    auto tex = [&](int k, int c) { return static_cast<double>(uv[2 * v[k] + static_cast<size_t>(c)]); };
    double e1[3], e2[3];
    for (int c = 0; c < 3; ++c) {
      e1[c] = p(1, c) - p(0, c);
      e2[c] = p(2, c) - p(0, c);
    }
    double const face[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    double facing = face[0] * face[0] + face[1] * face[1] + face[2] * face[2];  // against its own winding
    if (!normals.empty()) {
      facing = 0;
      for (int c = 0; c < 3; ++c) facing += face[c] * (n(0, c) + n(1, c) + n(2, c));
    }
    double const area =
        (tex(1, 0) - tex(0, 0)) * (tex(2, 1) - tex(0, 1)) - (tex(2, 0) - tex(0, 0)) * (tex(1, 1) - tex(0, 1));
    if (!(std::fabs(area) > 0) || !(std::fabs(facing) > 0)) continue;  // no area, or NaN
    ++out.counted;
    ++((area > 0) == (facing > 0) ? out.rightHanded : out.leftHanded);
  }
  return out;
}
