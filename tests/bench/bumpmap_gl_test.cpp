// BumpMap::gen on a real context: the normal texture read back against
// hand-computed texels, rows of an odd byte count, wrapping, degenerate scales,
// the bench's own height map, and an empty source. Sizes are powers of two
// because the mipmap builder resamples other sizes.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <memory>
#include <string>
#include <vector>

#include "BumpMap.h"
#include "base/texture.h"
#include "glscene.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes readRGBA(Texture const& t) {
  int const w = t.getWidth(), h = t.getHeight();
  std::unique_ptr<unsigned char[]> data(t.getData(0, GL_RGBA, GL_UNSIGNED_BYTE));
  return data ? Bytes(data.get(), data.get() + static_cast<size_t>(w) * static_cast<size_t>(h) * 4) : Bytes();
}

// A height texture made from grey levels, row by row.
void makeHeights(Texture& t, int w, int h, std::vector<int> const& levels) {
  Bytes rgb;
  for (int v : levels)
    for (int c = 0; c < 3; ++c) rgb.push_back(static_cast<unsigned char>(v));
  ASSERT_EQ(rgb.size(), static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
  ASSERT_TRUE(t.build2DMipmaps(w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data(), 0, 0));
}

GLint texParam(Texture const& t, GLenum name) {
  GLint v = 0;
  glBindTexture(GL_TEXTURE_2D, t.id);
  glGetTexParameteriv(GL_TEXTURE_2D, name, &v);
  return v;
}

}  // namespace

using BumpMapGL = ReliefGLTest;

TEST_F(BumpMapGL, UniformMapGivesAFlatMipmappedRepeatingRGBATexture) {
  Texture height, normal;
  makeHeights(height, 4, 4, std::vector<int>(16, 77));
  BumpMap::gen(height, normal, 100.0f);
  ASSERT_NE(normal.id, 0u);
  EXPECT_EQ(normal.target, GL_TEXTURE_2D);
  EXPECT_EQ(normal.getWidth(), 4);
  EXPECT_EQ(normal.getHeight(), 4);
  Bytes const out = readRGBA(normal);
  for (size_t i = 0; i < out.size(); i += 4)
    ASSERT_EQ(Bytes(out.begin() + static_cast<long>(i), out.begin() + static_cast<long>(i) + 4),
              (Bytes{127, 127, 255, 77})) << "texel " << i / 4;
  EXPECT_EQ(texParam(normal, GL_TEXTURE_WRAP_S), GL_REPEAT);
  EXPECT_EQ(texParam(normal, GL_TEXTURE_WRAP_T), GL_REPEAT);
  EXPECT_EQ(texParam(normal, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
  GLint smallest = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH, &smallest);
  EXPECT_EQ(smallest, 1);  // the whole chain down to 1 x 1
  height.unload();
  normal.unload();
}

TEST_F(BumpMapGL, RampTiltsAgainstTheRiseAndWrapsAtTheBorders) {
  // Rows of the ramp 0, 10, ..., 70. Scale 2 makes the z term 1. Inside the
  // ramp dx = -20/255: n = (-0.078, 0, 0.997) -> (117, 127, 254). Columns 0 and
  // 7 see the wrap-around cliff, dx = +60/255: (0.229, 0, 0.973) -> (156, 127, 251).
  Texture height, normal;
  std::vector<int> levels;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) levels.push_back(10 * x);
  makeHeights(height, 8, 4, levels);
  BumpMap::gen(height, normal, 2.0f);
  Bytes const out = readRGBA(normal);
  ASSERT_EQ(out.size(), 8u * 4u * 4u);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) {
      bool const edge = x == 0 || x == 7;
      size_t const o = (static_cast<size_t>(y) * 8 + static_cast<size_t>(x)) * 4;
      EXPECT_EQ(Bytes(out.begin() + static_cast<long>(o), out.begin() + static_cast<long>(o) + 4),
                (Bytes{static_cast<unsigned char>(edge ? 156 : 117), 127, static_cast<unsigned char>(edge ? 251 : 254),
                       static_cast<unsigned char>(10 * x)}))
          << "texel " << x << ", " << y;
    }
  height.unload();
  normal.unload();
}

