// ShellMesh: welding, partners, the cut of each prism into tetrahedra, the links across their faces, and the walk of a ray through them.
#include "ShellMesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <utility>

namespace {

bool finite3(float const v[3]) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); }

// The relief's full depth at a vertex in world units per texture unit of
// depth: sqrt(|dP/du| |dP/dv|), 0 where the scales say nothing.
double unitLength(ShellVertex const& v) {
  double const l = std::sqrt(static_cast<double>(v.texelScale[0]) * static_cast<double>(v.texelScale[1]));
  return std::isfinite(l) ? l : 0.0;
}

// Places of the vertices: vertices within eps on every axis share one, named
// by the smallest index among them. Each vertex is sorted into a grid cell of
// size eps; two within eps lie in the same or neighbouring cells, so each
// looks only at the 27 cells around its own. Vertices that are not finite
// keep places of their own.
std::vector<int> weld(std::vector<ShellVertex> const& vs, double eps) {
  std::vector<int> root(vs.size());
  std::iota(root.begin(), root.end(), 0);
  auto find = [&](int i) {
    while (root[static_cast<size_t>(i)] != i) i = root[static_cast<size_t>(i)] = root[static_cast<size_t>(root[static_cast<size_t>(i)])];
    return i;
  };
  typedef std::array<long long, 3> Cell;
  std::vector<std::pair<Cell, int> > cells;
  cells.reserve(vs.size());
  for (size_t i = 0; i < vs.size(); ++i) {
    float const* p = vs[i].position;
    if (!finite3(p)) continue;
    cells.push_back({Cell{static_cast<long long>(std::floor(p[0] / eps)), static_cast<long long>(std::floor(p[1] / eps)),
                          static_cast<long long>(std::floor(p[2] / eps))},
                     static_cast<int>(i)});
  }
  std::sort(cells.begin(), cells.end());
  for (auto const& c : cells) {
    float const* p = vs[static_cast<size_t>(c.second)].position;
    for (long long dx = -1; dx <= 1; ++dx)
      for (long long dy = -1; dy <= 1; ++dy) {
        Cell const lo{c.first[0] + dx, c.first[1] + dy, c.first[2] - 1};
        Cell const hi{c.first[0] + dx, c.first[1] + dy, c.first[2] + 1};
        for (auto it = std::lower_bound(cells.begin(), cells.end(), std::make_pair(lo, -1));
             it != cells.end() && it->first <= hi; ++it) {
          if (it->second <= c.second) continue;
          float const* q = vs[static_cast<size_t>(it->second)].position;
          if (std::fabs(q[0] - p[0]) > eps || std::fabs(q[1] - p[1]) > eps || std::fabs(q[2] - p[2]) > eps) continue;
          int const a = find(c.second), b = find(it->second);
          // The smaller index stays the root, so a place is named by its first vertex.
          if (a < b) root[static_cast<size_t>(b)] = a;
          if (b < a) root[static_cast<size_t>(a)] = b;
        }
      }
  }
  std::vector<int> place(vs.size());
  int places = 0;
  for (size_t i = 0; i < vs.size(); ++i) {
    int const r = find(static_cast<int>(i));
    place[i] = r == static_cast<int>(i) ? places++ : place[static_cast<size_t>(r)];
  }
  return place;
}

void sub(double const* a, double const* b, double out[3]) {
  for (int k = 0; k < 3; ++k) out[k] = a[k] - b[k];
}
void cross(double const a[3], double const b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}
double dot(double const a[3], double const b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double length(double const a[3]) { return std::sqrt(dot(a, a)); }

}  // namespace

