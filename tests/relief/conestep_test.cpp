// Cone stepping on the CPU as the shader is to run it, over thin walls, lone spikes and the bundled bricks: no step
// passes through the bilinear surface, wider cones would, and the march ends on the exact hit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "BilinearCell.h"
#include "CellWalk.h"
#include "ConeMap.h"
#include "ConeTracer.h"
#include "HardMaps.h"
#include "HeightField.h"
#include "NormalMap.h"
#include "ReliefTracer.h"
#include "base/image.h"
#include "base/imagesystem.h"

namespace {

float const depth = 0.1f;

// The lowest gap (height - ray height) over [t0, t1] of the ray the tracer
// reads from eye, exactly (in each cell a quadratic), in double.
double lowestGap(HeightField const& f, float u, float v, float const eye[3], double t0, double t1) {
  double const len = std::sqrt(double(eye[0]) * eye[0] + double(eye[1]) * eye[1] + double(eye[2]) * eye[2]);
  double const ez = std::max(eye[2] / len, 0.05), du = -eye[0] / len / ez * depth, dv = -eye[1] / len / ez * depth;
  CellRay const ray{(u - std::floor(u)) * f.width() - 0.5, (v - std::floor(v)) * f.height() - 0.5, du * f.width(),
                    dv * f.height()};
  double lowest = 1e9;
  walkCells(f, ray, t0, t1, nullptr, false, [](HeightField::Range, double, double) { return false; },
            [&](CellSpan const& span) {
              // Minus the gap: the ray falls by s from 1 - t0 over the stretch.
              Quadratic const q = heightAlong(span, ray.dx, ray.dy), down{-q.a, -q.b - 1.0, 1.0 - span.t0 - q.c};
              lowest = std::min(lowest, -highestOver(down, span.t1 - span.t0));
              return false;
            });
  return lowest;
}

// Rays steep to grazing (0.5 to 300 texels over the depth), half over a
// full-height texel 1/5 to 4/5 down, marched 512 steps with cones widened by
// `widen`. A step ends by the first meeting, or is the last with the ray under
// the surface from there on (the bisection finds it); conservative cone steps
// never pass it. Counts the steps breaking that, and those the cones set.
struct Faults { int faults = 0, coneSteps = 0, steps = 0; };
Faults marchFaults(HeightField const& field, ConeMap::Kind kind, float widen) {
  ConeTracer const march(field, ConeMap::pack(ConeMap::generate(field, 2, nullptr, nullptr, kind, ConeMap::Reading::Linear)), depth);
  ReliefTracer const reference(field, depth);
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  Faults out;
  for (int ray = 0; ray < 3000; ++ray) {
    float const turn = 6.2831853f * unit(rng);
    float const lean = 0.5f * std::pow(600.0f, unit(rng)) / static_cast<float>(field.width()) / depth;
    float const eye[3] = {-lean * std::cos(turn), -lean * std::sin(turn), 1.0f};
    float u = unit(rng), v = unit(rng);
    if (ray % 2) {
      long x, y;
      do {
        x = static_cast<long>(rng() % static_cast<unsigned>(field.width()));
        y = static_cast<long>(rng() % static_cast<unsigned>(field.height()));
      } while (field.texel(x, y) < 1.0f);
      // The ray's t over the texel, and its reach as the march takes it.
      float const down = 0.2f + 0.6f * unit(rng), n = std::sqrt(1.0f + lean * lean);
      float const reach = lean / n / std::max(1.0f / n, 0.05f) * depth * down;
      u = (static_cast<float>(x) + 0.5f) / static_cast<float>(field.width()) - reach * std::cos(turn);
      v = (static_cast<float>(y) + 0.5f) / static_cast<float>(field.height()) - reach * std::sin(turn);
    }
    double const hit = reference.trace({u, v, {eye[0], eye[1], eye[2]}, {0.0f, 0.0f, 1.0f}}).t;
    // A step's end may lie a hundredth of a texel past the meeting by rounding.
    double const slack = 0.01 / (std::max(lean * depth, 1e-3f) * static_cast<float>(field.width()));
    std::vector<ConeStep> trail;
    march.trace(u, v, eye, 512, 0, widen, &trail);
    for (size_t i = 0; i < trail.size(); ++i) {
      ConeStep const& s = trail[i];
      ++out.steps;
      out.coneSteps += s.cone;
      if (s.t1 <= hit + slack) continue;
      bool const conservativeCone = s.cone && kind == ConeMap::Kind::Conservative;
      bool const last = i + 1 == trail.size();
      if (conservativeCone || !last || lowestGap(field, u, v, eye, hit + slack, s.t1) < -1e-4) ++out.faults;
    }
  }
  return out;
}

// The bricks the bench starts with, their heights as the alpha of the normal map.
HeightField bricks() {
  ImageSystem::init();
  ImagePtr const img(ImageSystem::load(RB_DATA_DIR "/bumptest.bmp"));
  EXPECT_TRUE(img && img->bitsPerPixel == 24);
  std::vector<unsigned char> rgba(static_cast<size_t>(img->width) * static_cast<size_t>(img->height) * 4);
  NormalMap::computeNormalMap(img->data, img->width, img->height, 100.0f, rgba.data());
  return HeightField::fromRgba8(rgba.data(), img->width, img->height);
}

}  // namespace

