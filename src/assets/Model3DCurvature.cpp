// Model3D::computeCurvatures: each vertex's quadric along its tangent and
// binormal, fitted to the normal curvatures of the edges around it.
//
// The estimate: each edge from the vertex P (unit normal N) to a neighbour Q
// gives the normal curvature k = -2 N.(Q - P) / |Q - P|^2 along the edge's
// direction in the tangent plane (the circle through P and Q that touches the
// tangent plane at P has that curvature; positive where Q lies below the
// plane). Euler's formula k(theta) = kT cos^2 + 2 kTB cos sin + kB sin^2
// (theta from the tangent T) is fitted to them by least squares; kT and kB are
// the normal curvatures along T and the binormal B. On a sphere every chord
// gives k = 1/R exactly, however coarse the mesh, and on a flat mesh every k
// is 0. Unlike a fit of the heights alone it needs no weighting by the edges'
// lengths, and unlike differences of vertex normals it does not depend on how
// a file's normals were smoothed.
//
// The relief's units: a point du texture units along u from the vertex lies
// du * |dP/du| along T, where the surface has fallen kT (du |dP/du|)^2 / 2
// below the tangent plane; one texture unit of relief depth is
// sqrt(|dP/du| |dP/dv|) long. So the curvature stored along u is
// kT |dP/du|^2 / (2 sqrt(|dP/du| |dP/dv|)), and alike along v.
//
// Vertices at one position (a seam, a pole) whose normals agree pool their
// edges, so that each sees the whole ring around the point: a pole's vertices
// each touch only two of its neighbours. Normals that disagree mark a crease,
// whose faces keep their own edges. A vertex whose edges span fewer than three
// directions (a strip's end) gets their mean curvature both ways; one without
// edges gets 0.
#include "Model3D.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "WeldGroups.h"

namespace {

typedef _vec<3, float> vec3;

// Members of one weld group whose normals agree to within this cosine pool their edges.
double const agreeingNormals = 0.9;
// A group splits into at most this many sets of agreeing normals; members past
// them use their own edges only.
size_t const maxNormalSets = 64;
// A pooled ring longer than this is left to each member's own edges, so that
// a file with very many vertices at one place costs no more than its edges.
size_t const maxPooledRing = 1024;

// Lists of ints by owner, stored flat (compressed rows).
struct Rows {
  std::vector<size_t> start;
  std::vector<int> items;
  size_t size(size_t r) const { return start[r + 1] - start[r]; }
  int const* begin(size_t r) const { return items.data() + start[r]; }
  int const* end(size_t r) const { return items.data() + start[r + 1]; }
};

// Each vertex's neighbours along the triangles' edges, each once.
Rows neighbours(std::vector<Model3D::Vertex> const& vs, std::vector<int> const& ix) {
  Rows r;
  r.start.assign(vs.size() + 1, 0);
  for (size_t i = 0; i + 2 < ix.size(); i += 3)
    for (int c = 0; c < 3; ++c) r.start[static_cast<size_t>(ix[i + static_cast<size_t>(c)]) + 1] += 2;
  for (size_t k = 0; k < vs.size(); ++k) r.start[k + 1] += r.start[k];
  r.items.resize(r.start.back());
  std::vector<size_t> fill(r.start.begin(), r.start.end() - 1);
  for (size_t i = 0; i + 2 < ix.size(); i += 3)
    for (int c = 0; c < 3; ++c) {
      size_t const k = static_cast<size_t>(ix[i + static_cast<size_t>(c)]);
      r.items[fill[k]++] = ix[i + static_cast<size_t>((c + 1) % 3)];
      r.items[fill[k]++] = ix[i + static_cast<size_t>((c + 2) % 3)];
    }
  // Sorted and made unique in place; the rows close up behind.
  size_t out = 0;
  for (size_t k = 0; k < vs.size(); ++k) {
    auto first = r.items.begin() + static_cast<long>(r.start[k]), last = r.items.begin() + static_cast<long>(r.start[k + 1]);
    std::sort(first, last);
    last = std::unique(first, last);
    r.start[k] = out;
    for (auto it = first; it != last; ++it) r.items[out++] = *it;
  }
  r.start.back() = out;
  r.items.resize(out);
  return r;
}

// The normal curvatures along T and B at a vertex from the ring of points
// around it, as the file's header says.
_vec<2, double> fitCurvatures(Model3D::Vertex const& v, std::vector<Model3D::Vertex> const& vs, int const* first,
                              int const* last) {
  vec3 const &t = v.basis.vec(0), &b = v.basis.vec(1), &n = v.basis.vec(2);
  double m[3][3] = {}, rhs[3] = {}, sum = 0;
  int edges = 0;
  for (int const* j = first; j != last; ++j) {
    vec3 const d = vs[static_cast<size_t>(*j)].position - v.position;
    double const x = dot(d, t), y = dot(d, b), h = dot(d, n);
    double const len2 = x * x + y * y + h * h, across2 = x * x + y * y;
    if (!(across2 > 1e-12 * len2) || !std::isfinite(len2)) continue;  // at the vertex, or straight above it
    double const k = -2.0 * h / len2;
    double const row[3] = {x * x / across2, 2.0 * x * y / across2, y * y / across2};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) m[r][c] += row[r] * row[c];
      rhs[r] += row[r] * k;
    }
    sum += k;
    ++edges;
  }
  if (edges == 0) return _vec<2, double>(0.0, 0.0);
  // Cramer's rule on the normal equations; a ring of fewer than three
  // directions leaves them singular.
  auto det3 = [](double const a[3][3]) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  };
  double const det = det3(m);
  double const trace = m[0][0] + m[1][1] + m[2][2];
  if (!(std::fabs(det) > 1e-6 * trace * trace * trace)) return _vec<2, double>(sum / edges, sum / edges);
  double solved[2];
  for (int unknown : {0, 2}) {
    double a[3][3];
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) a[r][c] = c == unknown ? rhs[r] : m[r][c];
    solved[unknown / 2] = det3(a) / det;
  }
  return _vec<2, double>(solved[0], solved[1]);
}

}  // namespace

