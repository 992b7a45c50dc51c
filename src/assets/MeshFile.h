// MeshFile: reads a mesh file (OBJ, glTF 2.0, PLY and the other formats the
// asset importer knows) into a Model3D, centred and scaled to the bench sphere's size.
#pragma once

#include <functional>
#include <string>

class Model3D;

namespace MeshFile {

// The most triangles a file may hold; larger ones are refused.
unsigned long const maxTriangles = 10000000;
// The radius the mesh is scaled to around its centre: the bench sphere's.
float const fitRadius = 4.0f;

// What a load tells on its way: one line at a time, from the first second on.
using Progress = std::function<void(std::string const& line)>;

// Reads `path` into `out`: every triangle of every mapped mesh in the file, with the
// file's node transforms applied, moved so that its bounding box's centre is
// at the origin and scaled so that its farthest vertex lies fitRadius away.
// Tangent frames come from the file where its meshes have them, else they are
// computed (Model3D::computeBasii, which welds texture seams). False, with a
// one-line reason in `error` and `out` untouched, for a missing, empty or
// broken file, one without texture coordinates, without triangles, or with
// more than maxTriangles (refused from its own counts before it is read where
// the format gives them, MeshCounts). `progress` (may be empty) hears how far
// a load has come once it has taken over a second. A loaded file's triangles
// that are not drawn (its meshes without texture coordinates, faces with a
// corner at no finite place) are told in `note`, when given: "992 of the
// file's 2976 triangles left out: ...", or "" when every one is drawn.
bool load(std::string const& path, Model3D& out, std::string& error, Progress const& progress = Progress(),
          std::string* note = nullptr);

}  // namespace MeshFile
