// Checking a user's maps made by the bench's generator in each convention, the fixes, the cases that cannot be told,
// and mirrored texture mappings.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "MapCheck.h"
#include "MapFixes.h"
#include "MirroredUv.h"
#include "NormalMap.h"

namespace {

double const kPi = 3.14159265358979323846;

// A smooth height field that tiles, varying along both axes and mixing them
// (a and b waves per repeat), sampled at the centres of a w x h grid.
HeightField waves(int w, int h, int a = 2, int b = 3, double ramp = 0.15) {
  std::vector<float> v;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double const u = (x + 0.5) / w, t = (y + 0.5) / h;
      v.push_back(static_cast<float>(0.5 + 0.2 * std::sin(2 * kPi * a * u) * std::cos(2 * kPi * b * t) +
                                     ramp * std::sin(2 * kPi * t + 1.0)));
    }
  return HeightField(w, h, v);
}

// RGBA normals generated from the heights at Bumpmap Scale `scale`.
std::vector<unsigned char> normalsOf(HeightField const& hf, float scale) {
  std::vector<unsigned char> rgba(static_cast<size_t>(hf.width() * hf.height()) * 4);
  NormalMap::computeNormalMapFromHeights(hf.texels(), hf.width(), hf.height(), scale, rgba.data());
  return rgba;
}

using V = MapCheck::Verdict;

}  // namespace

TEST(MapCheck, NamesEachConventionRecoversTheDepthAndItsFixesMendIt) {
  HeightField const hf = waves(64, 64);
  for (int greenUp = 0; greenUp < 2; ++greenUp)
    for (int whiteDeep = 0; whiteDeep < 2; ++whiteDeep) {
      SCOPED_TRACE(testing::Message() << "green up " << greenUp << ", white deep " << whiteDeep);
      std::vector<unsigned char> normals = normalsOf(hf, 8.0f);
      if (greenUp) MapFixes::flipGreen(normals.data(), 64 * 64, 4);
      HeightField heights = whiteDeep ? MapFixes::invertHeights(hf) : hf;
      MapCheck c = MapCheck::run(heights, normals.data(), 64, 64, 4);
      EXPECT_EQ(c.green, greenUp ? V::Other : V::Bench) << c.text();
      EXPECT_EQ(c.heightSign, whiteDeep ? V::Other : V::Bench) << c.text();
      EXPECT_TRUE(c.greenFix == (greenUp ? "normalMap -flipgreen FILE" : "") &&
                  c.heightFix == (whiteDeep ? "heightMap -invert FILE" : ""));
      // Bumpmap Scale is the depth in texels; Poly Depth 8 / (0.2 * 64).
      EXPECT_TRUE(std::fabs(c.depth - 8.0) < 0.4 && std::fabs(c.polyDepth - 0.625) < 0.03125) << c.text();
      // The fix is the depth command in texels of the height map.
      ASSERT_EQ(c.depthFix.rfind("depth ", 0), 0u) << c.depthFix;
      EXPECT_NEAR(std::stod(c.depthFix.substr(6)), 8.0, 0.4) << c.depthFix;
      // The fixes name the files they load again, in the lines too.
      c.nameFiles("h 1.png", "n 1.png");
      EXPECT_TRUE(c.greenFix == (greenUp ? "normalMap -flipgreen n 1.png" : "") &&
                  c.heightFix == (whiteDeep ? "heightMap -invert h 1.png" : ""));
      EXPECT_TRUE(c.greenLine.find(c.greenFix) != std::string::npos && c.heightLine.find(c.heightFix) != std::string::npos);
      // The fixes the check names bring the maps to the bench's convention.
      if (greenUp) MapFixes::flipGreen(normals.data(), 64 * 64, 4);
      if (whiteDeep) heights = MapFixes::invertHeights(heights);
      c = MapCheck::run(heights, normals.data(), 64, 64, 4, 0.625);
      EXPECT_TRUE(c.green == V::Bench && c.heightSign == V::Bench) << c.text();
      EXPECT_TRUE(c.greenFix.empty() && c.heightFix.empty() && c.depthFix.empty()) << c.text();
    }
}

