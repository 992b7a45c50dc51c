// Picture: pixels, boxes and read-backs land where asked, clipped at every edge, and the saved file holds them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Picture.h"
#include "base/image.h"
#include "base/imagesystem.h"
#include "testsupport/glfixture.h"

using PictureGL = GLTest;

// A 4 x 3 picture drawn at and across each edge: a pixel in each corner that
// takes one and four that fall outside, a box hanging over the left and bottom
// edges, and a 2 x 2 read-back (rows bottom first) half above the top.
TEST_F(PictureGL, DrawsClipAtTheEdgesAndTheSavedFileHoldsThem) {
  unsigned const red = 0xFF0000FFu, green = 0xFF00FF00u, blue = 0xFFFF0000u, white = 0xFFFFFFFFu;
  Picture p(4, 3);
  p.setPixel(0, 0, red);
  p.setPixel(3, 2, green);
  p.fill(-2, 1, 3, 5, blue);
  // Past the right edge would be the next row's first pixel, past the bottom
  // the end of the buffer.
  for (auto [x, y] : {std::pair{-1, 0}, {4, 0}, {0, -1}, {0, 3}}) p.setPixel(x, y, white);
  std::vector<unsigned char> const readBack = {10, 11, 12, 255, 20, 21, 22, 255,   // bottom row: A, B
                                               30, 31, 32, 255, 40, 41, 42, 255};  // top row, above the picture
  p.put(readBack, 2, 2, 2, -1);
  std::string const path = testing::TempDir() + "picture.png";
  std::string error;
  ASSERT_TRUE(p.save(path, error)) << error;
  ImageSystem::init();
  ImagePtr img(ImageSystem::load(path.c_str()));
  ASSERT_TRUE(img && img->width == 4 && img->height == 3 && img->bitsPerPixel == 24);
  std::vector<int> const want = {255, 0, 0, 0, 0, 0, 10, 11, 12, 20, 21, 22,  // top row
                                 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 255, 0};
  EXPECT_EQ(std::vector<int>(img->data, img->data + 36), want);
}

// A labelled picture goes up as a texture of its own and is read back top row
// first; a label in a transparent colour draws nothing, so the file holds the
// pixels as they were, and the context's default texture is left empty.
TEST_F(PictureGL, ALabelledPictureSavesItsPixelsThroughATextureOfItsOwn) {
  Picture p(2, 2);
  p.setPixel(0, 0, 0xFF0000FFu);
  p.setPixel(1, 1, 0xFFFF0000u);
  p.label(0, 0, "unseen", 0);
  std::string const path = testing::TempDir() + "labelled.png";
  std::string error;
  ASSERT_TRUE(p.save(path, error)) << error;
  ImagePtr img(ImageSystem::load(path.c_str()));
  ASSERT_TRUE(img && img->width == 2 && img->height == 2);
  EXPECT_EQ(std::vector<int>(img->data, img->data + 12), (std::vector<int>{255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255}));
  GLint width = -1;
  glBindTexture(GL_TEXTURE_2D, 0);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 0);
}
