// CURVED_SILHOUETTE on the GL, drawn with OUTPUT_HIT: on the flat plane, whose
// curvature is 0, every hit is the one without it; on the sphere seen at its
// rim, the rays that leave the curved layer are discarded, and no others, and
// the pyramid walk meets that layer where the march does; on a flat mesh
// mapped unevenly, the eye ray runs over the texture in the mesh's own units.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "Model3D.h"
#include "Plane.h"
#include "Sphere.h"
#include "Techniques.h"
#include "hitpass.h"
#include "testsupport/glfixture.h"

namespace {

using hitpass::View;
int const view = 128;  // pixels each way
unsigned const lerp = Techniques::Iterative | Techniques::IterativeLerp, curved = Techniques::CurvedSilhouette;
unsigned const pyramid = Techniques::MaxPyramid;

// A map of n x n heights base + amp sin(0.3 x) cos(0.2 y) in a flat normal map's alpha.
struct Maps : hitpass::FlatMaps {
  Maps(int n, float base, float amp = 0.0f) : FlatMaps(n, n, heights(n, base, amp)) {}
  static std::vector<unsigned char> heights(int n, float base, float amp) {
    std::vector<unsigned char> out;
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) out.push_back(static_cast<unsigned char>(255.0f * (base + amp * std::sin(x * 0.3f) * std::cos(y * 0.2f)) + 0.5f));
    return out;
  }
};

// The hits of `set` at Poly Depth 2.
std::vector<float> drawHits(Model3D const& mesh, View& v, Maps const& maps, unsigned set, int steps = 64) {
  return hitpass::draw(mesh, v, maps, Techniques::macroString(set, steps) + Techniques::buildLines(set), 2.0f);
}

bool drawn(std::vector<float> const& hits, size_t pixel) { return hits[4 * pixel + 3] > 0.5f; }

}  // namespace

// Hills on the plane seen at 75 degrees from its normal: the same pixels
// drawn, each with the same hit, with the march and with the pyramid.
TEST_F(GLTest, OnTheFlatPlaneTheCurvedSilhouetteChangesNoHit) {
  Maps const maps(64, 0.5f, 0.45f);
  Model3D plane;
  buildBenchPlane(plane);
  View v = {view, {-9.0 * std::cos(75.0 * M_PI / 180.0), 0.0, 9.0 * std::sin(75.0 * M_PI / 180.0)}, {0, 1, 0}, {}, {}};
  for (unsigned search : {lerp, pyramid}) {
    std::vector<float> const flat = drawHits(plane, v, maps, search), bent = drawHits(plane, v, maps, search | curved);
    int shown = 0, differ = 0;
    for (size_t i = 0; i < flat.size(); ++i) {
      shown += i % 4 == 3 && flat[i] > 0.5f;
      differ += std::fabs(flat[i] - bent[i]) > 1e-6f;
    }
    EXPECT_GT(shown, view * view / 8) << Techniques::name(search);
    EXPECT_EQ(differ, 0) << Techniques::name(search);
  }
}

