// The user's own maps: a 16-bit height map keeps steps that 8 bits would merge,
// all the way to the read-back and the reference tracer; broken or missing maps
// are refused on the console and leave the maps as they were; bumpMap returns
// to the generated path, and a normal map alone keeps the heights in use.
#include <png.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "ReliefTracer.h"
#include "base/console.h"
#include "modulefixture.h"

namespace {

int const kW = 64, kH = 4;

// A ramp along u in steps of 7 / 65535, far under 8 bits' 1 / 255.
std::string writeRamp() {
  std::vector<uint16_t> ramp(kW * kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ramp[size_t(y * kW + x)] = uint16_t(30000 + 7 * x);
  std::string const path = testing::TempDir() + "ramp16.png";
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = kW;
  image.height = kH;
  image.format = PNG_FORMAT_LINEAR_Y;
  EXPECT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, ramp.data(), 0, nullptr));
  return path;
}

std::unique_ptr<HeightField> heights() {
  std::string error;
  std::unique_ptr<HeightField> f = shaderTestModule.reliefScene().readHeights(error);
  EXPECT_TRUE(f) << error;
  return f;
}

std::vector<float> texelsOf(HeightField const& f) {
  return std::vector<float>(f.texels(), f.texels() + size_t(f.width()) * size_t(f.height()));
}

}  // namespace

TEST_F(Module, SixteenBitHeightsKeepStepsThatEightBitsMerge) {
  run("heightMap " + writeRamp());
  ASSERT_TRUE(shaderTestModule.reliefScene().separateHeights());
  std::unique_ptr<HeightField> const field = heights();
  ASSERT_TRUE(field);
  ASSERT_EQ(field->width(), kW);
  float const a = field->texel(10, 1), b = field->texel(11, 1);
  EXPECT_FLOAT_EQ(a, 30070.0f / 65535.0f);
  EXPECT_FLOAT_EQ(b, 30077.0f / 65535.0f);
  EXPECT_EQ(std::lround(a * 255.0f), std::lround(b * 255.0f));  // one level at 8 bits

  // Straight down onto the two texel centres: the hits lie at their heights.
  ReliefTracer const tracer(*field, 0.1f);
  TraceResult hit[2];
  for (int i = 0; i < 2; ++i)
    hit[i] = tracer.trace({(10.5f + float(i)) / kW, 1.5f / kH, {0, 0, 1}, {0, 0, 1}});
  EXPECT_NEAR(1.0f - hit[0].t, a, 1e-6f);
  EXPECT_NEAR(1.0f - hit[1].t, b, 1e-6f);
  EXPECT_NE(hit[0].t, hit[1].t);
  run("bumpMap bumptest.bmp");
}

TEST_F(Module, UserMapsSwitchSourcesAndBrokenOnesChangeNothing) {
  ReliefScene& scene = shaderTestModule.reliefScene();
  run("heightMap " + writeRamp());
  unsigned const normals = scene.normalMapName();
  std::vector<float> const ramp = texelsOf(*heights());

  std::string const broken = testing::TempDir() + "broken.png";
  FILE* f = std::fopen(broken.c_str(), "wb");
  ASSERT_TRUE(f);
  std::fputs("\x89PNG\r\n\x1a\n not really", f);
  std::fclose(f);
  std::string const missing = testing::TempDir() + "missing.png";
  for (std::string const& cmd : {"heightMap " + broken, "heightMap " + missing, "normalMap " + broken,
                                "normalMap " + missing}) {
    run(cmd);
    std::string const text = con.getText();
    std::string const file = cmd.substr(cmd.find(' ') + 1);
    std::string const what = cmd[0] == 'h' ? "cannot load the height map " : "cannot load the normal map ";
    EXPECT_NE(text.find(what + file), std::string::npos) << cmd;
    EXPECT_EQ(scene.normalMapName(), normals) << cmd;
    EXPECT_EQ(texelsOf(*heights()), ramp) << cmd;
    EXPECT_TRUE(scene.separateHeights()) << cmd;
    EXPECT_FALSE(scene.userNormalMap()) << cmd;
  }

  // bumpMap: back to the generated map with heights in alpha.
  run("bumpMap bumptest.bmp");
  EXPECT_FALSE(scene.separateHeights());
  std::vector<float> const bundled = texelsOf(*heights());
  EXPECT_NE(bundled, ramp);
  // A normal map alone: the heights stay those in use, now in the height map.
  run("normalMap cheap brick.bmp");
  EXPECT_TRUE(scene.userNormalMap());
  EXPECT_TRUE(scene.separateHeights());
  EXPECT_EQ(texelsOf(*heights()), bundled);
  run("bumpMap bumptest.bmp");
  EXPECT_FALSE(scene.userNormalMap());
}
