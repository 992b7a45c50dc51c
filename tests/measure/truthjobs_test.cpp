// The fidelity jobs against the displaced truth on a stand-in scene, a square
// seen head-on whose truth hits lie where the stand-in's do: coverage shares
// counted by hand, the truth's context line, the angles' tangent-plane floor,
// hits off the mesh's outline and the shadow verdict's column.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "MeasureJobs.h"
#include "Techniques.h"
#include "resultfiles.h"
#include "standinscene.h"

namespace {

using namespace Techniques;

// The stand-in's 12 x 6 view of a square in the plane x = 0 facing the camera
// (-x), y and z from -2 to 2, mapped so that each pixel over it has the
// stand-in's own texture coordinate ((x + 0.5) / 12, (y + 0.5) / 6): the
// square covers columns 2 to 9, every row, 48 of the 72 pixels.
void squareInView(StandInScene& scene, FidelityTruth truth) {
  MeasureScene::Snapshot& s = scene.snap;
  s.truth = truth;
  s.view.reset();
  s.view.ortho = true;
  s.view.width = 3.0f;
  s.view.basis.pos = _vec<3, float>(-10.0f, 0.0f, 0.0f);
  s.light = _vec<4, float>(-1.0f, 0.0f, 0.0f, 0.0f);
  std::shared_ptr<DrawnMesh> mesh(new DrawnMesh);
  for (float z : {-2.0f, 2.0f})
    for (float y : {2.0f, -2.0f})
      mesh->vertices.push_back(
          ShellVertex{{0, y, z}, {-1, 0, 0}, {0, -1, 0}, 1.0f, {0.5f - y / 6.0f, 0.5f + z / 3.0f}, {6.0f, 3.0f}});
  mesh->triangles = {0, 1, 3, 3, 2, 0};
  s.mesh = mesh;
  scene.eyeX.assign(72, 0.0f);
  scene.eyeY = 0.0f;
}

bool onSquare(int pixel) { return pixel % 12 >= 2 && pixel % 12 <= 9; }

}  // namespace

// ITERATIVE draws every pixel: the 24 off the square are extra, of 72
// covered. PARALLAX draws the square but discards three of its pixels: they
// are missing, of 48. Against the tangent plane the same passes have no
// coverage figures, and the discarded pixels are left out of the texel ones.
TEST(DisplacedTruth, ExtraAndMissingAreTheSharesOfCoveredPixelsWhereTheSetAndTheTruthDisagree) {
  for (FidelityTruth truth : {FidelityTruth::Displaced, FidelityTruth::Plane}) {
    StandInScene scene;
    squareInView(scene, truth);
    scene.drawsAt = [](unsigned set, int pixel) {
      return set == Iterative || (onSquare(pixel) && pixel != 14 && pixel != 27 && pixel != 40);
    };
    std::string const csv = tempFile("truth_coverage.csv");
    testing::internal::CaptureStdout();
    ASSERT_TRUE(scene.run(*makeFidelityJob(scene, FidelityMode::Sweep, csv, SweepPlan{{Iterative, Parallax}, {8}})));
    std::string const printed = testing::internal::GetCapturedStdout();
    std::string context;
    Rows const rows = csvRows(csv, &context);
    ASSERT_EQ(rows.size(), 3u);
    size_t const extra = column(rows, "extra"), missing = column(rows, "missing"), mean = column(rows, "mean");
    bool const displaced = truth == FidelityTruth::Displaced;
    SCOPED_TRACE(displaced ? "displaced" : "plane");
    EXPECT_NE(context.find(displaced ? "# truth displaced" : "# truth plane"), std::string::npos) << context;
    EXPECT_NE(printed.find(displaced ? "against the traced displaced surface" : "against the traced tangent-plane"),
              std::string::npos);
    EXPECT_EQ(printed.find("and the displaced surface through 2 triangles") != std::string::npos, displaced) << printed;
    EXPECT_EQ((std::vector<std::string>{rows[1][extra], rows[1][missing], rows[2][extra], rows[2][missing]}),
              displaced ? (std::vector<std::string>{"0.3333", "0.0000", "0.0000", "0.0625"})
                        : std::vector<std::string>(4, "-"));
    // Where both hit the set is off by its fixed 0.25 texel.
    for (size_t r : {1, 2}) EXPECT_NEAR(std::stod(rows[r][mean]), 0.25, 1e-3) << r;
  }
}

