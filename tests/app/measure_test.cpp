// Measuring on the bench's own scene: the fidelity meter against the traced
// reference, the GPU timer, and the profile and fidelity commands.
#include <algorithm>
#include <cmath>
#include <fstream>

#include "FidelityMeter.h"
#include "ImageFidelity.h"
#include "OffscreenTarget.h"
#include "Techniques.h"
#include "base/console.h"
#include "smallview.h"

namespace {

using namespace Techniques;

FidelityMeter::Errors errorsOf(FidelityMeter& meter, unsigned set, int steps) {
  FidelityMeter::Errors e;
  std::string error;
  EXPECT_TRUE(meter.measure(set, steps, e, error)) << error;
  return e;
}

// The lines of a CSV after its context (comment) lines, or the context lines' keys.
std::vector<std::string> lines(std::string const& path, bool context = false) {
  std::ifstream in(path);
  std::vector<std::string> out;
  for (std::string l; std::getline(in, l);)
    if ((!l.empty() && l[0] == '#') == context) out.push_back(context ? l.substr(2, l.find(' ', 2) - 2) : l);
  return out;
}

}  // namespace

TEST_F(Module, TheMeterCapturesTheSphereAndJudgesTracedShadows) {
  shaderTestModule.reliefScene().light() = ReliefScene::initialLightPos;
  MeasureScene::Snapshot const snap = shaderTestModule.measureScene().snapshot();
  FidelityMeter meter(shaderTestModule.measureScene(), snap);
  std::string error, note;
  ASSERT_TRUE(meter.capture(error, note)) << error;
  EXPECT_TRUE(note.empty());
  EXPECT_GT(meter.pixels(), 100000u);
  meter.traceReference();
  EXPECT_LT(errorsOf(meter, Iterative | IterativeLerp, 256).mean, 0.25);
  // Shadows traced on the right hits mostly agree with the reference's. (How
  // far each search's hits lie is the flat grey map's test below.)
  FidelityMeter::Errors const shadowed = errorsOf(meter, Iterative | IterativeLerp | ShadowTrace, 256);
  EXPECT_GE(shadowed.shadowDisagreement, 0.0);
  EXPECT_LT(shadowed.shadowDisagreement, 0.02);
  EXPECT_LT(errorsOf(meter, 0, 32).shadowDisagreement, 0.0) << "no verdict without SHADOW_TRACE";
}

