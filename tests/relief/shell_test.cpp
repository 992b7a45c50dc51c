// The displaced-surface reference: the shell walk against brute-force crossings of the mesh and its partners, a white
// map as the mesh, a flat mesh as the tangent-plane model, a black map's outline, rays that leave one part and meet
// another, threads and cancelling.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <random>
#include <vector>

#include "DisplacedTracer.h"
#include "HardMaps.h"
#include "Model3D.h"
#include "ReliefTracer.h"
#include "ShellMesh.h"
#include "Sphere.h"
#include "Stats.h"
#include "math/quat.h"

namespace {

struct Mesh { std::vector<ShellVertex> v; std::vector<int> tris; };

// The bench's sphere as the shell takes it: its vertices, frames, texel scales.
Mesh sphere() {
  Model3D s;
  buildBenchSphere(s);
  Mesh m;
  for (Model3D::Vertex const& x : s.getVertices()) {
    _vec<3, float> const &p = x.position, &n = x.basis.vec(2), &t = x.basis.vec(0);
    m.v.push_back({{p.x, p.y, p.z}, {n.x, n.y, n.z}, {t.x, t.y, t.z}, x.handedness, {x.texCoord.x, x.texCoord.y},
                   {x.texelScale.x, x.texelScale.y}});
  }
  m.tris = s.getIndices();
  return m;
}

// Appends a square in x = x0 facing -x, side 2 * half, n x n repeats, u along
// -y and v along +z (the bench's plane is plane(m, 0, 4, 4)).
void plane(Mesh& m, float x0, float half, int n) {
  int const base = static_cast<int>(m.v.size());
  float const scale = 2 * half / static_cast<float>(n);
  for (int j = 0; j <= n; ++j)
    for (int i = 0; i <= n; ++i)
      m.v.push_back({{x0, half - 2 * half * i / n, -half + 2 * half * j / n}, {-1, 0, 0}, {0, -1, 0}, 1.0f,
                     {static_cast<float>(i), static_cast<float>(j)}, {scale, scale}});
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      int const k = base + (n + 1) * j + i;
      m.tris.insert(m.tris.end(), {k, k + 1, k + n + 2, k + n + 2, k + n + 1, k});
    }
}

// The bench's perspective view: looking along local +x, +y left, +z up,
// half-width w at distance 1; (sx, sy) in pixels from the bottom left.
struct Camera {
  float pos[3];
  _quat<float> q;
  int width, height;
  float w = 0.1f;
  DisplacedRay ray(double sx, double sy) const {
    double const y = -(2 * sx / width - 1) * w, z = (2 * sy / height - 1) * w * height / width;
    _vec<3, float> const x = q.xAxis(), l = q.yAxis(), u = q.zAxis();
    DisplacedRay r{{pos[0], pos[1], pos[2]}, {}};
    for (int k = 0; k < 3; ++k) r.direction[k] = static_cast<float>(x[k] + l[k] * y + u[k] * z);
    return r;
  }
};
Camera const startUp{{-55.306f, 0.000232944f, 14.3633f}, {-0.700785f, 0.0943430f, 0.0943405f, 0.700785f}, 800, 600};

HeightField flat(float h) { return HeightField(4, 4, std::vector<float>(16, h)); }

float const pointLight[4] = {-7.60227f, 0.788751f, 0.296831f, 1.0f};

struct Record : ShellVisitor {
  std::vector<ShellSegment> segs;
  bool visit(ShellSegment const& s) override {
    segs.push_back(s);
    return false;
  }
};

using dvec3 = _vec<3, double>;

// Where the ray o + t d crosses the triangle (p0, p1, p2), or -1.
double crossing(dvec3 const& o, dvec3 const& d, dvec3 const& p0, dvec3 const& p1, dvec3 const& p2) {
  dvec3 const e1 = p1 - p0, e2 = p2 - p0, s = o - p0, p = cross(d, e2), q = cross(s, e1);
  double const det = dot(e1, p);
  if (std::fabs(det) < 1e-14) return -1;
  double const a = dot(s, p) / det, b = dot(d, q) / det;
  return a >= 0 && b >= 0 && a + b <= 1 ? dot(e2, q) / det : -1;
}

}  // namespace

