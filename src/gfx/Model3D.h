// Model3D: an indexed triangle mesh with per-vertex tangent frames, drawn in
// immediate mode for the relief shaders.
#pragma once

#include "math/mat.h"
#include "math/vec.h"

#include <vector>

class Model3D {
public:
  // Fifteen floats: position, texture coordinate (u, v), the tangent basis
  // (vec(0) tangent, vec(1) binormal, vec(2) normal) and the handedness.
  struct Vertex {
    Vertex() : basis(mat33fIdentity) {}

    _vec<3, float> position;
    _vec<2, float> texCoord;  // x = u, y = v
    _mat<3, 3, float> basis;
    // +1 or -1 after computeBasii(); +1 until then, so nothing undefined is drawn.
    float handedness = 1.0f;
  };

  Model3D() = default;

  // Empties the mesh: no vertices, no triangles.
  void reset();

  // Appends a vertex with the identity basis; its index is the vertex count before the call.
  void addVtx(float x, float y, float z, float u, float v);
  // Appends one triangle of vertex indices, in the given order. Each index must
  // name a vertex by the time the mesh is used: computeBasii() and render()
  // stop the program on one that does not (a broken invariant).
  void addTri(int i0, int i1, int i2);

  // Recomputes every vertex's tangent frame from all triangles: per triangle the
  // directions of increasing u and v (weighted by the triangle's size) and its
  // unit face normal are summed at its three vertices; each vertex then gets the
  // normalised normal N, the tangent T made orthogonal to N, the binormal N x T
  // and the handedness, -1 where the summed v direction points against N x T.
  // Vertices at one position (a texture seam, a pole) first pool each summed
  // vector whose directions agree among them, so they share one smooth frame.
  // Triangles without area or without texture-space area add nothing to the
  // quantities they cannot define, and a vertex left without a normal or a
  // tangent gets a substitute axis, so every frame is finite and orthonormal.
  void computeBasii();

  // Draws every triangle: texture unit 0 gets (u, v), the GL normal the frame's
  // normal, texture unit 1 (tangent x, y, z, handedness), then the position.
  void render() const;

  std::vector<Vertex> const& getVertices() const { return vertices; }
  std::vector<int> const& getIndices() const { return indices; }

private:
  void checkIndices() const;

  std::vector<Vertex> vertices;
  std::vector<int> indices;
};
