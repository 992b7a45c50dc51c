// Model3D: an indexed triangle mesh with per-vertex tangent frames, texel
// scales and curvatures, drawn in immediate mode for the relief shaders.
#pragma once

#include "math/mat.h"
#include "math/vec.h"

#include <vector>

class Model3D {
public:
  // Nineteen floats: position, texture coordinate (u, v), the tangent basis
  // (vec(0) tangent, vec(1) binormal, vec(2) normal), the handedness, the
  // texel scale and the curvature.
  struct Vertex {
    Vertex() : basis(mat33fIdentity) {}

    _vec<3, float> position;
    _vec<2, float> texCoord;  // x = u, y = v
    _mat<3, 3, float> basis;
    // +1 or -1 after computeBasii(); +1 until then, so nothing undefined is drawn.
    float handedness = 1.0f;
    // The surface's length per texture unit along u and along v (the lengths
    // of dP/du and dP/dv), from computeTexelScales(); (1, 1) until then.
    _vec<2, float> texelScale = _vec<2, float>(1.0f, 1.0f);
    // How far the surface falls below the vertex's tangent plane per squared
    // texture unit of offset along u (x) and along v (y), in texture units of
    // relief depth (one being sqrt(texelScale.x * texelScale.y) long), from
    // computeCurvatures(); negative where the surface rises (a hollow). (0, 0)
    // until then.
    _vec<2, float> curvature = _vec<2, float>(0.0f, 0.0f);
  };

  Model3D() = default;

  // Empties the mesh: no vertices, no triangles.
  void reset();

  // Appends a vertex with the identity basis; its index is the vertex count before the call.
  void addVtx(float x, float y, float z, float u, float v);
  // Appends a vertex with a given frame: unit normal and tangent (made
  // orthogonal to it here) and the handedness of the v direction (+1 or -1).
  void addVtx(_vec<3, float> const& position, _vec<2, float> const& uv, _vec<3, float> const& normal,
              _vec<3, float> const& tangent, float handedness);
  // Appends one triangle of vertex indices, in the given order. Each index must
  // name a vertex by the time the mesh is used: computeBasii() and render()
  // stop the program on one that does not (a broken invariant).
  void addTri(int i0, int i1, int i2);

  // Takes a whole mesh made elsewhere (read back from another process, say);
  // false, the mesh left as it was, when an index names no vertex or the
  // indices are no whole triangles.
  bool adopt(std::vector<Vertex>&& vertices, std::vector<int>&& indices);

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
  // Ends with computeTexelScales() and computeCurvatures().
  void computeBasii();
  // Sets every vertex's texel scale: the lengths of dP/du and dP/dv over the
  // triangles around it, weighted by their areas (a vertex that no mapped
  // triangle reaches keeps (1, 1)).
  void computeTexelScales();
  // Sets every vertex's curvature from its frame, its texel scale and the
  // vertices it shares an edge with (Model3DCurvature.cpp says how); call it
  // after the frames and texel scales are made.
  void computeCurvatures();

  // Draws every triangle: texture unit 0 gets (u, v), the GL normal the frame's
  // normal, texture unit 1 (tangent x, y, z, handedness), texture unit 2 the
  // texel scale (along u, along v), texture unit 3 the curvature (along u,
  // along v), then the position. Defined with the GL
  // code (gfx/Model3DRender.cpp), so that the rest of the mesh links without GL.
  void render() const;

  std::vector<Vertex> const& getVertices() const { return vertices; }
  std::vector<int> const& getIndices() const { return indices; }

private:
  void checkIndices() const;

  std::vector<Vertex> vertices;
  std::vector<int> indices;
};
