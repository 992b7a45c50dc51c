// ShellFaces: plane crossings and edge sides of the shell's faces, computed in one place so that the walk and the boundary search agree.
#include "ShellFaces.h"

namespace {

// The side of the line that the edge p -> q passes, from the points relative
// to the ray's origin.
double edgeSide(double const* points, int p, int q, ShellRay const& ray) {
  double const* o = ray.origin;
  double const* d = ray.direction;
  double const* P = points + 3 * p;
  double const* Q = points + 3 * q;
  double const px = P[0] - o[0], py = P[1] - o[1], pz = P[2] - o[2];
  double const qx = Q[0] - o[0], qy = Q[1] - o[1], qz = Q[2] - o[2];
  double const cx = py * qz - pz * qy, cy = pz * qx - px * qz, cz = px * qy - py * qx;
  return d[0] * cx + d[1] * cy + d[2] * cz;
}

}  // namespace

FaceCrossing faceCrossing(double const* points, int a, int b, int c, ShellRay const& ray) {
  double const* A = points + 3 * a;
  double const* B = points + 3 * b;
  double const* C = points + 3 * c;
  double const ex = B[0] - A[0], ey = B[1] - A[1], ez = B[2] - A[2];
  double const fx = C[0] - A[0], fy = C[1] - A[1], fz = C[2] - A[2];
  double const nx = ey * fz - ez * fy, ny = ez * fx - ex * fz, nz = ex * fy - ey * fx;
  double const* d = ray.direction;
  double const* o = ray.origin;
  double const nD = nx * d[0] + ny * d[1] + nz * d[2];
  double const nA = nx * (A[0] - o[0]) + ny * (A[1] - o[1]) + nz * (A[2] - o[2]);
  return {nD, nA / nD};
}

bool faceContains(double const* points, int a, int b, int c, ShellRay const& ray) {
  // Around the face a -> b -> c -> a; the last edge is computed as a -> c.
  double const s0 = edgeSide(points, a, b, ray);
  double const s1 = edgeSide(points, b, c, ray);
  double const s2 = -edgeSide(points, a, c, ray);
  return (s0 >= 0.0 && s1 >= 0.0 && s2 >= 0.0) || (s0 <= 0.0 && s1 <= 0.0 && s2 <= 0.0);
}