void Model3D::computeCurvatures() {
  checkIndices();
  Rows const ring = neighbours(vertices, indices);
  std::vector<size_t> const leader = weldGroups(vertices);

  // The groups' members, each group's in a row of its own.
  Rows members;
  members.start.assign(vertices.size() + 1, 0);
  for (size_t k = 0; k < vertices.size(); ++k) ++members.start[leader[k] + 1];
  for (size_t k = 0; k < vertices.size(); ++k) members.start[k + 1] += members.start[k];
  members.items.resize(vertices.size());
  {
    std::vector<size_t> fill(members.start.begin(), members.start.end() - 1);
    for (size_t k = 0; k < vertices.size(); ++k) members.items[fill[leader[k]]++] = static_cast<int>(k);
  }

  std::vector<int> pooled;
  std::vector<std::vector<int> > sets;  // members by agreeing normals
  for (size_t g = 0; g < vertices.size(); ++g) {
    if (members.size(g) == 0) continue;
    sets.clear();
    std::vector<int> alone;  // past maxNormalSets
    for (int const* m = members.begin(g); m != members.end(g); ++m) {
      vec3 const& n = vertices[static_cast<size_t>(*m)].basis.vec(2);
      auto set = std::find_if(sets.begin(), sets.end(), [&](std::vector<int> const& s) {
        return dot(vertices[static_cast<size_t>(s.front())].basis.vec(2), n) >= agreeingNormals;
      });
      if (set != sets.end())
        set->push_back(*m);
      else if (sets.size() < maxNormalSets)
        sets.push_back(std::vector<int>(1, *m));
      else
        alone.push_back(*m);
    }
    for (int m : alone) sets.push_back(std::vector<int>(1, m));
    for (std::vector<int> const& set : sets) {
      // The set's ring: one point per neighbouring position, none at its own.
      pooled.clear();
      for (int m : set)
        for (int const* j = ring.begin(static_cast<size_t>(m)); j != ring.end(static_cast<size_t>(m)); ++j)
          if (leader[static_cast<size_t>(*j)] != g) pooled.push_back(static_cast<int>(leader[static_cast<size_t>(*j)]));
      std::sort(pooled.begin(), pooled.end());
      pooled.erase(std::unique(pooled.begin(), pooled.end()), pooled.end());
      bool const pool = pooled.size() <= maxPooledRing;
      for (int m : set) {
        Vertex& v = vertices[static_cast<size_t>(m)];
        _vec<2, double> const k = pool ? fitCurvatures(v, vertices, pooled.data(), pooled.data() + pooled.size())
                                       : fitCurvatures(v, vertices, ring.begin(static_cast<size_t>(m)),
                                                       ring.end(static_cast<size_t>(m)));
        double const su = v.texelScale.x, sv = v.texelScale.y;
        double const unit = std::sqrt(su * sv);
        float const alongU = static_cast<float>(k.x * su * su / (2.0 * unit));
        float const alongV = static_cast<float>(k.y * sv * sv / (2.0 * unit));
        v.curvature = std::isfinite(alongU) && std::isfinite(alongV) ? _vec<2, float>(alongU, alongV)
                                                                       : _vec<2, float>(0.0f, 0.0f);
      }
    }
  }
}
