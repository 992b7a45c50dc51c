// The max pyramid's texture on a GL without float textures (run with
// GL_ARB_texture_float taken away): each level is stored as 16-bit values
// rounded up, so no stored maximum lies under the heights it bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "HeightField.h"
#include "MaxPyramid.h"
#include "MaxPyramidTexture.h"
#include "testsupport/glfixture.h"

TEST_F(GLTest, WithoutFloatTexturesEachLevelHoldsItsMaximaRoundedUpToSixteenBits) {
  int const w = 12, h = 5;
  std::vector<float> heights(static_cast<size_t>(w * h));
  for (size_t i = 0; i < heights.size(); ++i) heights[i] = std::fmod(0.1234567f * static_cast<float>(i * i + 3), 1.0f);
  MaxPyramid const pyramid(HeightField(w, h, heights));
  MaxPyramidTexture texture;
  texture.upload(pyramid);
  ASSERT_FALSE(texture.storesFloats()) << "this test runs where the GL has no float textures";
  glBindTexture(GL_TEXTURE_2D, texture.name());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  int strictlyUp = 0;
  for (int l = 0; l < pyramid.levels(); ++l) {
    std::vector<float> const& cells = pyramid.level(l);
    std::vector<unsigned short> stored(cells.size());
    glGetTexImage(GL_TEXTURE_2D, l, GL_LUMINANCE, GL_UNSIGNED_SHORT, stored.data());
    for (size_t i = 0; i < cells.size(); ++i) {
      float const exact = cells[i] * 65535.0f;
      EXPECT_GE(static_cast<float>(stored[i]), exact) << "level " << l << " cell " << i;
      EXPECT_LT(static_cast<float>(stored[i]), exact + 1.0f) << "level " << l << " cell " << i;
      strictlyUp += static_cast<float>(stored[i]) > exact;
    }
  }
  EXPECT_GT(strictlyUp, 0) << "the heights fall between 16-bit steps";
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glBindTexture(GL_TEXTURE_2D, 0);
  texture.unload();
}
