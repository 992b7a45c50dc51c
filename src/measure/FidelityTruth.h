// FidelityTruth: which traced surface the fidelity figures are measured against, and the mesh the displaced one is traced through.
#pragma once

#include <string>
#include <vector>

#include "ShellMesh.h"

// Plane: the shader's own model, the relief hung under each pixel's tangent
// plane with the eye ray running straight through it (exact on a flat mesh;
// the default, so that earlier figures keep their meaning). Displaced: the
// relief as a surface displaced inside the mesh's shell, traced from the
// camera in world space (DisplacedTracer), silhouettes included.
enum class FidelityTruth { Plane, Displaced };

namespace FidelityTruths {
// "plane" or "displaced", as the fidelityTruth variable takes it.
std::string name(FidelityTruth truth);
// The words a table's title names it by.
std::string describe(FidelityTruth truth);
// False for a word that names no truth, `out` untouched.
bool parse(std::string const& word, FidelityTruth& out);
}  // namespace FidelityTruths

// The mesh as it was drawn, in world space, for the displaced truth.
struct DrawnMesh {
  std::vector<ShellVertex> vertices;
  std::vector<int> triangles;  // three vertex indices each
};
