// The user's own maps: 16-bit heights kept to the read-back, broken or missing
// maps refused leaving the maps as they were, bumpMap and a normal map alone.
#include <cmath>
#include <fstream>
#include <vector>

#include "base/console.h"
#include "base/imagewriter.h"
#include "modulefixture.h"

namespace {

int const kW = 64, kH = 4;

// A ramp along u in steps of 7 / 65535, far under 8 bits' 1 / 255.
std::string writeRamp() {
  std::vector<float> ramp;
  for (int i = 0; i < kW * kH; ++i) ramp.push_back((30000.0f + 7.0f * static_cast<float>(i % kW)) / 65535.0f);
  std::string const path = testing::TempDir() + "ramp16.png";
  std::string error;
  EXPECT_TRUE(writeGreyPng(path, kW, kH, ramp, 16, error)) << error;
  return path;
}

}  // namespace

TEST_F(Module, SixteenBitHeightsKeepTheirStepsAndBrokenMapsChangeNothing) {
  ReliefScene& scene = shaderTestModule.reliefScene();
  std::string const ramp16 = writeRamp();
  run("heightMap " + ramp16);
  ASSERT_TRUE(scene.maps().separateHeights());
  unsigned const normals = scene.maps().normalMapName();
  std::vector<float> const ramp = heights();
  ASSERT_EQ(ramp.size(), size_t(kW * kH + 1));
  ASSERT_EQ(ramp.back(), float(kW));
  float const a = ramp[size_t(kW + 10)], b = ramp[size_t(kW + 11)];  // texels (10, 1) and (11, 1)
  EXPECT_FLOAT_EQ(a, 30070.0f / 65535.0f);
  EXPECT_FLOAT_EQ(b, 30077.0f / 65535.0f);
  EXPECT_EQ(std::lround(a * 255.0f), std::lround(b * 255.0f));  // one level at 8 bits

  std::string const broken = testing::TempDir() + "broken.png";
  { std::ofstream(broken, std::ios::binary) << "\x89PNG\r\n\x1a\n not really"; }
  std::string const missing = testing::TempDir() + "missing.png";
  for (std::string const& cmd : {"heightMap " + broken, "heightMap " + missing, "normalMap " + broken,
                                "normalMap " + missing, "normalMap " + ramp16}) {
    std::string const text = said(cmd);
    std::string const file = cmd.substr(cmd.find(' ') + 1);
    std::string const what = cmd[0] == 'h' ? "cannot load the height map " : "cannot load the normal map ";
    EXPECT_NE(text.find(what + file), std::string::npos) << cmd;
    EXPECT_EQ(scene.maps().normalMapName(), normals) << cmd;
    EXPECT_EQ(heights(), ramp) << cmd;
    EXPECT_TRUE(scene.maps().separateHeights()) << cmd;
    EXPECT_FALSE(scene.maps().userNormalMap()) << cmd;
  }
  EXPECT_NE(std::string(con.getText()).find(ramp16 + ": a normal map needs RGB, this picture is grey"), std::string::npos);
  EXPECT_EQ(scene.maps().heightSource().bits, 16);

  // 8-bit levels widened to 16 bits (v * 257) carry 8 bits; one sample off
  // that grid, the last, makes the file's 16.
  for (bool const off : {false, true}) {
    std::vector<float> levels;
    for (int i = 0; i < kW * kH; ++i) levels.push_back(static_cast<float>(i % 255) / 255.0f);
    if (off) levels.back() += 1.0f / 65535.0f;
    std::string const widened = testing::TempDir() + "widened.png";
    std::string error;
    ASSERT_TRUE(writeGreyPng(widened, kW, kH, levels, 16, error)) << error;
    run("heightMap " + widened);
    EXPECT_EQ(scene.maps().heightSource().bits, off ? 16 : 8) << off;
  }

  // bumpMap: back to the generated map with heights in alpha.
  run("bumpMap bumptest.bmp");
  EXPECT_FALSE(scene.maps().separateHeights());
  std::vector<float> const bundled = heights();
  EXPECT_NE(bundled, ramp);
  // A normal map alone: the heights stay those in use, now in the height map.
  run("normalMap cheap brick.bmp");
  EXPECT_TRUE(scene.maps().userNormalMap());
  EXPECT_TRUE(scene.maps().separateHeights());
  EXPECT_EQ(heights(), bundled);
  run("bumpMap bumptest.bmp");
  EXPECT_FALSE(scene.maps().userNormalMap());
}
