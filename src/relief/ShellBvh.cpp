// ShellBvh: median-split hierarchy of boxes over the boundary faces, and the nearest entering crossing, nearer child first.
#include "ShellBvh.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int leafSize = 4;

// The ray's parameter range inside a box, clipped to [t0, t1]; false when
// empty. inv holds 1 / direction per axis (unused where the direction is 0).
bool clipToBox(ShellRay const& ray, double const inv[3], double const lo[3], double const hi[3], double& t0, double& t1) {
  for (int k = 0; k < 3; ++k) {
    double const o = ray.origin[k];
    if (ray.direction[k] == 0.0) {
      if (o < lo[k] || o > hi[k]) return false;
      continue;
    }
    double a = (lo[k] - o) * inv[k], b = (hi[k] - o) * inv[k];
    if (a > b) std::swap(a, b);
    t0 = std::max(t0, a);
    t1 = std::min(t1, b);
    if (!(t0 <= t1)) return false;
  }
  return true;
}

}  // namespace

ShellBvh::ShellBvh(std::vector<Face> faces, double const* points) : faces_(std::move(faces)), points_(points) {
  if (faces_.empty()) return;
  std::vector<double> centres(faces_.size() * 3);
  for (size_t f = 0; f < faces_.size(); ++f)
    for (int k = 0; k < 3; ++k)
      centres[3 * f + static_cast<size_t>(k)] =
          (points_[3 * faces_[f].v[0] + k] + points_[3 * faces_[f].v[1] + k] + points_[3 * faces_[f].v[2] + k]) / 3.0;
  nodes_.reserve(2 * faces_.size() / leafSize + 1);
  build(centres);
}

// The nodes, root first, each inner node's children side by side; the faces
// (and their centres) are reordered in place so that each leaf's are in a row.
// Every split halves its faces, so the tree is at most 32 levels deep.
void ShellBvh::build(std::vector<double>& centres) {
  struct Task {
    int node, begin, end;
  };
  nodes_.push_back({});
  std::vector<Task> todo{{0, 0, static_cast<int>(faces_.size())}};
  while (!todo.empty()) {
    Task const task = todo.back();
    todo.pop_back();
    Node node{};
    double const inf = std::numeric_limits<double>::infinity();
    double clo[3] = {inf, inf, inf}, chi[3] = {-inf, -inf, -inf};
    for (int k = 0; k < 3; ++k) {
      node.lo[k] = inf;
      node.hi[k] = -inf;
    }
    for (int f = task.begin; f < task.end; ++f) {
      for (int k = 0; k < 3; ++k) {
        for (int c = 0; c < 3; ++c) {
          double const p = points_[3 * faces_[static_cast<size_t>(f)].v[c] + k];
          node.lo[k] = std::min(node.lo[k], p);
          node.hi[k] = std::max(node.hi[k], p);
        }
        double const m = centres[3 * static_cast<size_t>(f) + static_cast<size_t>(k)];
        clo[k] = std::min(clo[k], m);
        chi[k] = std::max(chi[k], m);
      }
    }
    // A margin against the rounding of the slab test: a face on the box's side
    // must not fall outside it.
    for (int k = 0; k < 3; ++k) {
      double const pad = 1e-9 * std::max({1.0, std::fabs(node.lo[k]), std::fabs(node.hi[k])});
      node.lo[k] -= pad;
      node.hi[k] += pad;
    }
    int const count = task.end - task.begin;
    int axis = 0;
    for (int k = 1; k < 3; ++k)
      if (chi[k] - clo[k] > chi[axis] - clo[axis]) axis = k;
    if (count <= leafSize || !(chi[axis] > clo[axis])) {
      node.first = task.begin;
      node.count = count;
      nodes_[static_cast<size_t>(task.node)] = node;
      continue;
    }
    // Split at the median centre along the widest axis of the centres.
    int const mid = task.begin + count / 2;
    std::vector<int> order(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) order[static_cast<size_t>(i)] = task.begin + i;
    std::nth_element(order.begin(), order.begin() + (mid - task.begin), order.end(), [&](int x, int y) {
      return centres[3 * static_cast<size_t>(x) + static_cast<size_t>(axis)] <
             centres[3 * static_cast<size_t>(y) + static_cast<size_t>(axis)];
    });
    std::vector<Face> faces(static_cast<size_t>(count));
    std::vector<double> cs(static_cast<size_t>(count) * 3);
    for (int i = 0; i < count; ++i) {
      size_t const from = static_cast<size_t>(order[static_cast<size_t>(i)]);
      faces[static_cast<size_t>(i)] = faces_[from];
      for (size_t k = 0; k < 3; ++k) cs[3 * static_cast<size_t>(i) + k] = centres[3 * from + k];
    }
    std::copy(faces.begin(), faces.end(), faces_.begin() + task.begin);
    std::copy(cs.begin(), cs.end(), centres.begin() + 3 * task.begin);

    node.first = static_cast<int>(nodes_.size());
    node.count = 0;
    nodes_[static_cast<size_t>(task.node)] = node;
    nodes_.push_back({});
    nodes_.push_back({});
    todo.push_back({node.first, task.begin, mid});
    todo.push_back({node.first + 1, mid, task.end});
  }
}

