// The bench's sphere: a latitude/longitude grid of radius 4 with the brick
// texture repeated 32 times around and 16 times from pole to pole.
#pragma once

class Model3D;

// Replaces the mesh's contents with the sphere and computes its frames.
void buildBenchSphere(Model3D& mesh);
