// The bench's plane: a square as wide as the sphere, facing the start-up
// camera, with the texture repeated four times each way.
#pragma once

class Model3D;

// Replaces the mesh's contents with the plane (x = 0, y and z from -4 to 4,
// its front toward -x; u grows along -y, v along +z) and computes its frames.
void buildBenchPlane(Model3D& mesh);
