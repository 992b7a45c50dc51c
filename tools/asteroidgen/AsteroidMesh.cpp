// AsteroidMesh: the lumpy body's vertices, texture coordinates and faces.
#include "AsteroidMesh.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "TileNoise.h"

namespace {

double const pi = 3.14159265358979323846;

struct Lump {
  double x, y, z, height, width;
};

// The body's radius along the unit direction (x, y, z): an ellipsoid's, with
// each lump added where the direction points near its centre.
double radiusAt(double x, double y, double z, std::vector<Lump> const& lumps) {
  double const ellipsoid = 1.0 / std::sqrt(x * x + y * y / (0.82 * 0.82) + z * z / (0.7 * 0.7));
  double r = 1.0;
  for (Lump const& l : lumps) r += l.height * std::exp(-(1.0 - (x * l.x + y * l.y + z * l.z)) / l.width);
  return ellipsoid * r;
}

}  // namespace

std::string asteroidObj(int rings, int segments, uint32_t seed) {
  std::vector<Lump> lumps;
  for (uint32_t i = 0; i < 12; ++i) {
    double const z = 2.0 * hashUnit(i, 11, seed) - 1.0, phi = 2.0 * pi * hashUnit(i, 12, seed);
    double const s = std::sqrt(1.0 - z * z);
    lumps.push_back(Lump{s * std::cos(phi), s * std::sin(phi), z, 0.3 * (hashUnit(i, 13, seed) - 0.45),
                         0.05 + 0.15 * hashUnit(i, 14, seed)});
  }
  std::string out =
      "# A lumpy asteroid made by asteroidgen: u runs twice around, v from pole to pole,\n"
      "# written up the picture (1 - v) as many tools write it.\n";
  char line[160];
  // Vertex (i, j) is ring i (0 at the north pole) and segment j (0 ... segments,
  // the last repeating the first at u = 2). Pole vertices sit at the middle of
  // their segment's u.
  for (int i = 0; i <= rings; ++i)
    for (int j = 0; j <= segments; ++j) {
      bool const pole = i == 0 || i == rings;
      double const theta = pi * i / rings, u = 2.0 * (j + (pole ? 0.5 : 0.0)) / segments;
      double const phi = 2.0 * pi * j / segments;
      double const x = std::sin(theta) * std::cos(phi), y = std::sin(theta) * std::sin(phi), z = std::cos(theta);
      double const r = radiusAt(x, y, z, lumps);
      std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\nvt %.6f %.6f\n", r * x, r * y, r * z, u,
                    1.0 - static_cast<double>(i) / rings);
      out += line;
    }
  auto index = [&](int i, int j) { return i * (segments + 1) + j + 1; };  // OBJ counts from 1
  for (int i = 0; i < rings; ++i)
    for (int j = 0; j < segments; ++j) {
      int const a = index(i, j), b = index(i + 1, j), c = index(i + 1, j + 1), d = index(i, j + 1);
      // Down the picture is south, right is east: a, b, c and a, c, d turn
      // counter-clockwise seen from outside. At a pole one corner is the
      // pole's vertex of this segment.
      int const tris[3][3] = {{a, b, c}, {a, c, d}, {a, b, d}};
      for (int t = 0; t < 3; ++t) {
        bool const wanted = i == 0 ? t == 0 : i == rings - 1 ? t == 2 : t < 2;
        if (!wanted) continue;
        std::snprintf(line, sizeof line, "f %d/%d %d/%d %d/%d\n", tris[t][0], tris[t][0], tris[t][1], tris[t][1],
                      tris[t][2], tris[t][2]);
        out += line;
      }
    }
  return out;
}