// Against the displaced truth the angles table starts with the tangent-plane
// reference's own rows, which on a flat square seen head-on lie on the truth
// wherever both hit (the 24 pixels off the square are its extra); against the
// tangent plane there is no such row.
TEST(DisplacedTruth, TheAnglesTableMeasuresTheTangentPlaneReferenceAsItsFloor) {
  for (FidelityTruth truth : {FidelityTruth::Displaced, FidelityTruth::Plane}) {
    StandInScene scene;
    squareInView(scene, truth);
    SweepPlan plan;
    plan.sets = {Iterative};
    std::string const csv = tempFile("truth_angles.csv");
    std::unique_ptr<BenchJob> job = makeFidelityJob(scene, FidelityMode::Angles, csv, plan);
    ASSERT_TRUE(scene.run(*job));
    Rows const rows = csvRows(csv);
    ASSERT_GT(rows.size(), 1u);
    size_t const set = column(rows, "set"), from = column(rows, "angle_from"), mean = column(rows, "mean"),
                 extra = column(rows, "extra"), missing = column(rows, "missing"), pixels = column(rows, "pixels");
    size_t floorRows = 0;
    for (size_t r = 1; r < rows.size(); ++r) {
      if (rows[r][set] != "tangent-plane reference") continue;
      ++floorRows;
      if (rows[r][from] != "0") continue;
      ASSERT_EQ(rows[r].size(), rows[0].size()) << r;
      EXPECT_EQ(rows[r][pixels], "48");
      EXPECT_EQ(rows[r][mean], "0.000");
      EXPECT_EQ(rows[r][extra], "0.3333");
      EXPECT_EQ(rows[r][missing], "0.0000");
    }
    EXPECT_EQ(floorRows, truth == FidelityTruth::Displaced ? 18u : 0u);
    if (truth == FidelityTruth::Displaced) {
      EXPECT_EQ(rows[1][set], "tangent-plane reference");
    }
  }
}

// Where the truth meets the surface off the mesh's outline (as under an open
// border) the pixels are counted, said, and missing from every set; a set that
// traces shadows gets the light's verdict (all lit here), one that does not
// gets none.
TEST(DisplacedTruth, HitsOffTheOutlineAreSaidAndShadowedSetsGetTheLightsVerdict) {
  StandInScene scene;
  squareInView(scene, FidelityTruth::Displaced);
  scene.onMesh = [](int pixel) { return pixel % 12 >= 2 && pixel % 12 <= 8; };  // column 9 is off it
  std::string const csv = tempFile("truth_outline.csv");
  testing::internal::CaptureStdout();
  bool const ran = scene.run(*makeFidelityJob(scene, FidelityMode::Table, csv));
  std::string const printed = testing::internal::GetCapturedStdout();
  ASSERT_TRUE(ran);
  EXPECT_NE(printed.find("fidelity: 6 pixels off the mesh's outline meet the displaced surface"), std::string::npos)
      << printed;
  Rows const rows = csvRows(csv);
  ASSERT_GT(rows.size(), 2u);
  size_t const set = column(rows, "set"), missing = column(rows, "missing"), shadow = column(rows, "shadow_disagreement");
  for (size_t r = 1; r < rows.size(); ++r) {
    SCOPED_TRACE(rows[r][set]);
    EXPECT_EQ(rows[r][missing], "0.1250");
    unsigned bits = 0;
    std::string error;
    ASSERT_TRUE(Techniques::parse(rows[r][set], bits, error)) << error;
    EXPECT_EQ(rows[r][shadow], withPartners(bits) & ShadowTrace ? "0.0000" : "-");
  }
}
