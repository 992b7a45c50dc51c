// weldGroups: the vertices of a mesh that lie at one position (a texture
// seam, a pole), found within a tolerance of the mesh's size.
#pragma once

#include <cstddef>
#include <vector>

#include "Model3D.h"

// The index of each vertex's group leader: vertices within 1e-5 of the mesh's
// extent (at least 1) of each other on every axis, and chains of such, share
// one leader. A vertex at no finite place is a group of its own.
std::vector<size_t> weldGroups(std::vector<Model3D::Vertex> const& vs);