TEST(ShellMesh, RaysThroughTheClosedSphereCrossItsMeshAndPartnersWhereTheyLieAndNowhereElse) {
  Mesh const m = sphere();
  float const depth = 0.4f;
  ShellMesh const shell(m.v, m.tris, depth);
  // Partners: inward along the normal by the depth times sqrt(|dP/du| |dP/dv|),
  // averaged over the used vertices at one place (seams, poles).
  std::vector<dvec3> top, bottom;
  std::vector<bool> used(m.v.size());
  auto near = [&](int a, int b) {
    float const *p = m.v[static_cast<size_t>(a)].position, *q = m.v[static_cast<size_t>(b)].position;
    return std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]) < 1e-5;
  };
  for (size_t i = 0; i < m.tris.size(); i += 3)
    if (!near(m.tris[i], m.tris[i + 1]) && !near(m.tris[i + 1], m.tris[i + 2]) && !near(m.tris[i], m.tris[i + 2]))
      for (size_t c = 0; c < 3; ++c) used[static_cast<size_t>(m.tris[i + c])] = true;
  for (size_t i = 0; i < m.v.size(); ++i) {
    ShellVertex const& v = m.v[i];
    double sum = 0, n = 0;
    for (size_t j = 0; j < m.v.size(); ++j)
      if (used[j] && near(static_cast<int>(i), static_cast<int>(j)))
        sum += std::sqrt(m.v[j].texelScale[0] * m.v[j].texelScale[1]), ++n;
    dvec3 t, b;
    for (int k = 0; k < 3; ++k) t[k] = v.position[k], b[k] = v.position[k] - v.normal[k] * depth * sum / n;
    top.push_back(t);
    bottom.push_back(b);
  }
  std::mt19937 rng(3);
  std::normal_distribution<double> gauss;
  std::uniform_real_distribution<double> unit(0, 1);
  int through = 0;
  for (int r = 0; r < 3000; ++r) {
    dvec3 o, aim;
    for (int k = 0; k < 3; ++k) o[k] = gauss(rng), aim[k] = gauss(rng);
    // Rays from 12 away to radius 3.5 to 4.05; every tenth exactly at a vertex
    // (seams and poles among them), every tenth along a seam's meridian.
    double const radius = 3.5 + 0.55 * unit(rng);
    o *= 12 / o.len();
    aim *= radius / aim.len();
    if (r % 10 == 1)
      for (int k = 0; k < 3; ++k) aim[k] = m.v[static_cast<size_t>(rng() % m.v.size())].position[k];
    if (r % 10 == 2) aim[1] = 0, aim[0] = std::fabs(aim[0]);
    dvec3 const d = aim - o;
    ShellRay const ray{{o[0], o[1], o[2]}, {d[0], d[1], d[2]}};
    Record rec;
    shell.walk(ray, 0, 1e30, -1, rec, nullptr);

    // Stretches inside follow without a gap; the shell is entered and left as
    // often, only through the mesh and the partners.
    std::vector<double> walked;
    int depthNow = 0;
    for (size_t i = 0; i < rec.segs.size(); ++i) {
      ShellSegment const& s = rec.segs[i];
      ASSERT_NE(s.entry, ShellFace::Side) << r;
      ASSERT_NE(s.exit, ShellFace::Side) << r;
      if (s.entry == ShellFace::Inner) {
        ASSERT_GT(i, 0u);
        ASSERT_EQ(rec.segs[i - 1].exit, ShellFace::Inner) << r;
        ASSERT_EQ(rec.segs[i - 1].t1, s.t0) << r;
      } else {
        ASSERT_EQ(depthNow++, 0) << r;
        walked.push_back(s.t0);
      }
      if (s.exit != ShellFace::Inner) {
        ASSERT_EQ(--depthNow, 0) << r;
        walked.push_back(s.t1);
      }
    }
    ASSERT_EQ(depthNow, 0) << r;
    if (r % 10 == 1) continue;  // exactly through a vertex: brute force cannot tell which faces it passes

    std::vector<double> expected;
    for (std::vector<dvec3> const* layer : {&top, &bottom})
      for (size_t i = 0; i < m.tris.size(); i += 3) {
        double const t = crossing(o, d, (*layer)[m.tris[i]], (*layer)[m.tris[i + 1]], (*layer)[m.tris[i + 2]]);
        if (t >= 0) expected.push_back(t);
      }
    std::sort(expected.begin(), expected.end());
    // A shared edge's crossing counts twice; a ray only touching the shell may
    // be seen by either side, or not.
    expected.erase(std::unique(expected.begin(), expected.end(), [](double a, double b) { return b - a < 1e-7; }),
                   expected.end());
    if (expected.size() % 2 == 1 || (expected.size() == 2 && expected[1] - expected[0] < 1e-6)) continue;
    ASSERT_EQ(walked.size(), expected.size()) << r;
    for (size_t i = 0; i < walked.size(); ++i) ASSERT_NEAR(walked[i], expected[i], 1e-6) << r << " " << i;
    through += expected.size() == 4;
  }
  EXPECT_GT(through, 500);  // the sample does pass right through the sphere
}

