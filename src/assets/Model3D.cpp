// Model3D: the mesh's vertices and triangles, its tangent frames with the
// welding of seams, and its texel scales (the drawing is gfx/Model3DRender).
#include "Model3D.h"

#include "WeldGroups.h"
#include "math/assert.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

static_assert(sizeof(Model3D::Vertex) == 19 * sizeof(float), "a vertex is nineteen packed floats");

namespace {

typedef _vec<3, float> vec3;

bool finite(vec3 const& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Normalises v in place when it has a length to divide by; false otherwise.
bool normalizeIfPossible(vec3& v) {
  double const len = v.len();
  if (!(len > 0.0) || !std::isfinite(len)) return false;
  v.normalize();
  return true;
}

// A unit vector orthogonal to the unit vector n: the coordinate axis least
// aligned with n, with its part along n removed.
vec3 anyPerpendicular(vec3 const& n) {
  float const ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
  vec3 axis = (ax <= ay && ax <= az) ? vec3(1, 0, 0) : (ay <= az ? vec3(0, 1, 0) : vec3(0, 0, 1));
  axis -= n * dot(axis, n);
  axis.normalize();
  return axis;
}

// Gives the members of each group the sum of their accumulated vector `k` when
// the members agree on its direction (the sum keeps at least 90% of their
// lengths): the two sides of a texture seam, or the wedges around a pole for
// the normal. Where they disagree (the tangents around a pole, the faces of a
// sharp corner) each keeps its own.
void shareAgreeing(std::vector<Model3D::Vertex>& vs, std::vector<size_t> const& leader, int k) {
  std::vector<vec3> sum(vs.size());
  std::vector<double> length(vs.size(), 0.0);
  std::vector<int> members(vs.size(), 0);
  for (size_t i = 0; i < vs.size(); ++i) {
    sum[leader[i]] += vs[i].basis.vec(k);
    length[leader[i]] += vs[i].basis.vec(k).len();
    ++members[leader[i]];
  }
  for (size_t i = 0; i < vs.size(); ++i) {
    size_t const g = leader[i];
    if (members[g] > 1 && sum[g].len() >= 0.9 * length[g] && length[g] > 0) vs[i].basis.vec(k) = sum[g];
  }
}

}  // namespace

void Model3D::reset() {
  vertices.clear();
  indices.clear();
}

void Model3D::addVtx(float x, float y, float z, float u, float v) {
  Vertex vtx;
  vtx.position = vec3(x, y, z);
  vtx.texCoord = _vec<2, float>(u, v);
  vertices.push_back(vtx);
}

void Model3D::addVtx(vec3 const& position, _vec<2, float> const& uv, vec3 const& normal, vec3 const& tangent,
                     float handedness) {
  Vertex vtx;
  vtx.position = position;
  vtx.texCoord = uv;
  vec3 n = normal;
  if (!finite(n) || !normalizeIfPossible(n)) n = vec3(0, 0, 1);
  vec3 t = tangent;
  if (finite(t)) t -= n * dot(t, n);
  if (!finite(t) || !normalizeIfPossible(t)) t = anyPerpendicular(n);
  vtx.basis.vec(0) = t;
  vtx.basis.vec(1) = cross(n, t);
  vtx.basis.vec(2) = n;
  vtx.handedness = handedness < 0.0f ? -1.0f : 1.0f;
  vertices.push_back(vtx);
}

bool Model3D::adopt(std::vector<Vertex>&& vs, std::vector<int>&& is) {
  if (is.size() % 3 != 0) return false;
  for (int index : is)
    if (index < 0 || static_cast<size_t>(index) >= vs.size()) return false;
  vertices = std::move(vs);
  indices = std::move(is);
  return true;
}

void Model3D::addTri(int i0, int i1, int i2) {
  // Triangles may name vertices that are added later (a grid row refers to the
  // next one); the indices are checked once the mesh is used.
  indices.push_back(i0);
  indices.push_back(i1);
  indices.push_back(i2);
}

void Model3D::computeBasii() {
  checkIndices();
  for (Vertex& v : vertices) {
    for (int i = 0; i < 3; ++i) v.basis.vec(i) = vec3();
  }

  for (size_t i = 0; i + 2 < indices.size(); i += 3) {
    Vertex* tri[3] = {&vertices[static_cast<size_t>(indices[i])], &vertices[static_cast<size_t>(indices[i + 1])],
                      &vertices[static_cast<size_t>(indices[i + 2])]};
    vec3 const e1 = tri[1]->position - tri[0]->position;
    vec3 const e2 = tri[2]->position - tri[0]->position;
    float const s1 = tri[1]->texCoord.x - tri[0]->texCoord.x;
    float const t1 = tri[1]->texCoord.y - tri[0]->texCoord.y;
    float const s2 = tri[2]->texCoord.x - tri[0]->texCoord.x;
    float const t2 = tri[2]->texCoord.y - tri[0]->texCoord.y;

    // Directions of increasing u and v across the triangle, left unnormalised so
    // that larger triangles weigh more. A mapping without texture-space area
    // defines neither (1 / 0), so such a triangle adds nothing to them.
    float const r = 1.0f / (s1 * t2 - s2 * t1);
    vec3 const sdir = (e1 * t2 - e2 * t1) * r;
    vec3 const tdir = (e2 * s1 - e1 * s2) * r;
    bool const mapped = std::isfinite(r) && finite(sdir) && finite(tdir);

    // Unit face normal, counter-clockwise front; each triangle counts the same
    // whatever its size. A triangle without area (two corners at a pole) has
    // none and adds none.
    vec3 n = cross(tri[1]->position - tri[0]->position, tri[2]->position - tri[1]->position);
    bool const hasNormal = normalizeIfPossible(n);

    for (Vertex* v : tri) {
      if (mapped) v->basis.vec(0) += sdir;
    }
    for (Vertex* v : tri) {
      if (mapped) v->basis.vec(1) += tdir;
    }
    for (Vertex* v : tri) {
      if (hasNormal) v->basis.vec(2) += n;
    }
  }

  // Vertices at one position share one smooth frame where their neighbourhoods
  // agree, so that a seam or a pole shows no step in the lighting.
  std::vector<size_t> const groups = weldGroups(vertices);
  for (int k = 0; k < 3; ++k) shareAgreeing(vertices, groups, k);

  for (Vertex& v : vertices) {
    vec3 normal = v.basis.vec(2);
    vec3 tangent = v.basis.vec(0);
    vec3 vDir = v.basis.vec(1);
    // Normals of opposite faces can cancel; a vertex that no triangle reaches
    // has none at all. Both keep the frame's default axis.
    if (!normalizeIfPossible(normal)) normal = vec3(0, 0, 1);
    tangent -= normal * dot(tangent, normal);  // Gram-Schmidt against the normal
    if (!normalizeIfPossible(tangent)) tangent = anyPerpendicular(normal);
    vec3 binormal = cross(normal, tangent);
    // The accumulated v direction decides the handedness; a vertex without one
    // counts as right-handed.
    v.handedness = (!normalizeIfPossible(vDir) || dot(binormal, vDir) >= 0.0f) ? 1.0f : -1.0f;
    binormal.normalize();
    v.basis.vec(0) = tangent;
    v.basis.vec(1) = binormal;
    v.basis.vec(2) = normal;
  }
  computeTexelScales();
  computeCurvatures();
}

void Model3D::computeTexelScales() {
  checkIndices();
  std::vector<double> area(vertices.size(), 0.0);
  std::vector<_vec<2, double> > sum(vertices.size());
  for (size_t i = 0; i + 2 < indices.size(); i += 3) {
    Vertex* tri[3] = {&vertices[static_cast<size_t>(indices[i])], &vertices[static_cast<size_t>(indices[i + 1])],
                      &vertices[static_cast<size_t>(indices[i + 2])]};
    vec3 const e1 = tri[1]->position - tri[0]->position;
    vec3 const e2 = tri[2]->position - tri[0]->position;
    double const s1 = tri[1]->texCoord.x - tri[0]->texCoord.x, t1 = tri[1]->texCoord.y - tri[0]->texCoord.y;
    double const s2 = tri[2]->texCoord.x - tri[0]->texCoord.x, t2 = tri[2]->texCoord.y - tri[0]->texCoord.y;
    double const r = 1.0 / (s1 * t2 - s2 * t1);
    double const a = cross(e1, e2).len();
    if (!std::isfinite(r) || !(a > 0.0) || !std::isfinite(a)) continue;
    // dP/du and dP/dv of the triangle's linear mapping.
    vec3 const dpdu = (e1 * static_cast<float>(t2) - e2 * static_cast<float>(t1)) * static_cast<float>(r);
    vec3 const dpdv = (e2 * static_cast<float>(s1) - e1 * static_cast<float>(s2)) * static_cast<float>(r);
    double const lu = dpdu.len(), lv = dpdv.len();
    if (!std::isfinite(lu) || !std::isfinite(lv)) continue;
    for (Vertex* v : tri) {
      size_t const k = static_cast<size_t>(v - vertices.data());
      area[k] += a;
      sum[k].x += a * lu;
      sum[k].y += a * lv;
    }
  }
  for (size_t k = 0; k < vertices.size(); ++k)
    vertices[k].texelScale = area[k] > 0.0 ? _vec<2, float>(static_cast<float>(sum[k].x / area[k]),
                                                            static_cast<float>(sum[k].y / area[k]))
                                           : _vec<2, float>(1.0f, 1.0f);
}

void Model3D::checkIndices() const {
  size_t const count = vertices.size();
  for (int index : indices) ASSERT(0 <= index && static_cast<size_t>(index) < count);
}
