// The angle and scale measurements on the bench's sphere in a small view: the
// angle bins, and a scale run's rows and the user's map after it.
#include <algorithm>
#include <fstream>

#include "AngleBins.h"
#include "FidelityMeter.h"
#include "MeasureJobs.h"
#include "Techniques.h"
#include "smallview.h"

using namespace Techniques;
using Scale = SmallView;

TEST_F(Scale, AngleBinsHoldThePixelsTheSpheresShapePutsThere) {
  MeasureScene::Snapshot const snap = shaderTestModule.measureScene().snapshot();
  FidelityMeter meter(shaderTestModule.measureScene(), snap);
  std::string error, note;
  ASSERT_TRUE(meter.capture(error, note)) << error;
  meter.traceReference();
  FidelityMeter::Errors e;
  ASSERT_TRUE(meter.measure(Iterative | IterativeLerp, 32, e, error)) << error;
  std::vector<float> const angles = meter.eyeAngles();
  std::vector<AngleBin> const bins = binByAngle(e.perPixel, angles);
  ASSERT_EQ(bins.size(), 18u);
  size_t sum = 0, lowest = bins.size(), highest = 0;
  for (size_t b = 0; b < bins.size(); ++b) {
    sum += bins[b].pixels;
    if (bins[b].pixels == 0) continue;
    lowest = std::min(lowest, b);
    highest = b;
  }
  EXPECT_EQ(sum, e.pixels);
  // The sphere faces the camera at the middle of its picture and turns away
  // to its rim, where the eye ray grazes it.
  int const w = meter.width(), h = meter.height();
  auto at = [&](int x, int y) { return angles[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)]; };
  int x0 = w, x1 = -1, y0 = h, y1 = -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (at(x, y) >= 0) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
  ASSERT_TRUE(x0 > 0 && y0 > 0 && x1 + 1 < w && y1 + 1 < h) << "the whole sphere is in view";
  EXPECT_EQ(static_cast<size_t>(at((x0 + x1) / 2, (y0 + y1) / 2) / 5.0f), lowest);
  EXPECT_GE(highest, 15u);
  size_t rim = 0;
  for (int y = 1; y + 1 < h; ++y)
    for (int x = 1; x + 1 < w; ++x) {
      if (at(x, y) < 0 || (at(x - 1, y) >= 0 && at(x + 1, y) >= 0 && at(x, y - 1) >= 0 && at(x, y + 1) >= 0)) continue;
      ++rim;
      EXPECT_GE(at(x, y), 60.0f) << "rim pixel " << x << ", " << y;
    }
  EXPECT_GT(rim, 50u);

  std::string const csv = tempFile("angles.csv");
  run("fidelity angles " + csv);
  std::vector<std::vector<std::string> > const rows = csvRows(csv);
  ASSERT_EQ(rows.size(), 1 + 18 * sweepSets().size());
  EXPECT_EQ(rows[0][2], "angle_from");
  EXPECT_EQ(rows[18][2], "85");
  EXPECT_EQ(rows[18][3], "90");
}

TEST_F(Scale, AScaleRunWritesItsRowsAndGivesTheUsersMapBack) {
  std::vector<float> const before = heights();
  std::string const csv = testing::TempDir() + "scale.csv";
  std::string const earlier = "set,size\nan earlier run,1\n";
  { std::ofstream(csv, std::ios::binary) << earlier; }
  ScalePlan const plan{{64, 128}, {{Iterative, Techniques::MaxPyramid}, {4, 256}}};
  runJob(makeScaleJob(shaderTestModule.measureScene(), csv, plan), [](int frame) {
    if (frame == 4) shaderTestModule.jobs().exec("cancel");
  });
  EXPECT_EQ(slurp(csv), earlier);
  EXPECT_EQ(heights(), before) << "the map after a cancel";

  runJob(makeScaleJob(shaderTestModule.measureScene(), csv, plan));
  std::vector<std::vector<std::string> > const rows = csvRows(csv);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0][1], "size");
  char const* const sizes[] = {"64", "64", "128", "128"};
  size_t const p99 = column(rows, "p99");
  for (size_t i = 1; i < rows.size(); ++i) {
    ASSERT_GT(rows[i].size(), p99);
    EXPECT_EQ(rows[i][0], name(i % 2 ? Iterative : Techniques::MaxPyramid));
    EXPECT_EQ(rows[i][1], sizes[i - 1]);
    if (rows[i][2] == "never") continue;
    EXPECT_TRUE(rows[i][2] == "4" || rows[i][2] == "256") << rows[i][2];
    EXPECT_LT(std::stod(rows[i][p99]), 0.5) << "p99 of " << rows[i][0];
  }
  EXPECT_NE(rows[2][2], "never") << "the pyramid search finds the walls exactly at enough steps";
  EXPECT_EQ(heights(), before) << "the map after the run";
}