ShellMesh::ShellMesh(std::vector<ShellVertex> vertices, std::vector<int> triangles, float depth)
    : vertices_(std::move(vertices)), triangles_(std::move(triangles)), depth_(depth) {
  if (!(depth_ > 0.0f) || !std::isfinite(depth_)) throw std::invalid_argument("the relief depth must be positive and finite");
  if (triangles_.size() % 3 != 0) throw std::invalid_argument("the triangle list is not a multiple of three long");
  // Shell points are numbered 2 * place + layer and links 4 * tetrahedron + slot, in ints.
  size_t const limit = static_cast<size_t>(std::numeric_limits<int>::max() / 16);
  if (vertices_.size() > limit || triangles_.size() / 3 > limit)
    throw std::invalid_argument("the mesh is too large for a shell");
  for (int i : triangles_)
    if (i < 0 || static_cast<size_t>(i) >= vertices_.size()) throw std::invalid_argument("a triangle names no vertex");

  double extent = 0;
  for (ShellVertex const& v : vertices_)
    if (finite3(v.position))
      for (float c : v.position) extent = std::max(extent, std::fabs(static_cast<double>(c)));
  scale_ = std::max(extent, 1.0);
  placeOf_ = weld(vertices_, scale_ * 1e-5);

  // A triangle makes a prism when its corners are finite and at three places.
  auto usable = [&](size_t tri) {
    int const* idx = &triangles_[3 * tri];
    for (int c = 0; c < 3; ++c) {
      ShellVertex const& v = vertices_[static_cast<size_t>(idx[c])];
      if (!finite3(v.position) || !finite3(v.normal)) return false;
    }
    int const p0 = placeOf_[static_cast<size_t>(idx[0])], p1 = placeOf_[static_cast<size_t>(idx[1])],
              p2 = placeOf_[static_cast<size_t>(idx[2])];
    return p0 != p1 && p1 != p2 && p0 != p2;
  };
  // Each place's point and partner: the first vertex's position, moved along
  // the mean normal of the members that a prism uses by their mean depth (a
  // vertex no prism uses, such as the last one of a pole row, may carry
  // scales that describe nothing).
  std::vector<char> used(vertices_.size(), 0);
  for (size_t tri = 0; 3 * tri < triangles_.size(); ++tri)
    if (usable(tri))
      for (int c = 0; c < 3; ++c) used[static_cast<size_t>(triangles_[3 * tri + static_cast<size_t>(c)])] = 1;
  int const places = vertices_.empty() ? 0 : *std::max_element(placeOf_.begin(), placeOf_.end()) + 1;
  std::vector<double> normalSum(3 * static_cast<size_t>(places), 0.0), depthSum(static_cast<size_t>(places), 0.0);
  std::vector<int> members(static_cast<size_t>(places), 0), first(static_cast<size_t>(places), -1);
  for (size_t i = 0; i < vertices_.size(); ++i) {
    size_t const p = static_cast<size_t>(placeOf_[i]);
    ShellVertex const& v = vertices_[i];
    if (first[p] < 0) first[p] = static_cast<int>(i);
    if (!used[i]) continue;
    for (size_t k = 0; k < 3; ++k) normalSum[3 * p + k] += v.normal[k];
    depthSum[p] += unitLength(v);
    ++members[p];
  }
  points_.assign(6 * static_cast<size_t>(places), 0.0);
  for (size_t p = 0; p < static_cast<size_t>(places); ++p) {
    ShellVertex const& v = vertices_[static_cast<size_t>(first[p])];
    double n[3] = {normalSum[3 * p], normalSum[3 * p + 1], normalSum[3 * p + 2]};
    double const len = length(n);
    if (len > 0.0 && std::isfinite(len)) {
      for (double& c : n) c /= len;
    } else if (finite3(v.normal)) {
      for (int k = 0; k < 3; ++k) n[k] = v.normal[k];
    } else {
      n[0] = n[1] = n[2] = 0.0;
    }
    double const down = members[p] > 0 ? depth_ * depthSum[p] / members[p] : 0.0;
    for (size_t k = 0; k < 3; ++k) {
      points_[6 * p + k] = v.position[k];
      points_[6 * p + 3 + k] = v.position[k] - n[k] * down;
    }
  }

  // The prisms' tetrahedra, in the order of the triangles.
  static int const cut[3][4][2] = {{{0, 0}, {1, 0}, {2, 0}, {0, 1}},   // {P0 P1 P2 Q0}
                                   {{1, 0}, {2, 0}, {0, 1}, {1, 1}},   // {P1 P2 Q0 Q1}
                                   {{2, 0}, {0, 1}, {1, 1}, {2, 1}}};  // {P2 Q0 Q1 Q2}
  for (size_t tri = 0; 3 * tri < triangles_.size(); ++tri) {
    if (!usable(tri)) continue;
    int const* idx = &triangles_[3 * tri];
    int order[3] = {0, 1, 2};
    std::sort(order, order + 3, [&](int a, int b) { return placeOf_[static_cast<size_t>(idx[a])] < placeOf_[static_cast<size_t>(idx[b])]; });
    for (auto const& pattern : cut) {
      Tet tet{};
      tet.triangle = static_cast<int>(tri);
      for (int k = 0; k < 4; ++k) {
        int const corner = order[pattern[k][0]];
        tet.vertexOf[k] = static_cast<uint8_t>(corner);
        tet.corner[k] = 2 * placeOf_[static_cast<size_t>(idx[corner])] + pattern[k][1];
        tet.link[k] = -1;
      }
      double e[3][3];
      for (int k = 0; k < 3; ++k) sub(&points_[3 * static_cast<size_t>(tet.corner[k + 1])], &points_[3 * static_cast<size_t>(tet.corner[0])], e[k]);
      double c12[3];
      cross(e[1], e[2], c12);
      double const volume = std::fabs(dot(e[0], c12));
      if (!(volume > 1e-12 * length(e[0]) * length(e[1]) * length(e[2]))) continue;
      tets_.push_back(tet);
    }
  }

  // Faces: the same three shell points in two tetrahedra on opposite sides
  // join them; any other face is a boundary face.
  std::vector<std::pair<std::array<int, 3>, int> > faces;
  faces.reserve(4 * tets_.size());
  for (size_t t = 0; t < tets_.size(); ++t) {
    Tet& tet = tets_[t];
    for (int k = 0; k < 4; ++k) {
      int f[3];
      faceOf(tet, k, f);
      double e1[3], e2[3], n[3], toOpposite[3];
      sub(&points_[3 * static_cast<size_t>(f[1])], &points_[3 * static_cast<size_t>(f[0])], e1);
      sub(&points_[3 * static_cast<size_t>(f[2])], &points_[3 * static_cast<size_t>(f[0])], e2);
      cross(e1, e2, n);
      sub(&points_[3 * static_cast<size_t>(tet.corner[k])], &points_[3 * static_cast<size_t>(f[0])], toOpposite);
      tet.side[k] = dot(n, toOpposite) > 0.0 ? 1 : -1;
      faces.push_back({{f[0], f[1], f[2]}, static_cast<int>(4 * t + static_cast<size_t>(k))});
    }
  }
  std::sort(faces.begin(), faces.end());
  std::vector<ShellBvh::Face> outside;
  for (size_t i = 0; i < faces.size();) {
    size_t j = i;
    while (j < faces.size() && faces[j].first == faces[i].first) ++j;
    int const a = faces[i].second;
    Tet& ta = tets_[static_cast<size_t>(a / 4)];
    if (j - i == 2) {
      int const b = faces[i + 1].second;
      Tet& tb = tets_[static_cast<size_t>(b / 4)];
      if (ta.side[a % 4] != tb.side[b % 4]) {
        ta.link[a % 4] = b;
        tb.link[b % 4] = a;
        ta.kind[a % 4] = tb.kind[b % 4] = ShellFace::Inner;
        i = j;
        continue;
      }
    }
    for (size_t m = i; m < j; ++m) {
      int const s = faces[m].second;
      Tet& tet = tets_[static_cast<size_t>(s / 4)];
      std::array<int, 3> const& f = faces[m].first;
      int const layers = (f[0] & 1) + (f[1] & 1) + (f[2] & 1);
      ShellFace const kind = layers == 0 ? ShellFace::Top : layers == 3 ? ShellFace::Bottom : ShellFace::Side;
      tet.kind[s % 4] = kind;
      outside.push_back({{f[0], f[1], f[2]}, s / 4, static_cast<uint8_t>(s % 4), tet.side[s % 4], static_cast<uint8_t>(kind)});
    }
    i = j;
  }
  boundary_ = ShellBvh(std::move(outside), points_.data());
}