TEST(DisplacedTracer, OnTheFlatPlaneItIsTheTangentPlaneModelHitsAndShadows) {
  Mesh m;
  plane(m, 0, 4, 4);
  float const depth = 0.1f;
  ShellMesh const shell(m.v, m.tris, depth);
  float const sun[4] = {-1.0f, 0.4f, 0.25f, 0.0f};
  // At 80 degrees from the normal, as the bench's plane view.
  Camera const cam{{-10.4189f, 0.0f, 59.0885f}, {-0.541676f, 0.454521f, 0.454518f, 0.541674f}, 400, 300};
  for (HardMaps::Kind kind : {HardMaps::Kind::Hemispheres, HardMaps::Kind::Walls}) {
    HeightField const field = HardMaps::make(kind, 256);
    DisplacedTracer const tracer(shell, field, sun);
    DisplacedTracer const plain(shell, field, sun, false);
    ReliefTracer const reference(field, depth);
    std::vector<double> diffs, depths;
    int agree = 0, lightable = 0;
    auto inside = [](double u, double v) { return u > 0.01 && u < 3.99 && v > 0.01 && v < 3.99; };
    for (int y = 0; y < cam.height; ++y)
      for (int x = 0; x < cam.width; ++x) {
        DisplacedRay const ray = cam.ray(x + 0.5, y + 0.5);
        TraceInput in;
        if (!tracer.tangentPlaneInput(ray, in)) continue;
        float const len = std::sqrt(in.eye[0] * in.eye[0] + in.eye[1] * in.eye[1] + in.eye[2] * in.eye[2]);
        TraceResult const ref = reference.trace(in);
        if (!(in.eye[2] / len > 0.05f) || !inside(in.u, in.v) || !inside(ref.u, ref.v)) continue;
        DisplacedResult const r = tracer.trace(ray);
        ASSERT_TRUE(r.hit);
        diffs.push_back(std::hypot(r.u - ref.u, r.v - ref.v) * 256.0f);
        depths.push_back(std::fabs(r.d - ref.t));
        if (ref.lightAbove) agree += r.lit == ref.lit, ++lightable;
        EXPECT_EQ(r.lightAbove, ref.lightAbove);
        // Passing over blocks changes nothing.
        DisplacedResult const p = plain.trace(ray);
        EXPECT_TRUE(p.u == r.u && p.v == r.v && p.lit == r.lit) << x << " " << y;
      }
    ASSERT_GT(diffs.size(), 5000u);
    EXPECT_LT(Stats::percentile(diffs, 99), 0.001) << HardMaps::name(kind);
    EXPECT_LT(Stats::percentile(depths, 99), 1e-5) << HardMaps::name(kind);
    EXPECT_GT(agree, 0.999 * lightable) << HardMaps::name(kind);
  }
}

