// ShellMesh: a mesh and the shell its relief fills, prisms under each triangle cut into tetrahedra, and the walk of a ray through them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ShellBvh.h"
#include "ShellFaces.h"

// One vertex of the mesh as it was drawn, in world space.
struct ShellVertex {
  float position[3];
  float normal[3];    // unit
  float tangent[3];   // unit, along increasing u
  float handedness;   // +1 or -1: the bitangent is handedness * (normal x tangent)
  float uv[2];        // the texture coordinate
  float texelScale[2];  // the surface's length per texture unit along u and along v, |dP/du| and |dP/dv|
};

// How a ray came into or went out of a tetrahedron.
enum class ShellFace : uint8_t {
  None,    // it started inside (into) or stopped at its end (out of)
  Inner,   // from or to the neighbouring tetrahedron
  Top,     // a boundary face with all three corners on the mesh
  Bottom,  // a boundary face with all three corners on the partners
  Side,    // any other boundary face: the wall under an open border of the mesh
};

// One tetrahedron's stretch of a ray, t in [t0, t1] (t0 <= t1). At each end:
// bary, the weights of the triangle's corners (in the triangle's order) of
// the point's place in the prism, and d, its depth below the mesh in relief
// depths (0 on the mesh, 1 on the partners); uv = sum of bary[i] * uv of
// corner i. Along the stretch every one of them is linear in t.
struct ShellSegment {
  int tet;
  int triangle;
  double t0, t1;
  double bary0[3], bary1[3];
  double d0, d1;
  double uv0[2], uv1[2];
  ShellFace entry, exit;
};

// Receives a ray's stretches in order; returns true to stop the walk.
class ShellVisitor {
public:
  virtual ~ShellVisitor() = default;
  virtual bool visit(ShellSegment const& segment) = 0;
};

enum class ShellWalkEnd { Stopped, Finished, Cancelled };

// The shell: each vertex of the mesh gets a partner moved inward along its
// normal by the relief's full depth in world units, depth * sqrt(|dP/du|
// |dP/dv|) (depth in texture units, polyThickness * 0.2 in the bench). Each
// triangle and its partners bound a prism, cut into three tetrahedra. Over a
// tetrahedron the map from world space to (u, v, d) is the affine one fixed by
// its corners: a corner on the mesh has its vertex's (u, v) and d = 0, a
// partner the same (u, v) and d = 1.
//
// Vertices at one place (within 1e-5 of the mesh's extent, or of 1 for a
// smaller mesh, on every axis: texture seams, poles, and mesh files' vertices
// split by their texture coordinates) are welded: they take the place of the
// first of them and one shared partner, moved along their mean normal by
// their mean depth (over those of them that a prism uses), so that the prisms
// on either side of a seam share their faces exactly and the shell is closed
// there. Each keeps its own (u, v) and frame.
//
// The cut: a prism's corners are ordered by their welded place (the first
// vertex index among those at that place), and for corners i < j the side
// wall over the edge i-j is split along the diagonal from i's partner to j's
// vertex. Both prisms on an edge order its two ends alike, seams included, so
// they split the wall they share the same way. With corners 0 < 1 < 2 the
// tetrahedra are {P0 P1 P2 Q0}, {P1 P2 Q0 Q1}, {P2 Q0 Q1 Q2} (P on the mesh, Q
// the partners).
//
// Triangles with two corners at one place and tetrahedra without volume are
// left out; the faces around them still meet (their neighbours' faces match by
// the places of their corners), or else become boundary faces, through which
// a walk leaves and enters again. Triangles with a corner that is not finite
// are left out too.
class ShellMesh {
public:
  // triangles: three vertex indices each. depth must be positive and finite.
  // Throws std::invalid_argument when depth is not, when the triangle list is
  // not a multiple of three long, when an index names no vertex, or when the
  // mesh has more than 134 million vertices or triangles.
  ShellMesh(std::vector<ShellVertex> vertices, std::vector<int> triangles, float depth);

  ShellMesh(ShellMesh const&) = delete;
  ShellMesh& operator=(ShellMesh const&) = delete;

  // Walks the ray from t = tMin to t = tMax (tMax may be infinite) through the
  // shell, calling visit for each tetrahedron's stretch in order along the
  // ray. With startTet naming a tetrahedron (0 to tetCount() - 1) the ray
  // starts inside it at tMin (entry None); otherwise it starts where it first
  // enters the shell at or after tMin. Where it leaves the shell through a
  // boundary face, the walk goes on where the ray next enters it, so a ray
  // that leaves one part of a mesh and meets another is followed into that
  // one. A stretch ended by tMax
  // has exit None, and the walk ends there. Near-degenerate corners can make
  // a stretch empty (t0 == t1); such stretches are visited too.
  //
  // cancel, when given, is read every few hundred tetrahedra; once it is true
  // the walk returns Cancelled.
  ShellWalkEnd walk(ShellRay const& ray, double tMin, double tMax, int startTet, ShellVisitor& visit,
                    std::atomic<bool> const* cancel) const;

  // The first place at or after tMin where the ray enters the shell through a
  // Top face from outside: the point on the mesh itself, as drawn (front faces
  // only: the ray runs against the normal). False when there is none.
  bool firstTopEntry(ShellRay const& ray, double tMin, ShellSegment& at) const;

  std::vector<ShellVertex> const& vertices() const { return vertices_; }
  std::vector<int> const& triangles() const { return triangles_; }
  float depth() const { return depth_; }
  size_t tetCount() const { return tets_.size(); }

private:
  struct Tet {
    int corner[4];     // shell point of each corner: 2 * place + (0 mesh, 1 partner)
    int link[4];       // across the face opposite corner k: neighbour * 4 + its slot, or -1
    int triangle;
    uint8_t vertexOf[4];  // the triangle corner (0..2) each corner lies over
    int8_t side[4];       // the side of face k's plane (faceCrossing's normal) the tetrahedron lies on
    ShellFace kind[4];    // Inner, or the boundary kind of face k
  };

  // The face opposite corner k, its corners' shell points in increasing order.
  void faceOf(Tet const& tet, int k, int out[3]) const;
  // The stretch of the ray in `tet` from tIn (entered through slot `entry`,
  // -1 for none): fills seg (all but exit) and returns the slot it leaves by.
  int traverse(int tetIndex, int entry, double tIn, ShellRay const& ray, ShellSegment& seg) const;
  void sample(Tet const& tet, double const w[4], double bary[3], double& d, double uv[2]) const;

  std::vector<ShellVertex> vertices_;
  std::vector<int> triangles_;
  float depth_;
  std::vector<int> placeOf_;     // each vertex's welded place
  std::vector<double> points_;   // x, y, z of each shell point: place p's mesh point at 2p, its partner at 2p + 1
  std::vector<Tet> tets_;
  ShellBvh boundary_;
  double scale_ = 1;  // the mesh's extent, for tolerances
};