void ShellMesh::faceOf(Tet const& tet, int k, int out[3]) const {
  int n = 0;
  for (int c = 0; c < 4; ++c)
    if (c != k) out[n++] = tet.corner[c];
  std::sort(out, out + 3);
}

void ShellMesh::sample(Tet const& tet, double const w[4], double bary[3], double& d, double uv[2]) const {
  bary[0] = bary[1] = bary[2] = 0.0;
  d = 0.0;
  for (int k = 0; k < 4; ++k) {
    bary[tet.vertexOf[k]] += w[k];
    if (tet.corner[k] & 1) d += w[k];
  }
  int const* idx = &triangles_[3 * static_cast<size_t>(tet.triangle)];
  uv[0] = uv[1] = 0.0;
  for (int c = 0; c < 3; ++c) {
    ShellVertex const& v = vertices_[static_cast<size_t>(idx[c])];
    uv[0] += bary[c] * v.uv[0];
    uv[1] += bary[c] * v.uv[1];
  }
}

int ShellMesh::traverse(int tetIndex, int entry, double tIn, ShellRay const& ray, ShellSegment& seg) const {
  Tet const& tet = tets_[static_cast<size_t>(tetIndex)];
  // The face it leaves by: of those the ray moves out through, the one it
  // crosses first. Rounding near an edge or corner can leave none; then the
  // face it moves out through most steeply (or least steeply in), at tIn.
  double best = std::numeric_limits<double>::infinity();
  int exitSlot = -1, fallback = entry == 0 ? 1 : 0;
  double fallbackScore = std::numeric_limits<double>::infinity();
  for (int k = 0; k < 4; ++k) {
    if (k == entry) continue;
    int f[3];
    faceOf(tet, k, f);
    FaceCrossing const c = faceCrossing(points_.data(), f[0], f[1], f[2], ray);
    double const inward = tet.side[k] * c.nD;
    if (inward < 0.0 && c.t < best) {
      best = c.t;
      exitSlot = k;
    }
    if (inward < fallbackScore) {
      fallbackScore = inward;
      fallback = k;
    }
  }
  if (exitSlot < 0) {
    exitSlot = fallback;
    best = tIn;
  }
  double const tOut = best >= tIn ? best : tIn;

  // Corner weights along the ray: w(t) = R (origin + direction t - V0) for
  // corners 1..3, with R the inverse of the edge matrix, and w0 the rest.
  double const* v0 = &points_[3 * static_cast<size_t>(tet.corner[0])];
  double e[3][3];
  for (int k = 0; k < 3; ++k) sub(&points_[3 * static_cast<size_t>(tet.corner[k + 1])], v0, e[k]);
  double r[3][3];
  cross(e[1], e[2], r[0]);
  cross(e[2], e[0], r[1]);
  cross(e[0], e[1], r[2]);
  double const det = dot(e[0], r[0]);
  double o[3];
  sub(ray.origin, v0, o);
  double wIn[4], wOut[4];
  for (int k = 0; k < 3; ++k) {
    double const at = dot(r[k], o) / det, per = dot(r[k], ray.direction) / det;
    wIn[k + 1] = at + per * tIn;
    wOut[k + 1] = at + per * tOut;
  }
  wIn[0] = 1.0 - wIn[1] - wIn[2] - wIn[3];
  wOut[0] = 1.0 - wOut[1] - wOut[2] - wOut[3];

  seg.tet = tetIndex;
  seg.triangle = tet.triangle;
  seg.t0 = tIn;
  seg.t1 = tOut;
  sample(tet, wIn, seg.bary0, seg.d0, seg.uv0);
  sample(tet, wOut, seg.bary1, seg.d1, seg.uv1);
  return exitSlot;
}