bool ShellBvh::nearest(ShellRay const& ray, double tLo, double tHi, int skipTet, unsigned kindMask, Hit& out) const {
  if (nodes_.empty() || !(tLo <= tHi)) return false;
  double best = tHi;
  int bestFace = -1;
  double inv[3];
  for (int k = 0; k < 3; ++k) inv[k] = 1.0 / ray.direction[k];
  double t0 = tLo, t1 = best;
  if (!clipToBox(ray, inv, nodes_[0].lo, nodes_[0].hi, t0, t1)) return false;
  // Depth-first, the nearer child first, each waiting node with the ray's
  // entry into its box: at most two entries per level of the tree wait.
  struct Waiting {
    int node;
    double tIn;
  };
  Waiting stack[2 * 32 + 2];
  int top = 0;
  stack[top++] = {0, t0};
  while (top > 0) {
    Waiting const w = stack[--top];
    if (w.tIn > best) continue;
    Node const& node = nodes_[static_cast<size_t>(w.node)];
    if (node.count == 0) {
      Node const& a = nodes_[static_cast<size_t>(node.first)];
      Node const& b = nodes_[static_cast<size_t>(node.first + 1)];
      double ta0 = tLo, ta1 = best, tb0 = tLo, tb1 = best;
      bool const hitA = clipToBox(ray, inv, a.lo, a.hi, ta0, ta1);
      bool const hitB = clipToBox(ray, inv, b.lo, b.hi, tb0, tb1);
      if (hitA && hitB) {
        if (ta0 <= tb0) {
          stack[top++] = {node.first + 1, tb0};
          stack[top++] = {node.first, ta0};
        } else {
          stack[top++] = {node.first, ta0};
          stack[top++] = {node.first + 1, tb0};
        }
      } else if (hitA) {
        stack[top++] = {node.first, ta0};
      } else if (hitB) {
        stack[top++] = {node.first + 1, tb0};
      }
      continue;
    }
    for (int f = node.first; f < node.first + node.count; ++f) {
      Face const& face = faces_[static_cast<size_t>(f)];
      if (face.tet == skipTet || !(kindMask & (1u << face.kind))) continue;
      FaceCrossing const c = faceCrossing(points_, face.v[0], face.v[1], face.v[2], ray);
      if (!(c.nD * face.side > 0.0) || !(c.t >= tLo && c.t <= best)) continue;
      if (c.t == best && bestFace >= 0) continue;
      if (!faceContains(points_, face.v[0], face.v[1], face.v[2], ray)) continue;
      best = c.t;
      bestFace = f;
    }
  }
  if (bestFace < 0) return false;
  out.face = bestFace;
  out.t = best;
  return true;
}