// On a flat grey map every hit lies where the eye ray has sunk 1 - h of the
// depth, so each set's error is known: exact for one offset and interpolating
// searches, within a (bisected) step for plain marches, off by the missing
// division by z for the eye's offset limiting. Sets that move no texture
// coordinate, or curve the silhouette (not the tangent plane), are not judged.
TEST_F(Module, AFlatGreyHeightMapGivesEachSetItsKnownError) {
  run("bumpMap " + greyMap("grey.png", 128));
  std::string why;
  MeasureScene::Snapshot const snap = shaderTestModule.measureScene().snapshot();
  FidelityMeter meter(shaderTestModule.measureScene(), snap);
  std::string note;
  ASSERT_TRUE(meter.capture(why, note)) << why;
  EXPECT_NE(note.find("flat at height 0.50"), std::string::npos) << note;
  meter.traceReference();

  int const steps = 32, refine = snap.settings.refineSteps;
  float const depth = snap.settings.polyThickness * 0.2f, sink = 1.0f - 128.0f / 255.0f;
  float const texels = static_cast<float>(meter.mapWidth());
  auto reachOf = [&](TraceInput const& in, bool divide) {
    float const len = std::sqrt(in.eye[0] * in.eye[0] + in.eye[1] * in.eye[1] + in.eye[2] * in.eye[2]);
    float const xy = std::hypot(in.eye[0], in.eye[1]) / len;
    return xy * depth * texels / (divide ? std::max(in.eye[2] / len, 0.05f) : 1.0f);
  };
  for (unsigned set : profileSets()) {
    unsigned const all = withPartners(set);
    if (!(all & (Parallax | OffsetLimitEye | Iterative | RelaxedCone | Techniques::MaxPyramid))) continue;
    if (all & CurvedSilhouette) continue;
    FidelityMeter::Errors const e = errorsOf(meter, set, steps);
    size_t outside = 0;
    for (size_t i = 0; i < meter.capturedInputs().size(); ++i) {
      float const err = e.perPixel[static_cast<size_t>(meter.capturedPixels()[i])];
      if (err < 0) continue;
      TraceInput const& in = meter.capturedInputs()[i];
      float const reach = reachOf(in, true);
      float bound = 0.01f;  // exact: one offset, interpolation, or a closed-form solve
      if (all & OffsetLimitEye) {
        // The search (if any) follows the shortened ray and meets the plane on it.
        float const known = std::fabs(reach - reachOf(in, false)) * sink;
        if (std::fabs(err - known) > 0.01f + 0.01f * known) ++outside;
        continue;
      }
      if (!(all & (IterativeLerp | Techniques::MaxPyramid | RelaxedCone)) && (all & Iterative)) {
        float const marched = (all & AdaptiveSteps) ? steps / 8.0f : static_cast<float>(steps);
        bound = reach / marched / ((all & BinaryRefine) ? std::ldexp(1.0f, refine) : 1.0f) + 0.01f;
      }
      if (err > bound) ++outside;
    }
    EXPECT_LE(outside, e.pixels / 1000) << name(set) << ": " << outside << " of " << e.pixels << " pixels";
    if ((all & IterativeLerp) && !(all & OffsetLimitEye)) {
      EXPECT_EQ(e.over1, 0.0) << name(set) << ": no pixel a texel off";
    }
  }
  // The reference frame shaded from the traced hits looks like the interpolating
  // march's: the hits agree, the mip levels differ only as the gradients do.
  ImageFidelity image(shaderTestModule.measureScene(), snap);
  image.follow(meter);
  std::vector<unsigned char> frame;
  ASSERT_TRUE(shaderTestModule.measureScene().drawColour(snap, MeasureScene::Draw{Iterative | IterativeLerp, steps, ""},
                                                         &frame, nullptr, why)) << why;
  ImageFidelity::Result seen;
  ASSERT_TRUE(image.compare(Iterative | IterativeLerp, frame, seen, why)) << why;
  EXPECT_GT(seen.summary.pixels, 100000u);
  EXPECT_LT(seen.summary.mean, 0.01);
  EXPECT_LT(seen.summary.p99, 0.05);

  // The heat maps beside the frame: no error is the texel scale's dark blue
  // end and the image scale's black.
  shaderTestModule.getGui()->setTechniques(Iterative | IterativeLerp);
  std::string const map = testing::TempDir() + "map.png";
  run("fidelity map " + map);
  shaderTestModule.getGui()->setTechniques(0);
  int w = 0, h = 0;
  std::vector<unsigned char> const picture = readPNG(map, w, h);
  ASSERT_EQ(w, 3 * snap.width);
  auto at = [&](int x, int y) { return &picture[3 * (static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x))]; };
  unsigned char const* heat = at(w / 2, snap.height / 2);
  EXPECT_TRUE(heat[0] < 30 && heat[1] < 40 && heat[2] > 100) << int(heat[0]) << " " << int(heat[1]) << " " << int(heat[2]);
  unsigned char const* flip = at(5 * w / 6, snap.height / 2);
  EXPECT_TRUE(flip[0] < 40 && flip[1] < 20 && flip[2] < 60) << int(flip[0]) << " " << int(flip[1]) << " " << int(flip[2]);
  // The texel scale under its map runs from that dark blue on the left to red
  // at 8 texels on the right.
  int const barY = snap.height + 31, left = snap.width + 20, right = 2 * snap.width - 21;
  EXPECT_TRUE(at(left, barY)[0] < 30 && at(left, barY)[2] > 100) << int(at(left, barY)[0]);
  EXPECT_TRUE(at(right, barY)[0] > 200 && at(right, barY)[2] < 40) << int(at(right, barY)[0]);
  // Under the image scale a white tick marks its 0.
  unsigned char const* tick = at(2 * snap.width + 20, snap.height + 37);
  EXPECT_TRUE(tick[0] > 200 && tick[1] > 200 && tick[2] > 200) << int(tick[0]) << " " << int(tick[1]);
  run("bumpMap bumptest.bmp");
}

// Timings are measured, never compared here: a draw timed on its own and the
// frame-by-frame timer both give a time.
TEST_F(Module, TheGpuTimerTimesADrawAndEveryFrame) {
  ShaderTestModule& m = shaderTestModule;
  MeasureScene::Snapshot const snap = m.measureScene().snapshot();
  std::string error;
  double drawMs = -1;
  ASSERT_TRUE(m.measureScene().drawColour(snap, MeasureScene::Draw{Iterative, 8, ""}, nullptr, &drawMs, error)) << error;
  EXPECT_GT(drawMs, 0.0);
  // The frame-by-frame timer reports every drawn frame, the cost line shows it.
  for (int i = 0; i < 12; ++i) sdlSys.pass();
  double ms = -1;
  GpuTimer& timer = m.reliefScene().gpuTimer();
  timer.finishPending();
  EXPECT_TRUE(timer.result(m.framesDrawn() - 1, ms));
  EXPECT_GT(ms, 0.0);
  EXPECT_FALSE(timer.result(m.framesDrawn() + 1, ms)) << "a frame not drawn yet has no time";
  EXPECT_EQ(m.costLine().find("GPU -"), std::string::npos) << m.costLine();
}