TEST(MapCheck, HeightsOfAnotherSizeAreResampledAndDepthsCountedInNormalTexels) {
  // RGB normals at 64 x 32, heights at 128 x 32: 8 texels deep in normal-map texels, 16 in height-map ones.
  std::vector<unsigned char> const rgba = normalsOf(waves(64, 32), 8.0f);
  std::vector<unsigned char> rgb;
  for (size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
  MapCheck c = MapCheck::run(waves(128, 32), rgb.data(), 64, 32, 3, 1.0);
  EXPECT_TRUE(c.resampled && c.green == V::Bench && c.heightSign == V::Bench) << c.text();
  EXPECT_TRUE(std::fabs(c.depth - 8.0) < 0.4 && std::fabs(c.bumpScale - 16.0) < 0.8) << c.text();
  EXPECT_NEAR(std::stod(c.depthFix.substr(6)), 16.0, 0.8) << "the depth command counts height-map texels";
  EXPECT_NE(c.depthLine.find("(Poly Depth is 1 now; Poly Depth counts the map's width, 64 texels per texture unit)"),
            std::string::npos) << c.depthLine;
  c = MapCheck::run(waves(8, 8), normalsOf(waves(8, 8), 8.0f).data(), 8, 8, 4);  // every row counts
  EXPECT_TRUE(std::fabs(c.depthX - 8.0) < 0.08 && std::fabs(c.depthY - 8.0) < 0.08) << c.text();
  EXPECT_EQ(c.texels + c.skipped, 64u) << "every texel is compared or left out";
}

TEST(MapCheck, FlatTinyOneAxisAndUnrelatedMapsCannotBeTold) {
  HeightField const level(64, 64, std::vector<float>(64 * 64, 0.5f));
  std::vector<unsigned char> const flat = normalsOf(level, 8.0f);
  MapCheck c = MapCheck::run(level, flat.data(), 64, 64, 4);
  EXPECT_TRUE(c.green == V::CannotTell && c.heightSign == V::CannotTell && std::isnan(c.depth)) << c.text();
  EXPECT_NE(c.heightLine.find("the heights do not change along x"), std::string::npos) << c.text();
  c = MapCheck::run(waves(64, 64), flat.data(), 64, 64, 4);  // varying heights, flat normals
  EXPECT_TRUE(c.heightSign == V::CannotTell && c.greenFix.empty() && c.depthFix.empty()) << c.text();
  c = MapCheck::run(waves(2, 2), normalsOf(waves(2, 2), 8.0f).data(), 2, 2, 4);
  EXPECT_NE(c.heightLine.find("under 3 texels along x"), std::string::npos) << c.text();

  // Heights that vary along y alone: the depth is known, the signs are not.
  HeightField const ridges = waves(32, 32, 0, 1, 0.3);
  c = MapCheck::run(ridges, normalsOf(ridges, 4.0f).data(), 32, 32, 4);
  EXPECT_TRUE(c.green == V::CannotTell && c.heightSign == V::CannotTell && std::fabs(c.depth - 4.0) < 0.2) << c.text();

  // Normals of other heights entirely (waves of other frequencies, whose
  // gradients are orthogonal to these): the slopes do not follow the heights.
  c = MapCheck::run(waves(64, 64), normalsOf(waves(64, 64, 5, 7, 0.0), 8.0f).data(), 64, 64, 4);
  EXPECT_TRUE(std::fabs(c.correlationX) < MapCheck::minCorrelation && c.heightSign == V::CannotTell) << c.text();
}

TEST(MapFixes, EachFixTurnsWhatItShouldAndNothingElse) {
  // RGBA is flipped in the conventions above; here three RGB texels.
  std::vector<unsigned char> rgb = {10, 0, 30, 40, 255, 60, 70, 127, 90};
  MapFixes::flipGreen(rgb.data(), 3, 3);
  EXPECT_EQ(rgb, (std::vector<unsigned char>{10, 255, 30, 40, 0, 60, 70, 128, 90}));

  std::vector<unsigned short> grey = {0, 1234, 65535};
  MapFixes::invertHeights(grey.data(), grey.size());
  EXPECT_EQ(grey, (std::vector<unsigned short>{65535, 64301, 0}));

  // Vertices of five floats: x, u, v, and two more; u and v start at the second.
  std::vector<float> verts = {9, 0.25f, 0.125f, 7, 7, 9, 0.5f, 1.0f, 7, 7};
  MapFixes::flipV(verts.data() + 1, 2, 5);
  EXPECT_EQ(verts, (std::vector<float>{9, 0.25f, 0.875f, 7, 7, 9, 0.5f, 0.0f, 7, 7}));
}

TEST(MirroredUv, CountsTrianglesMirroredAgainstTheMajority) {
  // A strip of four quads in the xy plane facing +z, u along x and v along y.
  std::vector<float> pos, uv, normals;
  std::vector<int> idx;
  for (int i = 0; i <= 4; ++i)
    for (int j = 0; j < 2; ++j) {
      pos.insert(pos.end(), {float(i), float(j), 0});
      uv.insert(uv.end(), {i / 4.0f, float(j)});
      normals.insert(normals.end(), {0, 0, 1});
    }
  for (int i = 0; i < 4; ++i) idx.insert(idx.end(), {2 * i, 2 * i + 2, 2 * i + 3, 2 * i, 2 * i + 3, 2 * i + 1});
  MirroredUv m = mirroredUvShare(pos, uv, idx, normals);
  EXPECT_TRUE(m.counted == 8 && m.rightHanded == 8 && m.share() == 0.0);
  // The last quad's texture mirrored along u: two of eight triangles.
  uv[16] = 0.75f, uv[18] = 0.75f, uv[14] = 1.0f, uv[12] = 1.0f;
  m = mirroredUvShare(pos, uv, idx, normals);
  EXPECT_TRUE(m.leftHanded == 2 && m.majorityRightHanded() && m.share() == 0.25) << m.leftHanded;
  // The whole mesh flipped in v turns every handedness: the share stays.
  MapFixes::flipV(uv.data(), uv.size() / 2);
  m = mirroredUvShare(pos, uv, idx, normals);
  EXPECT_TRUE(m.rightHanded == 2 && !m.majorityRightHanded() && m.share() == 0.25);
  // With vertex normals the winding does not matter; without them it does.
  for (size_t t = 0; t < idx.size(); t += 3) std::swap(idx[t + 1], idx[t + 2]);
  EXPECT_EQ(mirroredUvShare(pos, uv, idx, normals).rightHanded, 2u);
  EXPECT_EQ(mirroredUvShare(pos, uv, idx).rightHanded, 6u);
  // A triangle without area, one naming a missing vertex: not counted.
  idx.insert(idx.end(), {0, 0, 1, 0, 1, 99});
  m = mirroredUvShare(pos, uv, idx, normals);
  EXPECT_TRUE(m.triangles == 10 && m.counted == 8);
}
