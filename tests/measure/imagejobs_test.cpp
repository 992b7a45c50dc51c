// The image figures of the measuring jobs on a stand-in scene of flat grey
// frames: the reference frame per set, a shader without it, a camera path.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "MeasureJobs.h"
#include "Techniques.h"
#include "math/quat.h"
#include "resultfiles.h"
#include "standinscene.h"

namespace {

using namespace Techniques;

bool shadowed(unsigned set) { return (withPartners(set) & ShadowTrace) != 0; }

}  // namespace

// Every set's frame but PARALLAX's matches the reference frame of its own
// shadows, so a comparison with the other frame or the wrong set shows an error.
TEST(ImageFigures, EachSetIsComparedWithTheReferenceFrameOfItsShadows) {
  StandInScene scene;
  scene.colourGrey = [](MeasureScene::Draw const& d, MeasureScene::Snapshot const&) {
    return d.set == Parallax ? 120 : shadowed(d.set) ? 200 : 100;
  };
  scene.referenceGrey = [](MeasureScene::Snapshot const&, bool shadows) { return shadows ? 200 : 100; };
  std::string const csv = tempFile("image-table.csv");
  ASSERT_TRUE(scene.run(*makeFidelityJob(scene, FidelityMode::Table, csv)));
  Rows const rows = csvRows(csv);
  ASSERT_EQ(rows.size(), profileSets().size() + 1);
  size_t const flip = column(rows, "flip_mean");
  EXPECT_EQ(flip, column(rows, "max") + 1) << "the image columns follow the texel columns";
  for (size_t r = 1; r < rows.size(); ++r) {
    double const e = std::stod(rows[r][flip]);
    EXPECT_TRUE(rows[r][0] == "PARALLAX" ? e > 0.01 : e == 0.0) << rows[r][0] << ": " << e;
    EXPECT_EQ(rows[r][column(rows, "flip_over")], rows[r][0] == "PARALLAX" ? "1.0000" : "0.0000");
  }
  EXPECT_EQ(scene.references.size(), 2u) << "each reference frame drawn once for the whole table";
}

TEST(ImageFigures, AShaderWithoutTheReferenceMacroStillGetsItsTexelFigures) {
  StandInScene scene;
  scene.snap.frag.text = "a shader that writes OUTPUT_HIT only";
  std::string const csv = tempFile("texels-only.csv");
  ASSERT_TRUE(scene.run(*makeFidelityJob(scene, FidelityMode::Sweep, csv, SweepPlan{{Iterative}, {4}})));
  Rows const rows = csvRows(csv);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_NEAR(std::stod(rows[1][column(rows, "mean")]), scene.offTexels(Iterative), 1e-3);
  EXPECT_EQ(rows[1][column(rows, "flip_mean")], "-");
  EXPECT_NE(rows[1][column(rows, "gpu_ms")], "-");
  EXPECT_TRUE(scene.references.empty());
}

// Frame i's camera is the start's turned by i * DEGREES / FRAMES about its up
// through the origin, place and looking direction alike, its up staying. The
// reference brightens frame by frame; ITERATIVE follows it (no temporal error),
// PARALLAX stays still and shows the reference's changes.
TEST(ImageFigures, APathTurnsTheCameraFrameByFrameAndWeighsEachSetsChanges) {
  StandInScene scene;
  scene.snap.view.basis.pos = _vec<3, float>(-10.0f, 2.0f, 1.5f);
  scene.snap.view.basis.orient = angleAxisToQuat(0.0f, 0.0f, 1.0f, -11.0f) * angleAxisToQuat(1.0f, 0.0f, 0.0f, 70.0f);
  scene.referenceGrey = [&scene](MeasureScene::Snapshot const&, bool) { return 60 + 25 * static_cast<int>(scene.captured.size()); };
  scene.colourGrey = [&scene](MeasureScene::Draw const& d, MeasureScene::Snapshot const& s) {
    return d.set == Iterative ? scene.referenceGrey(s, false) : 60;
  };
  PathPlan const plan{5, 2.0, SweepPlan{{Iterative, Parallax}, {8}}, tempFile("path-frames.csv")};  // 5 frames, 2 degrees
  std::string const csv = tempFile("path.csv");
  View const start = scene.snap.view;
  ASSERT_TRUE(scene.run(*makePathJob(scene, csv, plan)));

  // v turned by `degrees` about the unit axis k (Rodrigues).
  _vec<3, float> const k = start.basis.orient.zAxis();
  auto turn = [&k](_vec<3, float> const& v, double degrees) {
    double const a = degrees * std::acos(-1.0) / 180.0, kv = k.x * v.x + k.y * v.y + k.z * v.z;
    _vec<3, double> const cross(k.y * v.z - k.z * v.y, k.z * v.x - k.x * v.z, k.x * v.y - k.y * v.x);
    double const c = std::cos(a), s = std::sin(a);
    return _vec<3, double>(v.x * c + cross.x * s + k.x * kv * (1 - c), v.y * c + cross.y * s + k.y * kv * (1 - c),
                           v.z * c + cross.z * s + k.z * kv * (1 - c));
  };
  auto near = [](_vec<3, float> const& a, _vec<3, double> const& b, double tolerance) {
    return std::fabs(a.x - b.x) < tolerance && std::fabs(a.y - b.y) < tolerance && std::fabs(a.z - b.z) < tolerance;
  };
  ASSERT_EQ(scene.captured.size(), 5u);
  for (size_t i = 0; i < scene.captured.size(); ++i) {
    View const& v = scene.captured[i];
    double const degrees = static_cast<double>(i) * 2.0 / 5.0;
    EXPECT_TRUE(near(v.basis.pos, turn(start.basis.pos, degrees), 1e-4)) << i;
    EXPECT_TRUE(near(v.basis.orient.xAxis(), turn(start.basis.orient.xAxis(), degrees), 1e-5)) << i;
    EXPECT_TRUE(near(v.basis.orient.zAxis(), turn(k, 0), 1e-5)) << i;
  }

  Rows const rows = csvRows(csv);
  ASSERT_EQ(rows.size(), 3u);
  size_t const temporal = column(rows, "temporal");
  EXPECT_EQ(rows[1][0], "ITERATIVE");
  EXPECT_EQ(rows[1][column(rows, "frames")], "5");
  EXPECT_EQ(std::stod(rows[1][temporal]), 0.0);
  EXPECT_GT(std::stod(rows[2][temporal]), 0.05);
  EXPECT_NEAR(std::stod(rows[2][column(rows, "mean")]), scene.offTexels(Parallax), 1e-3);
  // ITERATIVE's pictures are the reference's, PARALLAX's differ from the second frame on.
  for (char const* c : {"flip_mean", "flip_p99", "flip_over"}) EXPECT_EQ(std::stod(rows[1][column(rows, c)]), 0.0) << c;
  EXPECT_GT(std::stod(rows[2][column(rows, "flip_mean")]), 0.0);

  // A row per frame and set, the first frame without a pair.
  Rows const frames = csvRows(plan.framesCsv);
  ASSERT_EQ(frames.size(), 11u);
  EXPECT_EQ(frames[1][column(frames, "temporal")], "-");
  EXPECT_EQ(frames[10][0], "4");
  EXPECT_NEAR(std::stod(frames[10][column(frames, "degrees")]), 1.6, 1e-9);
  EXPECT_GT(std::stod(frames[10][column(frames, "temporal")]), 0.05);
}