// Gentle hills around height 0.1 (0.05 to 0.15) on the sphere at Poly Depth
// 2: near the equator the layer falls about 0.1 texture units of depth per
// squared texture unit, so a ray more than about 70 degrees from the normal
// turns back out before it gets 0.85 to 0.95 of the relief's 0.4 deep, and
// one at less meets the surface. The pixels that the mesh draws more than 78
// degrees from the true sphere's normal are discarded with CURVED_SILHOUETTE;
// those under 60 are not. The march (at 256 steps) and the pyramid's exact
// walk meet the surface at the same places, past where the straight ray
// would have.
TEST_F(GLTest, OnTheSphereTheRaysThatLeaveTheCurvedLayerAreDiscarded) {
  Maps const maps(64, 0.1f, 0.05f);
  Model3D sphere;
  buildBenchSphere(sphere);
  View v = {view, {-14.0, 0.0, 0.0}, {0, 0, 1}, {}, {}};
  std::vector<float> marched;
  for (unsigned search : {lerp, pyramid}) {
    std::vector<float> const flat = drawHits(sphere, v, maps, search), bent = drawHits(sphere, v, maps, search | curved, 256);
    if (search == lerp) marched = bent;
    std::vector<float> off;
    for (size_t i = 0; i < bent.size(); i += 4)
      if (bent[i + 3] > 0.5f && marched[i + 3] > 0.5f) off.push_back(std::hypot(bent[i] - marched[i], bent[i + 1] - marched[i + 1]));
    std::sort(off.begin(), off.end());
    EXPECT_LT(off[off.size() * 99 / 100], 0.01f) << "texture units from the march's hits";
    int rim = 0, rimKept = 0, inside = 0, insideKept = 0;
    for (int py = 0; py < view; ++py)
      for (int px = 0; px < view; ++px) {
        // Where the pixel's ray meets the true sphere, and at what angle.
        double n[3], d[3], b = 0, c = -16.0, cosine = 0;
        v.ray(px, py, n, d);
        for (int k = 0; k < 3; ++k) {
          b += n[k] * d[k];
          c += n[k] * n[k];
        }
        size_t const i = static_cast<size_t>(py * view + px);
        if (b * b < c || !drawn(flat, i)) continue;
        double const t = -b - std::sqrt(b * b - c);
        if (std::fabs(n[2] + d[2] * t) > 2.5) continue;  // away from the poles
        for (int k = 0; k < 3; ++k) cosine -= (n[k] + d[k] * t) * d[k] / 4.0;
        double const angle = std::acos(std::min(1.0, cosine)) * 180.0 / M_PI;
        if (angle > 78.0) {
          ++rim;
          rimKept += drawn(bent, i);
        } else if (angle < 60.0) {
          ++inside;
          insideKept += drawn(bent, i);
        }
      }
    ASSERT_GT(rim, 80);
    EXPECT_LE(rimKept, rim / 100) << Techniques::name(search) << ": " << rim << " pixels at the rim";
    EXPECT_EQ(insideKept, inside) << Techniques::name(search);
  }
}

// A flat grey map (128/255) on a square of side 2 mapped 4 times along x and
// twice along y: a texture unit is 0.5 long along u, 1 along v and sqrt(0.5)
// in depth. The eye ray meets the relief (1 - 128/255) * 0.4 * sqrt(0.5)
// under the square, at the texture coordinate of its place over the square
// in those units: so with CURVED_SILHOUETTE; without it the reach is taken as
// long along u as along v, and the hits lie elsewhere.
TEST_F(GLTest, TheCurvedLayerMeasuresTheEyeRayInTheMeshsTextureUnits) {
  Maps const maps(8, 128.0f / 255.0f);
  Model3D const square = hitpass::squareMesh(4.0f, 2.0f);
  double const e = 4.0 * std::sin(M_PI / 3.0) / std::sqrt(2.0), sink = (1.0 - 128.0 / 255.0) * 0.4 * std::sqrt(0.5);
  View v = {view, {e, -e, 2.0}, {0, 0, 1}, {}, {}};  // 60 degrees from the normal, between +x and -y
  for (unsigned extra : {0u, curved}) {
    std::vector<float> const hits = drawHits(square, v, maps, lerp | extra);
    std::vector<double> off;
    for (int py = 0; py < view; ++py)
      for (int px = 0; px < view; ++px) {
        double n[3], d[3];
        v.ray(px, py, n, d);
        double const top = -n[2] / d[2], under = top + sink / -d[2];
        size_t const i = 4 * static_cast<size_t>(py * view + px);
        if (std::fabs(n[0] + d[0] * top) > 0.9 || std::fabs(n[1] + d[1] * top) > 0.9 || hits[i + 3] < 0.5f) continue;
        off.push_back(std::hypot(hits[i] - 2.0 * (n[0] + d[0] * under + 1.0), hits[i + 1] - (n[1] + d[1] * under + 1.0)));
      }
    ASSERT_GT(off.size(), static_cast<size_t>(view * view / 8));
    std::sort(off.begin(), off.end());
    EXPECT_TRUE(extra ? off.back() < 2e-3 : off[off.size() / 2] > 0.02) << off[off.size() / 2] << " " << off.back();
  }
}