ShellWalkEnd ShellMesh::walk(ShellRay const& ray, double tMin, double tMax, int startTet, ShellVisitor& visit,
                             std::atomic<bool> const* cancel) const {
  double const reach = length(ray.direction);
  if (!(reach > 0.0) || !std::isfinite(reach) || !(tMin <= tMax)) return ShellWalkEnd::Finished;
  // How far back along the ray a re-entry may lie: where the faces left and
  // entered coincide (around a prism without volume), rounding can put the
  // entry a hair before the exit.
  double const backTolerance = 1e-9 * scale_ / reach;
  // A walk that revisits tetrahedra endlessly (only at exactly degenerate
  // corners) gives up: a straight ray passes each tetrahedron at most once.
  size_t const maxSteps = 2 * tets_.size() + 64;

  int tet = startTet < static_cast<int>(tets_.size()) ? startTet : -1, entry = -1, left = -1;
  ShellFace entryKind = ShellFace::None;
  double t = tMin, searchFrom = tMin;
  for (size_t step = 0; step < maxSteps; ++step) {
    if (cancel && (step & 255u) == 255u && cancel->load(std::memory_order_relaxed)) return ShellWalkEnd::Cancelled;
    if (tet < 0) {
      ShellBvh::Hit hit;
      if (!boundary_.nearest(ray, searchFrom, tMax, left, ~0u, hit)) return ShellWalkEnd::Finished;
      ShellBvh::Face const& face = boundary_.faces()[static_cast<size_t>(hit.face)];
      tet = face.tet;
      entry = face.slot;
      entryKind = static_cast<ShellFace>(face.kind);
      t = std::max(hit.t, tMin);
    }
    ShellSegment seg;
    int const exitSlot = traverse(tet, entry, t, ray, seg);
    seg.entry = entryKind;
    bool const ends = !(seg.t1 < tMax);
    if (ends) {
      // Cut back to tMax: the weights are linear along the stretch.
      ShellSegment full = seg;
      double const f = full.t1 > full.t0 ? (tMax - full.t0) / (full.t1 - full.t0) : 0.0;
      seg.t1 = tMax;
      for (int c = 0; c < 3; ++c) seg.bary1[c] = full.bary0[c] + (full.bary1[c] - full.bary0[c]) * f;
      seg.d1 = full.d0 + (full.d1 - full.d0) * f;
      for (int c = 0; c < 2; ++c) seg.uv1[c] = full.uv0[c] + (full.uv1[c] - full.uv0[c]) * f;
      seg.exit = ShellFace::None;
    } else {
      seg.exit = tets_[static_cast<size_t>(tet)].kind[exitSlot];
    }
    if (visit.visit(seg)) return ShellWalkEnd::Stopped;
    if (ends) return ShellWalkEnd::Finished;
    int const link = tets_[static_cast<size_t>(tet)].link[exitSlot];
    t = seg.t1;
    if (link >= 0) {
      tet = link / 4;
      entry = link % 4;
      entryKind = ShellFace::Inner;
    } else {
      left = tet;
      tet = -1;
      searchFrom = std::max(tMin, t - backTolerance);
    }
  }
  return ShellWalkEnd::Finished;
}

bool ShellMesh::firstTopEntry(ShellRay const& ray, double tMin, ShellSegment& at) const {
  ShellBvh::Hit hit;
  if (!boundary_.nearest(ray, tMin, std::numeric_limits<double>::infinity(), -1, 1u << static_cast<unsigned>(ShellFace::Top), hit))
    return false;
  ShellBvh::Face const& face = boundary_.faces()[static_cast<size_t>(hit.face)];
  ShellSegment seg;
  traverse(face.tet, face.slot, hit.t, ray, seg);
  at = seg;
  at.t1 = at.t0;
  std::copy(seg.bary0, seg.bary0 + 3, at.bary1);
  at.d1 = at.d0;
  std::copy(seg.uv0, seg.uv0 + 2, at.uv1);
  at.entry = at.exit = ShellFace::Top;
  return true;
}
