// AsteroidMesh: a lumpy low-poly body as OBJ text, mapped the way many tools
// write their files: u twice around, v from pole to pole running up the
// picture (the file's v is 1 - the bench's).
#pragma once

#include <cstdint>
#include <string>

// `rings` bands of latitude by `segments` of longitude around the origin,
// about 1 across, with smooth bumps and dents; every triangle counter-clockwise
// seen from outside, the seam at u = 0 and 2 made of separate vertices.
std::string asteroidObj(int rings, int segments, uint32_t seed);
