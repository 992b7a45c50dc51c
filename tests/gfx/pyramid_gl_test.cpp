// The bundled shader's MAX_PYRAMID search on the GL, drawn with OUTPUT_HIT over
// a square seen in perspective: on a bumpy map that is not a power of two it
// stops where the CPU search does, with iterations to spare and cut short.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "HeightField.h"
#include "MaxPyramid.h"
#include "Model3D.h"
#include "PyramidTracer.h"
#include "Techniques.h"
#include "hitpass.h"
#include "testsupport/glfixture.h"

namespace {

int const view = 96;  // pixels each way
double const distance = 2.4;

// The camera looks down -z from (0, 0, distance) at a square of side 2 in the
// z = 0 plane, textured once (u along x, v along y), with a 50 degree field of
// view. A pixel centre sees the point (X, Y): the fragment gets texture
// coordinate ((X + 1) / 2, (Y + 1) / 2) and the tangent-space eye vector
// (-X, -Y, distance). False for pixels near the square's edge or off it.
bool sees(int px, int py, float& u, float& v, float eye[3]) {
  double const half = std::tan(25.0 * 3.14159265358979 / 180.0) * distance;
  double const x = ((px + 0.5) / view * 2.0 - 1.0) * half, y = ((py + 0.5) / view * 2.0 - 1.0) * half;
  u = static_cast<float>((x + 1.0) / 2.0);
  v = static_cast<float>((y + 1.0) / 2.0);
  eye[0] = static_cast<float>(-x);
  eye[1] = static_cast<float>(-y);
  eye[2] = static_cast<float>(distance);
  return std::fabs(x) < 0.98 && std::fabs(y) < 0.98;
}

// The pixels (four floats each, the hit's u and v first; rows bottom first) of
// the bundled shader with MAX_PYRAMID and OUTPUT_HIT at `steps`, on a normal
// map of flat normals whose alpha holds the w x h heights (bytes).
std::vector<float> drawHits(int w, int h, std::vector<unsigned char> const& heights, int steps) {
  hitpass::FlatMaps const maps(w, h, heights);
  hitpass::View v = {view, {0, 0, distance}, {0, 1, 0}, {}, {}};
  Model3D square;
  for (auto [x, y] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) square.addVtx(x, y, 0, (x + 1) / 2, (y + 1) / 2);
  for (int k : {0, 2}) square.addTri(k, k + 1, (k + 2) % 4);
  square.computeBasii();
  std::vector<unsigned char> bytes;
  std::vector<float> const out = hitpass::draw(square, v, maps, Techniques::macroString(Techniques::MaxPyramid, steps), 0.5f, &bytes);
  // The same pixels read back as bytes: each channel the float's value in
  // 0..1 at 8 bits, in the same place.
  EXPECT_EQ(bytes.size(), out.size());
  for (size_t i = 0; i < out.size() && i < bytes.size(); i += 97) {
    float const expected = std::min(std::max(out[i], 0.0f), 1.0f) * 255.0f;
    EXPECT_NEAR(bytes[i], expected, 1.0) << "channel " << i;
  }
  return out;
}

}  // namespace

// Hills with noise on a 40 x 24 map, with iterations to spare and cut short
// at 8 (where both searches stop on the way). (The CPU search is checked
// against the exact reference, and that against hand-worked geometry.)
TEST_F(GLTest, MaxPyramidShaderStopsWhereTheCpuSearchDoes) {
  int const w = 40, h = 24;
  std::mt19937 rng(8);
  std::vector<unsigned char> hills;
  std::vector<float> heights;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float const hill = 0.5f + 0.35f * std::sin(x * 0.5f) * std::cos(y * 0.4f) + (rng() % 40) / 400.0f;
      hills.push_back(static_cast<unsigned char>(std::clamp(hill, 0.0f, 1.0f) * 255.0f + 0.5f));
      heights.push_back(hills.back() / 255.0f);
    }
  HeightField const field(w, h, heights);
  MaxPyramid const cpu(field);
  PyramidTracer const tracer(field, cpu, 0.1f);
  for (int steps : {256, 8}) {
    std::vector<float> const hits = drawHits(w, h, hills, steps);
    std::vector<float> errors;
    int unfinished = 0;
    for (int py = 0; py < view; ++py)
      for (int px = 0; px < view; ++px) {
        float u, v, eye[3];
        if (!sees(px, py, u, v, eye)) continue;
        size_t const i = static_cast<size_t>(py * view + px) * 4;
        PyramidHit const want = tracer.trace(u, v, eye, steps);
        unfinished += !want.found;
        errors.push_back(std::hypot((hits[i] - want.u) * w, (hits[i + 1] - want.v) * h));
      }
    std::sort(errors.begin(), errors.end());
    EXPECT_LT(errors[errors.size() * 95 / 100], 0.05f) << steps << " steps, texels";
    EXPECT_LT(errors[errors.size() * 99 / 100], 0.5f) << steps << " steps, texels";
    EXPECT_EQ(unfinished > 0, steps == 8) << unfinished;
  }
}