TEST_F(BumpMapGL, RowsOfAnOddByteCountReadBackUnpadded) {
  // Two texels a row: six bytes of RGB, which a 4-byte pack alignment would pad.
  // Column 0 climbs 0, 10, 20, 30 down the rows, column 1 100, 110, 120, 130.
  // Rows 0 and 3 see the wrap (dy = +20/255 -> green 137), rows 1 and 2 the
  // climb (-20/255 -> 117); two columns make dx zero; alpha is each texel's level.
  Texture height, normal;
  makeHeights(height, 2, 4, {0, 100, 10, 110, 20, 120, 30, 130});
  BumpMap::gen(height, normal, 2.0f);
  Bytes const out = readRGBA(normal);
  ASSERT_EQ(out.size(), 2u * 4u * 4u);
  int const green[4] = {137, 117, 117, 137};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 2; ++x) {
      size_t const o = (static_cast<size_t>(y) * 2 + static_cast<size_t>(x)) * 4;
      EXPECT_EQ(Bytes(out.begin() + static_cast<long>(o), out.begin() + static_cast<long>(o) + 4),
                (Bytes{127, static_cast<unsigned char>(green[y]), 254, static_cast<unsigned char>(10 * y + 100 * x)}))
          << "texel " << x << ", " << y;
    }
  height.unload();
  normal.unload();
}

TEST_F(BumpMapGL, ScaleZeroGivesAFlatMapInsteadOfNaNs) {
  Texture height, normal;
  makeHeights(height, 4, 2, {0, 100, 200, 50, 250, 10, 90, 180});
  BumpMap::gen(height, normal, 0.0f);
  Bytes const out = readRGBA(normal);
  ASSERT_EQ(out.size(), 32u);
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(out[4 * i], 127);
    EXPECT_EQ(out[4 * i + 1], 127);
    EXPECT_EQ(out[4 * i + 2], 255);
  }
  EXPECT_EQ(out[4 * 4 + 3], 250);
  height.unload();
  normal.unload();
}

TEST_F(BumpMapGL, TheBenchHeightMapGivesTheDirectLoopsNormals) {
  Texture height, normal, previous;
  ASSERT_TRUE(height.load2D(RB_DATA_DIR "/bumptest.bmp"));
  // The destination's earlier texture is replaced by one of the source's size.
  makeHeights(previous, 1, 1, {9});
  normal = previous;
  BumpMap::gen(height, normal, 100.0f);
  EXPECT_EQ(normal.getWidth(), height.getWidth());
  EXPECT_EQ(normal.getHeight(), height.getHeight());
  EXPECT_NE(normal.id, 0u);

  int const w = height.getWidth(), h = height.getHeight();
  std::unique_ptr<unsigned char[]> rgb(height.getData(0, GL_RGB, GL_UNSIGNED_BYTE));
  ASSERT_TRUE(rgb);
  Bytes expected(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
  BumpMap::computeNormalMapReference(rgb.get(), w, h, 100.0f, expected.data());
  EXPECT_EQ(readRGBA(normal), expected);
  height.unload();
  normal.unload();
}

TEST_F(BumpMapGL, EmptyHeightTextureLeavesTheNormalMapAlone) {
  Texture empty, normal;
  makeHeights(normal, 2, 1, {5, 6});
  unsigned const before = normal.id;
  testing::internal::CaptureStderr();
  BumpMap::gen(empty, normal, 100.0f);
  std::string const err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("BumpMap::gen"), std::string::npos) << err;
  EXPECT_EQ(normal.id, before);
  EXPECT_EQ(normal.getWidth(), 2);
  normal.unload();
}
