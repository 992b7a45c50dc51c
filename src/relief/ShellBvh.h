// ShellBvh: a bounding volume hierarchy over the shell's boundary faces, for finding where a ray next enters the shell.
#pragma once

#include <cstdint>
#include <vector>

#include "ShellFaces.h"

class ShellBvh {
public:
  // One boundary face: its corners as point indices in increasing order, the
  // tetrahedron it bounds and the face's place in it (the corner it lies
  // opposite), the side of the face's plane (the normal of faceCrossing) that
  // the tetrahedron lies on (+1 or -1), and a kind (any small number, for the
  // caller's filter).
  struct Face {
    int v[3];
    int tet;
    uint8_t slot;
    int8_t side;
    uint8_t kind;
  };

  struct Hit {
    int face;  // index into faces()
    double t;
  };

  ShellBvh() = default;
  // points (x, y, z each) must outlive the hierarchy and hold every index the
  // faces name.
  ShellBvh(std::vector<Face> faces, double const* points);

  // The entering crossing with the smallest t in [tLo, tHi]: a face the ray's
  // line passes through (faceContains), moving towards the side its
  // tetrahedron lies on, whose tetrahedron is not skipTet and whose kind's bit
  // (1 << kind) is set in kindMask. False when there is none.
  bool nearest(ShellRay const& ray, double tLo, double tHi, int skipTet, unsigned kindMask, Hit& out) const;

  std::vector<Face> const& faces() const { return faces_; }

private:
  struct Node {
    double lo[3], hi[3];
    // A leaf holds faces [first, first + count); an inner node (count == 0)
    // has its children at first and first + 1.
    int first, count;
  };

  void build(std::vector<double>& centres);

  std::vector<Face> faces_;
  double const* points_ = nullptr;
  std::vector<Node> nodes_;
};