TEST_F(Module, ProfileAndFidelityWriteTheirTablesAndRefuseWhatTheyCannotMeasure) {
  resize(320, 240);  // a small view keeps the software renderer quick
  run("bumpMap bumptest.bmp");
  ShaderGui* gui = shaderTestModule.getGui();
  gui->setTechniques(Parallax | WriteDepth);  // fidelity then measures every set writing depth
  std::string const profile = testing::TempDir() + "profile.csv", fidelity = testing::TempDir() + "fidelity.csv";
  run({"profile 1 " + profile, "fidelity " + fidelity});
  EXPECT_EQ(gui->techniqueFlags, static_cast<int>(Parallax | WriteDepth)) << "the panel's set is as it was";
  std::vector<std::string> const p = lines(profile), f = lines(fidelity);
  // Each file says where its figures come from, in the agreed order, the
  // step mode measured among them.
  std::vector<std::string> keys{"version",   "renderer",    "colorMap",   "heightMap", "normalMap", "polyDepth",
                                "bumpScale", "refineSteps", "iterations", "steps",     "camera",    "view"};
  EXPECT_EQ(lines(profile, true), keys);
  keys.push_back("truth");
  EXPECT_EQ(lines(fidelity, true), keys);
  std::string const text = slurp(fidelity);
  EXPECT_NE(text.find("# heightMap bumptest.bmp 256x256 8-bit\n# normalMap generated\n"), std::string::npos);
  EXPECT_NE(text.find("# view 320x240 "), std::string::npos);
  EXPECT_NE(slurp(profile).find("\n# steps literals\n"), std::string::npos) << "the mode measured";
  ASSERT_EQ(p.size(), 1 + profileSets().size());
  EXPECT_EQ(p[3].substr(0, 25), "OFFSET_LIMITING_EYE,32,1,");
  ASSERT_EQ(f.size(), 1 + profileSets().size());
  EXPECT_NE(text.find("# truth plane\n"), std::string::npos) << "the tangent plane unless chosen";
  EXPECT_EQ(f[10].substr(0, 10), "PARALLAX+O");  // all six
  // The depth written against the reference's, in relief depths: the polygon's
  // own depth (no technique) is far off, the interpolated march's is close.
  auto depthP95 = [](std::string const& row) { return std::stod(row.substr(row.rfind(',') + 1)); };
  EXPECT_EQ(f[1].substr(0, 15), "WRITE_DEPTH,32,");
  EXPECT_GT(depthP95(f[1]), 0.3) << f[1];
  EXPECT_EQ(f[8].substr(0, 37), "ITERATIVE+ITERATIVE_LERP+WRITE_DEPTH,");
  EXPECT_LT(depthP95(f[8]), 0.05) << f[8];

  // A fragment shader that never mentions OUTPUT_HIT cannot be measured.
  std::string const solid = testing::TempDir() + "solid.frag";
  { std::ofstream(solid) << "void main() { gl_FragColor = vec4(1.0); }\n"; }
  std::string const bundled = shaderTestModule.reliefScene().programs().shaderFile(false).path();
  run("shader frag " + solid);
  EXPECT_NE(said("fidelity " + testing::TempDir() + "never.csv").find("never mentions OUTPUT_HIT"), std::string::npos);
  EXPECT_TRUE(lines(testing::TempDir() + "never.csv").empty());
  // One that never mentions REFERENCE_HIT has no reference frame to show.
  std::string const blind = testing::TempDir() + "blind.frag";
  std::string shader = slurp(bundled);
  for (size_t at = shader.find("REFERENCE_HIT"); at != std::string::npos; at = shader.find("REFERENCE_HIT", at))
    shader.replace(at, 13, "NO_REFERENCE");
  std::ofstream(blind) << shader;
  run("shader frag " + blind);
  EXPECT_NE(said("fidelity reference " + testing::TempDir() + "blind.png").find("never mentions REFERENCE_HIT"),
            std::string::npos);
  EXPECT_FALSE(std::ifstream(testing::TempDir() + "blind.png").good());
  run("shader frag " + bundled);

  // A depth of 0 and a view without the sphere are refused with the reason.
  run("polyDepth 0");
  EXPECT_NE(said("fidelity").find("no relief to trace"), std::string::npos);
  run("polyDepth 0.5");
  View& v = base.views[Base::VIEW_MAIN];
  _quat<float> const facing = v.basis.orient;
  v.basis.orient = _quat<float>(0, 0, 1, 0) * facing;  // turned round
  EXPECT_NE(said("fidelity").find("the view shows no part of the mesh"), std::string::npos);
  v.basis.orient = facing;
  gui->setTechniques(0);
  resize(800, 600);
}
