// weldGroups: vertices at one position, found through a grid of the tolerance's size.
#include "WeldGroups.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace {

bool finite(_vec<3, float> const& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

// Vertices are sorted by the cell of a grid of the tolerance's size that they
// lie in; two vertices within the tolerance on every axis lie in the same or
// neighbouring cells, so each vertex looks only at the 27 cells around its own
// (nine ranges of the sorted order), however the mesh lies: a large mesh in an
// axis plane costs no more than any other.
std::vector<size_t> weldGroups(std::vector<Model3D::Vertex> const& vs) {
  std::vector<size_t> leader(vs.size());
  for (size_t i = 0; i < vs.size(); ++i) leader[i] = i;
  if (vs.size() < 2) return leader;
  float extent = 0;
  for (Model3D::Vertex const& v : vs)
    if (finite(v.position))
      extent = std::max({extent, std::fabs(v.position.x), std::fabs(v.position.y), std::fabs(v.position.z)});
  float const eps = std::max(extent, 1.0f) * 1e-5f;
  typedef std::array<long long, 3> Cell;
  std::vector<std::pair<Cell, size_t> > cells;
  cells.reserve(vs.size());
  for (size_t i = 0; i < vs.size(); ++i) {
    _vec<3, float> const& p = vs[i].position;
    if (!finite(p)) continue;  // at no place: a group of its own
    cells.push_back({Cell{static_cast<long long>(std::floor(p.x / eps)), static_cast<long long>(std::floor(p.y / eps)),
                          static_cast<long long>(std::floor(p.z / eps))},
                     i});
  }
  std::sort(cells.begin(), cells.end());
  auto root = [&](size_t i) {
    while (leader[i] != i) i = leader[i] = leader[leader[i]];
    return i;
  };
  for (auto const& c : cells) {
    _vec<3, float> const& p = vs[c.second].position;
    for (long long dx = -1; dx <= 1; ++dx)
      for (long long dy = -1; dy <= 1; ++dy) {
        Cell const lo{c.first[0] + dx, c.first[1] + dy, c.first[2] - 1};
        Cell const hi{c.first[0] + dx, c.first[1] + dy, c.first[2] + 1};
        auto it = std::lower_bound(cells.begin(), cells.end(), std::make_pair(lo, size_t(0)));
        for (; it != cells.end() && it->first <= hi; ++it) {
          if (it->second <= c.second) continue;  // each pair once
          _vec<3, float> const d = vs[it->second].position - p;
          if (std::fabs(d.x) <= eps && std::fabs(d.y) <= eps && std::fabs(d.z) <= eps)
            leader[root(it->second)] = root(c.second);
        }
      }
  }
  for (size_t i = 0; i < leader.size(); ++i) leader[i] = root(i);
  return leader;
}
