// MeshCounts: what a mesh file says about its size before the importer reads
// it (an OFF or PLY header's counts, an OBJ's faces counted line by line), so
// that a file over the bench's limit, or one that claims more than it could
// hold, is refused at once rather than after a read of minutes.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace MeshCounts {

// Looks at the open file `f` of `bytes` bytes, named `path` (its extension
// picks the format), and is false with a one-line reason when the file is
// sure to be refused: an OFF or PLY header claiming more vertices or faces
// than the file has bytes, or more faces than `maxTriangles` (a face of three
// corners or more is at least one triangle); an OBJ with more triangles in
// faces with texture coordinates than `maxTriangles` (the count stops there).
// True for every other file, the formats it does not look into among them;
// the importer then has the last word. Leaves `f` at an unknown position.
// `counted` (may be empty) hears the share of an OBJ counted so far, 0 to 1.
bool check(std::string const& path, FILE* f, long long bytes, unsigned long maxTriangles, std::string& error,
           std::function<void(double)> const& counted = {});

}  // namespace MeshCounts