TEST(ConeStepping, NoStepPassesThroughThinWallsOrLoneSpikesAndWiderConesWould) {
  for (ConeMap::Kind kind : {ConeMap::Kind::Relaxed, ConeMap::Kind::Conservative})
    for (HardMaps::Kind k : {HardMaps::Kind::Walls, HardMaps::Kind::Spikes})
      for (int size : {64, 256}) {
        HeightField const field = HardMaps::make(k, size);
        Faults const safe = marchFaults(field, kind, 1.0f), wide = marchFaults(field, kind, 1.5f);
        std::string const name = std::string(ConeMap::name(kind)) + " " + HardMaps::name(k) + " " + std::to_string(size);
        EXPECT_EQ(safe.faults, 0) << name << ": steps through the surface";
        EXPECT_GT(safe.coneSteps, safe.steps / 4) << name << ": the cones, not the cells, do the work";
        EXPECT_GT(wide.faults, 0) << name << ": cones half as wide again pass through";
      }
}

TEST(ConeStepping, MarchEndsOnTheExactHitOnBricksAndWalls) {
  // With steps enough every ray ends within 0.05 texel of the exact hit; cut
  // to four, one that has not reached the surface stops short of it.
  for (bool wall : {false, true}) {
    HeightField const field = wall ? HardMaps::make(HardMaps::Kind::Walls, 256) : bricks();
    for (ConeMap::Kind kind : {ConeMap::Kind::Relaxed, ConeMap::Kind::Conservative}) {
      ConeTracer const march(field, ConeMap::pack(ConeMap::generate(field, 2, nullptr, nullptr, kind, ConeMap::Reading::Linear)), depth);
      ReliefTracer const reference(field, depth);
      std::mt19937 rng(3);
      std::uniform_real_distribution<float> unit(0.0f, 1.0f);
      int far = 0, shortOf = 0;
      for (int ray = 0; ray < 2000; ++ray) {
        float const u = unit(rng), v = unit(rng), turn = 6.2831853f * unit(rng), lean = 4.0f * unit(rng);
        float const eye[3] = {lean * std::cos(turn), lean * std::sin(turn), 1.0f};
        TraceResult const ref = reference.trace({u, v, {eye[0], eye[1], eye[2]}, {0.0f, 0.0f, 1.0f}});
        ConeHit const hit = march.trace(u, v, eye, 4096, 24);
        ASSERT_TRUE(hit.found) << ray;
        far += std::hypot((hit.u - ref.u) * field.width(), (hit.v - ref.v) * field.height()) > 0.05f;
        ConeHit const cut = march.trace(u, v, eye, 4, 24);
        ASSERT_LE(cut.steps, 4) << ray;
        ASSERT_TRUE(cut.found || cut.t <= ref.t + 1e-4f) << ray << ": cut short at " << cut.t << ", hit at " << ref.t;
        shortOf += !cut.found;
      }
      EXPECT_EQ(far, 0) << (wall ? "walls " : "bricks ") << ConeMap::name(kind);
      EXPECT_GT(shortOf, 0) << "four steps are too few for some rays";
    }
  }
}
