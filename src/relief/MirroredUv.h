// MirroredUv: how many of a mesh's triangles have their texture mirrored
// against the rest, which no single tangent-frame handedness can shade.
#pragma once

#include <cstddef>
#include <vector>

// A triangle's texture is mirrored or not by the sign of
//   A * (((p1 - p0) x (p2 - p0)) . N),
// A = (u1 - u0)(v2 - v0) - (u2 - u0)(v1 - v0) being its signed area in
// texture space and N its geometric normal: the sum of its three vertex
// normals where the mesh has them (the side the mesh calls outward), else the
// normal of its own winding (then only the sign of A counts). A positive sign
// is a right-handed frame (tangent, bitangent, normal). Triangles without area
// in space or in texture space, with coordinates that are not numbers, whose
// vertex normals cancel, or with an index that names no vertex are not counted.
struct MirroredUv {
  size_t triangles = 0;     // all triangles given
  size_t counted = 0;       // those with a handedness
  size_t rightHanded = 0;   // positive sign
  size_t leftHanded = 0;    // negative sign

  // The share of counted triangles whose handedness is not the majority's
  // (0 when none are counted); a tie counts the left-handed ones.
  double share() const;
  // Whether most counted triangles are right-handed (ties: yes).
  bool majorityRightHanded() const { return rightHanded >= leftHanded; }
};

// positions: 3 floats per vertex; uv: 2 per vertex; indices: 3 per triangle;
// normals: 3 floats per vertex, or empty. Vertex counts are taken from
// positions; uv and normals shorter than that leave the vertices they lack
// out of every triangle that uses them.
MirroredUv mirroredUvShare(std::vector<float> const& positions, std::vector<float> const& uv,
                           std::vector<int> const& indices, std::vector<float> const& normals = {});