TEST(DisplacedTracer, AWhiteMapIsTheMeshItselfABlackOneShrinksTheOutlineByTheLocalDepthAndRaysGrazingTheShellMiss) {
  Mesh const m = sphere();
  float const depth = 0.4f;
  ShellMesh const shell(m.v, m.tris, depth);
  HeightField const white = flat(1.0f), black = flat(0.0f);
  DisplacedTracer const mesh(shell, white, pointLight), truth(shell, black, pointLight);
  int hits = 0;
  for (int y = 0; y < startUp.height; y += 7)
    for (int x = 0; x < startUp.width; x += 7) {
      DisplacedRay const ray = startUp.ray(x + 0.5, y + 0.5);
      TraceInput polygon;
      int triangle = -1;
      bool const drawn = mesh.tangentPlaneInput(ray, polygon, &triangle);
      DisplacedResult const r = mesh.trace(ray);
      ASSERT_EQ(r.hit, drawn) << x << " " << y;
      if (!drawn) continue;
      ++hits;
      EXPECT_EQ(r.triangle, triangle);
      EXPECT_LT(r.d, 1e-5f);
      EXPECT_NEAR(r.u, polygon.u, 1e-5f);
      EXPECT_NEAR(r.v, polygon.v, 1e-5f);
      // On the polygon: the sphere's facets lie within 4.
      double const radius = std::hypot(r.position[0], r.position[1], r.position[2]);
      EXPECT_TRUE(radius > 3.97 && radius < 4.0001) << radius;
    }
  EXPECT_GT(hits, 4000);
  // The sphere's centre in the view.
  _vec<3, float> const ax[3] = {startUp.q.xAxis(), startUp.q.yAxis(), startUp.q.zAxis()};
  double local[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i)
    for (int k = 0; k < 3; ++k) local[i] -= startUp.pos[k] * ax[i][k];
  double const cx = (1 - local[1] / (local[0] * startUp.w)) * startUp.width / 2;
  double const cy = (1 + local[2] / (local[0] * startUp.w * startUp.height / startUp.width)) * startUp.height / 2;
  for (int a = 0; a < 24; ++a) {
    double const dir[2] = {std::cos(a * 0.2618), std::sin(a * 0.2618)};
    // The outline along a line from the centre, to a thousandth of a pixel.
    auto outline = [&](DisplacedTracer const& tr, DisplacedResult& last) {
      double in = 0, out = 400;
      last = tr.trace(startUp.ray(cx, cy));
      while (out - in > 1e-3) {
        double const mid = (in + out) / 2;
        DisplacedResult const r = tr.trace(startUp.ray(cx + dir[0] * mid, cy + dir[1] * mid));
        (r.hit ? in : out) = mid;
        if (r.hit) last = r;
      }
      return in;
    };
    DisplacedResult edge, inner;
    double const rMesh = outline(mesh, edge), rTruth = outline(truth, inner);
    EXPECT_GT(inner.d, 0.999f);
    // The partners lie the depth times sqrt(|dP/du| |dP/dv|) inside (between
    // the outlines' points): seen there, that length over the distance.
    double scale = 0;
    for (DisplacedResult const* r : {&edge, &inner}) {
      ShellVertex const* c[3];
      for (int i = 0; i < 3; ++i) c[i] = &m.v[static_cast<size_t>(m.tris[3 * static_cast<size_t>(r->triangle) + static_cast<size_t>(i)])];
      // The point's weights from its texture coordinate in the triangle.
      double const a1 = c[1]->uv[0] - c[0]->uv[0], b1 = c[2]->uv[0] - c[0]->uv[0];
      double const a2 = c[1]->uv[1] - c[0]->uv[1], b2 = c[2]->uv[1] - c[0]->uv[1];
      double const du = r->u - c[0]->uv[0], dv = r->v - c[0]->uv[1], det = a1 * b2 - b1 * a2;
      double const w1 = (du * b2 - b1 * dv) / det, w2 = (a1 * dv - du * a2) / det, w[3] = {1 - w1 - w2, w1, w2};
      for (int i = 0; i < 3; ++i) scale += w[i] * std::sqrt(c[i]->texelScale[0] * c[i]->texelScale[1]) / 2;
    }
    double dist = 0;
    for (int k = 0; k < 3; ++k) dist += (edge.position[k] - startUp.pos[k]) * (edge.position[k] - startUp.pos[k]);
    double const pixelsExpected = depth * scale / std::sqrt(dist) / (2 * startUp.w / startUp.width);
    EXPECT_NEAR(rMesh - rTruth, pixelsExpected, 1.0) << a;
    EXPECT_GT(pixelsExpected, 5.0);

    // Between the outlines the ray passes through the shell: background.
    DisplacedRay const grazing = startUp.ray(cx + dir[0] * (rMesh + rTruth) / 2, cy + dir[1] * (rMesh + rTruth) / 2);
    EXPECT_FALSE(truth.trace(grazing).hit) << a;
    Record rec;
    ShellRay const ray{{grazing.origin[0], grazing.origin[1], grazing.origin[2]},
                       {grazing.direction[0], grazing.direction[1], grazing.direction[2]}};
    shell.walk(ray, 0, 1e30, -1, rec, nullptr);
    ASSERT_FALSE(rec.segs.empty());
    EXPECT_EQ(rec.segs.front().entry, ShellFace::Top);
    EXPECT_EQ(rec.segs.back().exit, ShellFace::Top);
  }
}

