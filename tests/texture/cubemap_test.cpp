// Cube maps: empty cube maps with per-face uploads and updates, six-file
// loading, and the failures that leave the texture empty.
#include <GL/gl.h>
#include <GL/glext.h>

#include <memory>
#include <vector>

#include "base/texture.h"
#include "glfixture.h"

namespace {
using Bytes = std::vector<unsigned char>;

Bytes face(Texture const& t, int f, size_t bytes) {
  std::unique_ptr<unsigned char[]> data(t.getCubeMapSideData(f, 0, GL_RGB, GL_UNSIGNED_BYTE));
  return data ? Bytes(data.get(), data.get() + bytes) : Bytes();
}
}  // namespace

using CubeMapTest = GLTest;

TEST_F(CubeMapTest, FacesHoldWhatWasUploaded) {
  ASSERT_TRUE(found_GL_ARB_texture_cube_map);
  Texture t;
  ASSERT_TRUE(t.createEmptyCubeMap());
  EXPECT_EQ(t.target, GL_TEXTURE_CUBE_MAP_ARB);
  // Each face a single colour, handed over as RGBA-spaced pixels (stride 4).
  std::vector<Bytes> expected;
  for (int f = 0; f < 6; ++f) {
    Bytes spaced(4 * 4 * 4), tight;
    for (int p = 0; p < 16; ++p)
      for (int c = 0; c < 4; ++c) {
        unsigned char v = static_cast<unsigned char>(f * 40 + c * 10 + 1);
        spaced[p * 4 + c] = v;
        if (c < 3) tight.push_back(v);
      }
    EXPECT_TRUE(t.createCubeMapSide(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + f, 4, 4, GL_RGB,
                                    GL_UNSIGNED_BYTE, spaced.data(), 4, 16));
    expected.push_back(tight);
  }
  for (int f = 0; f < 6; ++f)
    EXPECT_EQ(face(t, GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + f, 48), expected[f]) << "face " << f;
  EXPECT_EQ(t.getWidth(), 4);

  // Replacing the top-left 2 x 1 pixels of -Y.
  unsigned char patch[6] = {9, 8, 7, 6, 5, 4};
  EXPECT_TRUE(t.updateCubeMapSide(GL_TEXTURE_CUBE_MAP_NEGATIVE_Y_ARB, 2, 1, GL_RGB,
                                  GL_UNSIGNED_BYTE, patch, 0, 0));
  Bytes negY = face(t, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y_ARB, 48);
  EXPECT_EQ(Bytes(negY.begin(), negY.begin() + 6), Bytes(patch, patch + 6));
  EXPECT_EQ(Bytes(negY.begin() + 6, negY.end()), Bytes(expected[3].begin() + 6, expected[3].end()));

  // Not a face: refused without a GL error.
  EXPECT_FALSE(t.createCubeMapSide(GL_TEXTURE_2D, 4, 4, GL_RGB, GL_UNSIGNED_BYTE, patch, 0, 0));
  t.unload();
}

TEST_F(CubeMapTest, SixFilesLoadOntoTheFaces) {
  char const* f = RB_DATA_DIR "/font.bmp";
  Texture t;
  ASSERT_TRUE(t.loadCubeMap(f, f, f, f, f, f));
  EXPECT_EQ(t.target, GL_TEXTURE_CUBE_MAP_ARB);
  glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, t.id);
  for (int i = 0; i < 6; ++i) {
    GLint w = 0, mip = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + i, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + i, 1, GL_TEXTURE_WIDTH, &mip);
    EXPECT_EQ(w, 256) << "face " << i;
    EXPECT_EQ(mip, 128) << "face " << i;
  }
  GLint minFilter = 0;
  glGetTexParameteriv(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, &minFilter);
  EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
  t.unload();
}

TEST_F(CubeMapTest, FailuresLeaveTheTextureEmpty) {
  char const* f = RB_DATA_DIR "/font.bmp";
  Texture t;
  // The fifth face cannot be loaded: the faces already built go with it.
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_FALSE(t.loadCubeMap(f, f, f, f, RB_TEST_DATA_DIR "/missing.bmp", f));
  testing::internal::GetCapturedStdout();
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(t.id, 0u);
  EXPECT_EQ(t.target, 0);

  EXPECT_FALSE(t.loadCubeMap(f, f, nullptr, f, f, f));
  EXPECT_EQ(t.id, 0u);

  // Without the extension nothing is created.
  bool saved = found_GL_ARB_texture_cube_map;
  found_GL_ARB_texture_cube_map = false;
  EXPECT_FALSE(t.createEmptyCubeMap());
  EXPECT_FALSE(t.initCubeMap());
  EXPECT_FALSE(t.loadCubeMap(f, f, f, f, f, f));
  EXPECT_EQ(t.id, 0u);
  found_GL_ARB_texture_cube_map = saved;
}
