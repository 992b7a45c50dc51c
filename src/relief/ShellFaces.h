// ShellFaces: the ray-against-face arithmetic that the shell's tetrahedron walk and its boundary search share, so that both see every face bit for bit alike.
#pragma once

// A ray in world space: at parameter t it is at origin + direction * t.
struct ShellRay {
  double origin[3];
  double direction[3];
};

// Where a ray crosses the plane of a face. The normal is n = (B - A) x (C - A)
// for the face's corners taken in a fixed order (a < b < c, their indices into
// the point array), so every tetrahedron that holds the face gets the same n,
// the same nD = n . direction and the same t = n . (A - origin) / nD: a ray
// that leaves one tetrahedron through a face enters its neighbour at exactly
// the parameter it left at. t is infinite or NaN when nD is 0 (a ray in the
// face's plane); callers test nD first.
struct FaceCrossing {
  double nD;
  double t;
};

// points holds x, y, z per point; a < b < c.
FaceCrossing faceCrossing(double const* points, int a, int b, int c, ShellRay const& ray);

// Whether the ray's line passes through the triangle a < b < c, edges
// included. Each edge's side of the line, direction . ((P - origin) x (Q -
// origin)), is computed with its lower index as P whichever face asks, so two
// faces that share an edge agree on which side the line passes: a line
// through a closed boundary of faces passes through one of the faces around
// each crossing point, never between them (a line exactly on a shared edge
// passes through both).
bool faceContains(double const* points, int a, int b, int c, ShellRay const& ray);