TEST(DisplacedTracer, ARayLeavingOnePartMeetsTheNextAndAPartBetweenHitAndLightShadowsIt) {
  // A small square 2 before a large one, reliefs 0.2 deep, surface halfway.
  Mesh m;
  plane(m, -2, 1, 1);
  plane(m, 0, 4, 4);
  ShellMesh const shell(m.v, m.tris, 0.1f);
  HeightField const half = flat(0.5f);
  float const lamp[4] = {-6, 0, 0, 1};
  DisplacedTracer const tracer(shell, half, lamp);

  // In at the front face's border, out its wall above the surface, to the back.
  DisplacedResult const r1 = tracer.trace({{-3.0f, -0.05f, 0.0f}, {1, 1, 0}});
  ASSERT_TRUE(r1.hit);
  EXPECT_GE(r1.triangle, 2);
  EXPECT_NEAR(r1.position[0], 0.1f, 1e-5f);
  EXPECT_NEAR(r1.d, 0.5f, 1e-5f);
  EXPECT_TRUE(r1.lit);
  // Straight on, the front square's own surface.
  DisplacedResult const r2 = tracer.trace({{-3, 0.3f, 0.2f}, {1, 0, 0}});
  EXPECT_TRUE(r2.hit && r2.triangle < 2 && std::fabs(r2.position[0] + 1.9f) < 1e-5f);
  // Behind the front square the lamp's ray enters its shell through the
  // bottom: shadowed. Off to the side: lit.
  DisplacedRay const under{{-1, 3, 0}, {1, -3, 0}}, aside{{-1, 3, 0}, {1, 0.5f, 0}};
  DisplacedResult const shaded = tracer.trace(under), open = tracer.trace(aside);
  ASSERT_TRUE(shaded.hit && open.hit);
  EXPECT_GE(shaded.triangle, 2);
  EXPECT_TRUE(shaded.lightAbove && open.lightAbove);
  EXPECT_FALSE(shaded.lit);
  EXPECT_TRUE(open.lit);
  // So does a square whose surface lies on its bottom: the sheet is solid.
  EXPECT_FALSE(DisplacedTracer(shell, flat(0.0f), lamp).trace(under).lit);
  // A lamp behind the back square is below its tangent plane: not lit.
  float const behind[4] = {3, 3, 0, 1};
  DisplacedResult const back = DisplacedTracer(shell, half, behind).trace(aside);
  EXPECT_FALSE(back.lightAbove || back.lit);
}

