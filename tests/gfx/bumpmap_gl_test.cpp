// BumpMap::gen on a real context: the normal texture read back against
// hand-computed texels (wrapping borders, rows of an odd byte count), its
// texture parameters, the bench's own height map, and an empty source; a user's
// 16-bit heights as their texture. Sizes are powers of two because the mipmap
// builder resamples other sizes.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BumpMap.h"
#include "ConeMap.h"
#include "ConeTexture.h"
#include "HeightField.h"
#include "HeightTexture.h"
#include "base/image.h"
#include "base/texture.h"
#include "testsupport/glfixture.h"

namespace {

using Bytes = std::vector<unsigned char>;
using BumpMapGL = GLTest;

Bytes readRGBA(Texture const& t) {
  int const w = t.getWidth(), h = t.getHeight();
  std::unique_ptr<unsigned char[]> data(t.getData(0, GL_RGBA, GL_UNSIGNED_BYTE));
  return data ? Bytes(data.get(), data.get() + static_cast<size_t>(w) * static_cast<size_t>(h) * 4) : Bytes();
}

// A height texture made from grey levels, row by row.
void makeHeights(Texture& t, int w, int h, std::vector<int> const& levels) {
  Bytes rgb;
  for (int v : levels) rgb.insert(rgb.end(), 3, static_cast<unsigned char>(v));
  ASSERT_EQ(rgb.size(), static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
  ASSERT_TRUE(t.build2DMipmaps(w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data(), 0, 0));
}

}  // namespace

TEST_F(BumpMapGL, TexelsMatchHandComputedNormalsAndWrapAtTheBorders) {
  // Scale 2 makes the z term 1. A ramp 0, 10, ..., 70 along x: inside it
  // dx = -20/255, n = (-0.078, 0, 0.997) -> (117, 127, 254); columns 0 and 7
  // see the wrap-around cliff, dx = +60/255 -> (156, 127, 251). Two texels a
  // row (six bytes, which a 4-byte pack alignment would pad) climbing down the
  // rows: the wrap gives green 137 in rows 0 and 3, the climb 117 in rows 1, 2.
  struct Case { int w, h; std::vector<int> levels, red, green, blue; };  // channels per texel
  std::vector<int> ramp, rampRed, rampBlue;
  for (int i = 0; i < 32; ++i) {
    bool const edge = i % 8 == 0 || i % 8 == 7;
    ramp.push_back(10 * (i % 8));
    rampRed.push_back(edge ? 156 : 117);
    rampBlue.push_back(edge ? 251 : 254);
  }
  Case const cases[] = {
      {8, 4, ramp, rampRed, std::vector<int>(32, 127), rampBlue},
      {2, 4, {0, 100, 10, 110, 20, 120, 30, 130}, std::vector<int>(8, 127), {137, 137, 117, 117, 117, 117, 137, 137},
       std::vector<int>(8, 254)},
      {4, 4, std::vector<int>(16, 77), std::vector<int>(16, 127), std::vector<int>(16, 127), std::vector<int>(16, 255)},
  };
  for (Case const& c : cases) {
    Texture height, normal;
    makeHeights(height, c.w, c.h, c.levels);
    BumpMap::gen(height, normal, 2.0f);
    Bytes const out = readRGBA(normal);
    ASSERT_EQ(out.size(), c.levels.size() * 4);
    for (size_t i = 0; i < c.levels.size(); ++i)
      EXPECT_EQ(std::vector<int>(out.begin() + static_cast<long>(4 * i), out.begin() + static_cast<long>(4 * i + 4)),
                (std::vector<int>{c.red[i], c.green[i], c.blue[i], c.levels[i]})) << c.w << "x" << c.h << " texel " << i;
    height.unload();
    normal.unload();
  }
}

TEST_F(BumpMapGL, TheBenchHeightMapGivesTheDirectLoopsMipmappedRepeatingNormals) {
  Texture height, normal;
  ASSERT_TRUE(height.load2D(RB_DATA_DIR "/bumptest.bmp"));
  makeHeights(normal, 1, 1, {9});  // an earlier texture, replaced by one of the source's size
  BumpMap::gen(height, normal, 100.0f);
  int const w = height.getWidth(), h = height.getHeight();
  std::unique_ptr<unsigned char[]> rgb(height.getData(0, GL_RGB, GL_UNSIGNED_BYTE));
  ASSERT_TRUE(rgb);
  Bytes expected(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
  NormalMap::computeNormalMapReference(rgb.get(), w, h, 100.0f, expected.data());
  EXPECT_EQ(readRGBA(normal), expected);
  glBindTexture(GL_TEXTURE_2D, normal.id);
  GLint got = 0, smallest = 0;
  for (auto [name, want] : {std::pair{GL_TEXTURE_WRAP_S, GL_REPEAT}, {GL_TEXTURE_WRAP_T, GL_REPEAT},
                            {GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR}}) {
    glGetTexParameteriv(GL_TEXTURE_2D, static_cast<GLenum>(name), &got);
    EXPECT_EQ(got, want) << name;
  }
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 8, GL_TEXTURE_WIDTH, &smallest);
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_EQ(smallest, 1) << "the whole chain down to 1 x 1";
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

// A map one texel high is still a map, and its heights reach the GL unrounded;
// a picture of another depth is refused with the texture left as it was.
TEST_F(BumpMapGL, HeightTextureTakesOneRowOfSixteenBitHeightsAndRefusesOtherDepths) {
  unsigned short const heights[4] = {0, 1000, 40000, 65535};
  Image row(_vec<2, int>(4, 1), 16), grey8(_vec<2, int>(4, 1), 8);
  ASSERT_TRUE(row.data && grey8.data);
  std::memcpy(row.data, heights, sizeof heights);
  HeightTexture texture;
  std::string error;
  ASSERT_TRUE(texture.load(row, error)) << error;
  ASSERT_EQ(texture.texture().getWidth(), 4);
  ASSERT_EQ(texture.texture().getHeight(), 1);
  std::unique_ptr<unsigned char[]> const back(texture.texture().getData(0, GL_LUMINANCE, GL_UNSIGNED_SHORT));
  ASSERT_TRUE(back);
  std::vector<unsigned short> read(4);
  std::memcpy(read.data(), back.get(), sizeof heights);
  EXPECT_EQ(read, std::vector<unsigned short>(heights, heights + 4));
  unsigned const id = texture.texture().id;
  EXPECT_FALSE(texture.load(grey8, error));
  EXPECT_EQ(error, "not a 16-bit grey picture");
  EXPECT_EQ(texture.texture().id, id);
  row.unload();
  grey8.unload();
  texture.unload();
}

// The cone texture holds the packed cone map of the normal map's heights, and
// after invalidate() it is made again from the heights as they are then.
TEST_F(BumpMapGL, ConeTextureFollowsTheHeightsItIsMadeFrom) {
  ConeTexture cone;
  EXPECT_EQ(cone.progress(), 0.0);  // nothing being made
  std::vector<int> pillar(64, 0);
  pillar[27] = 255;
  // The map for linear reads, of the kind asked for: a change of kind alone makes it again.
  for (ConeMap::Kind kind : {ConeMap::Kind::Relaxed, ConeMap::Kind::Conservative})
    for (std::vector<int> const& levels : {pillar, std::vector<int>(64, 128)}) {
      Texture height, normal;
      makeHeights(height, 8, 8, levels);
      BumpMap::gen(height, normal, 100.0f);
      if (levels == pillar) cone.setKind(kind);
      else cone.invalidate();
      ASSERT_TRUE(cone.update(normal, Texture()));
      std::vector<uint16_t> got(64);
      glBindTexture(GL_TEXTURE_2D, cone.name());
      glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_UNSIGNED_SHORT, got.data());  // rows of 16 bytes: no padding
      glBindTexture(GL_TEXTURE_2D, 0);
      HeightField const field = HeightField::fromRgba8(readRGBA(normal).data(), 8, 8);
      EXPECT_EQ(got, ConeMap::pack(ConeMap::generate(field, 0, nullptr, nullptr, kind, ConeMap::Reading::Linear)))
          << ConeMap::name(kind);
      EXPECT_EQ(cone.width(), 8);
      height.unload();
      normal.unload();
    }
  cone.unload();
}