TEST(DisplacedTracer, TheBatchMatchesSingleTracesCountsItsProgressAndStopsWhenCancelled) {
  Mesh const m = sphere();
  ShellMesh const shell(m.v, m.tris, 0.1f);
  HeightField const field = HardMaps::make(HardMaps::Kind::Hemispheres, 64);
  DisplacedTracer const tracer(shell, field, pointLight);
  std::vector<DisplacedRay> rays;
  for (int y = 0; y < 600; y += 10)
    for (int x = 0; x < 800; x += 10) rays.push_back(startUp.ray(x, y));
  std::vector<DisplacedResult> out(rays.size());
  std::atomic<size_t> done{0};
  std::atomic<bool> const notYet{false};  // a flag that is never raised cancels nothing
  tracer.traceAll(rays.data(), out.data(), rays.size(), 2, &done, &notYet);
  EXPECT_EQ(done.load(), rays.size());
  int hits = 0, lit = 0;
  for (size_t i = 0; i < rays.size(); ++i) {
    DisplacedResult const one = tracer.trace(rays[i]);
    ASSERT_EQ(one.hit, out[i].hit);
    ASSERT_TRUE(!one.hit || (one.u == out[i].u && one.v == out[i].v && one.lit == out[i].lit));
    hits += one.hit;
    lit += one.lit;
  }
  EXPECT_GT(hits, 1000);
  EXPECT_TRUE(lit > 100 && lit < hits - 100);

  std::atomic<bool> const cancel{true};
  std::vector<DisplacedResult> untouched(rays.size());
  for (DisplacedResult& r : untouched) r.triangle = -7;
  done = 0;
  tracer.traceAll(rays.data(), untouched.data(), rays.size(), 2, &done, &cancel);
  EXPECT_EQ(done.load(), 0u);
  EXPECT_EQ(untouched[rays.size() / 2].triangle, -7);
}

TEST(ShellMesh, AWalkCutShortEndsItsLastStretchWhereItStops) {
  Mesh m;
  plane(m, 0, 1, 1);
  // The partners lie at x = 0.2; a slanted walk stopped at x = 0.1, (y, z) =
  // (0.52, 0.31), ends halfway down at u = (1 - y) / 2, v = (z + 1) / 2.
  Record cut;
  ShellMesh(m.v, m.tris, 0.1f).walk({{-1, 0.3, 0.2}, {1, 0.2, 0.1}}, 0, 1.1, -1, cut, nullptr);
  ASSERT_FALSE(cut.segs.empty());
  ShellSegment const& end = cut.segs.back();
  EXPECT_TRUE(end.t1 == 1.1 && end.exit == ShellFace::None);
  EXPECT_TRUE(std::fabs(end.d1 - 0.5) < 1e-6 && std::fabs(end.uv1[0] - 0.24) < 1e-6 && std::fabs(end.uv1[1] - 0.655) < 1e-6)
      << end.d1 << " " << end.uv1[0] << " " << end.uv1[1];
  for (int k = 0; k < 2; ++k) {
    double uv = 0;
    for (int c = 0; c < 3; ++c) uv += end.bary1[c] * m.v[static_cast<size_t>(m.tris[3 * static_cast<size_t>(end.triangle) + static_cast<size_t>(c)])].uv[k];
    EXPECT_NEAR(uv, end.uv1[k], 1e-9) << k;
  }
}

TEST(ShellMesh, RefusesBadInputAndMakesNoPrismOfANonFiniteCorner) {
  Mesh m;
  plane(m, 0, 1, 1);
  EXPECT_THROW(ShellMesh(m.v, m.tris, 0.0f), std::invalid_argument);
  EXPECT_THROW(ShellMesh(m.v, {0, 1}, 0.1f), std::invalid_argument);
  EXPECT_THROW(ShellMesh(m.v, {0, 1, 4}, 0.1f), std::invalid_argument);
  // Three tetrahedra a prism; vertex 1 is a corner of the first triangle only.
  EXPECT_EQ(ShellMesh(m.v, m.tris, 0.1f).tetCount(), 6u);
  m.v[1].normal[2] = std::nanf("");
  EXPECT_EQ(ShellMesh(m.v, m.tris, 0.1f).tetCount(), 3u);
}
