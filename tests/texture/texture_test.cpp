// 1D and 2D textures: uploads from tight and strided buffers, mipmap chains,
// readback independent of the caller's pixel-store state, images of every
// depth, empty textures and unit binding.
#include <GL/gl.h>
#include <GL/glext.h>

#include <memory>
#include <string>
#include <vector>

#include "base/image.h"
#include "base/texture.h"
#include "glfixture.h"

namespace {
using Bytes = std::vector<unsigned char>;

// width x height RGB pixels with a recognisable value in every byte.
Bytes rgbPattern(int width, int height) {
  Bytes out;
  for (int i = 0; i < width * height * 3; ++i) out.push_back(static_cast<unsigned char>(i * 7 + 1));
  return out;
}

Bytes readBack(Texture const& t, int level, int format, int type, size_t bytes) {
  std::unique_ptr<unsigned char[]> data(t.getData(level, format, type));
  return data ? Bytes(data.get(), data.get() + bytes) : Bytes();
}

GLint intState(GLenum name) {
  GLint v = 0;
  glGetIntegerv(name, &v);
  return v;
}

// A parameter of one level of the texture, or (level -1) of the texture itself.
GLint texInt(Texture const& t, int level, GLenum name) {
  GLenum const target = static_cast<GLenum>(t.target);
  glBindTexture(target, t.id);
  GLint v = 0;
  if (level < 0) glGetTexParameteriv(target, name, &v);
  else glGetTexLevelParameteriv(target, level, name, &v);
  return v;
}
GLint levelInt(Texture const& t, int level, GLenum name) { return texInt(t, level, name); }
GLint paramInt(Texture const& t, GLenum name) { return texInt(t, -1, name); }
}  // namespace

using TextureTest = GLTest;

TEST_F(TextureTest, TightUploadAndReadbackLeaveTheCallersStateAlone) {
  // Rows of 2 RGB pixels are 6 bytes: any alignment above 2 would pad them.
  // (GLU scales other sizes to powers of two, so sizes here are powers of two.)
  Bytes pixels = rgbPattern(2, 4);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 8);
  Texture t;
  ASSERT_TRUE(t.build2DMipmaps(2, 4, GL_RGB, GL_UNSIGNED_BYTE, pixels.data(), 0, 0));
  GLuint other = 0;
  glGenTextures(1, &other);
  glBindTexture(GL_TEXTURE_2D, other);
  EXPECT_EQ(t.target, GL_TEXTURE_2D);
  EXPECT_EQ(t.getWidth(), 2);
  EXPECT_EQ(t.getHeight(), 4);
  EXPECT_EQ(readBack(t, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.size()), pixels);
  t.setFilter(GL_NEAREST, GL_NEAREST);
  // The caller's binding, enables and pixel-store state are as they were.
  EXPECT_EQ(static_cast<GLuint>(intState(GL_TEXTURE_BINDING_2D)), other);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(intState(GL_UNPACK_ALIGNMENT), 4);
  EXPECT_EQ(intState(GL_PACK_ALIGNMENT), 8);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glDeleteTextures(1, &other);
  t.unload();

  // GLU's refusal is the result, with one line naming it, and no texture.
  testing::internal::CaptureStderr();
  EXPECT_FALSE(t.build2DMipmaps(0, 4, GL_RGB, GL_UNSIGNED_BYTE, pixels.data(), 0, 0));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Texture::build2DMipmaps: invalid value\n");
  EXPECT_EQ(t.id, 0u);
}

TEST_F(TextureTest, StridedSourcesAreRepackedBeforeUpload) {
  // RGB pixels stored four bytes apart in rows of 24 bytes (4 pixels + padding).
  int const w = 4, h = 2;
  Bytes tight = rgbPattern(w, h);
  Bytes strided(24 * h, 0xEE);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) strided[y * 24 + x * 4 + c] = tight[(y * w + x) * 3 + c];

  int components = 0;
  std::unique_ptr<unsigned char[]> copy(
      Texture::extract2DBuffer(&components, w, h, GL_RGB, GL_UNSIGNED_BYTE, strided.data(), 4, 24));
  EXPECT_EQ(components, 3);
  ASSERT_TRUE(copy);
  EXPECT_EQ(Bytes(copy.get(), copy.get() + tight.size()), tight);
  // Tight strides (or smaller ones) need no copy.
  EXPECT_EQ(Texture::extract2DBuffer(&components, w, h, GL_RGB, GL_UNSIGNED_BYTE, tight.data(), 3, 12),
            nullptr);
  EXPECT_EQ(Texture::extract2DBuffer(nullptr, w, h, GL_RGB, GL_UNSIGNED_BYTE, tight.data(), 1, 0),
            nullptr);

  Texture t;
  ASSERT_TRUE(t.build2DMipmaps(w, h, GL_RGB, GL_UNSIGNED_BYTE, strided.data(), 4, 24));
  EXPECT_EQ(readBack(t, 0, GL_RGB, GL_UNSIGNED_BYTE, tight.size()), tight);
  t.unload();
}

TEST_F(TextureTest, RgbaUploadHasFullMipmapChainAndDefaultModes) {
  int const w = 16, h = 8;
  Bytes rgba;
  for (int i = 0; i < w * h; ++i) {
    rgba.push_back(static_cast<unsigned char>(i));
    rgba.push_back(static_cast<unsigned char>(255 - i));
    rgba.push_back(0x40);
    rgba.push_back(static_cast<unsigned char>(i & 1 ? 0xFF : 0x80));
  }
  Texture t;
  ASSERT_TRUE(t.build2DMipmaps(w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data(), 4, 64));
  EXPECT_EQ(readBack(t, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.size()), rgba);
  // Levels down to 1 x 1: 16x8, 8x4, 4x2, 2x1, 1x1.
  EXPECT_EQ(levelInt(t, 4, GL_TEXTURE_WIDTH), 1);
  EXPECT_EQ(levelInt(t, 4, GL_TEXTURE_HEIGHT), 1);
  EXPECT_EQ(levelInt(t, 3, GL_TEXTURE_WIDTH), 2);
  EXPECT_EQ(paramInt(t, GL_TEXTURE_WRAP_S), GL_REPEAT);
  EXPECT_EQ(paramInt(t, GL_TEXTURE_WRAP_T), GL_REPEAT);
  EXPECT_EQ(paramInt(t, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  EXPECT_EQ(paramInt(t, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
  t.unload();
}

TEST_F(TextureTest, FontSheetReadsBackAs196608Bytes) {
  Texture t;
  ASSERT_TRUE(t.load2D(RB_DATA_DIR "/font.bmp"));
  EXPECT_EQ(t.getWidth(), 256);
  EXPECT_EQ(t.getHeight(), 256);
  GLint format = t.getFormat();
  EXPECT_TRUE(format == 3 || format == GL_RGB) << format;
  EXPECT_EQ(levelInt(t, 8, GL_TEXTURE_WIDTH), 1);

  std::unique_ptr<Image> img(ImageSystem::load(RB_DATA_DIR "/font.bmp"));
  ASSERT_TRUE(img && img->data);
  ASSERT_EQ(img->dataBytes(), 196608u);
  // Row 0 of the image (the picture's top) is the texture's first row.
  Bytes expected(img->data, img->data + 196608);
  EXPECT_EQ(readBack(t, 0, GL_RGB, GL_UNSIGNED_BYTE, 196608), expected);
  img->unload();
  t.unload();
  EXPECT_EQ(t.id, 0u);
  EXPECT_EQ(t.target, 0);
}

TEST_F(TextureTest, ImagesOfEveryDepth) {
  // 8 bits: uploaded as luminance, never read as three bytes a pixel.
  Image grey(_vec<2, int>(2, 4), 8);
  ASSERT_TRUE(grey.data);
  for (int i = 0; i < 8; ++i) grey.data[i] = static_cast<unsigned char>(30 * i);
  Texture t;
  ASSERT_TRUE(t.loadImage(grey));
  GLint format = t.getFormat();
  EXPECT_TRUE(format == 1 || format == GL_LUMINANCE) << format;
  EXPECT_EQ(t.getWidth(), 2);
  EXPECT_EQ(readBack(t, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, 8), Bytes(grey.data, grey.data + 8));
  grey.unload();

  Image rgba(_vec<2, int>(2, 2), 32);
  for (int i = 0; i < 16; ++i) rgba.data[i] = static_cast<unsigned char>(i * 16);
  ASSERT_TRUE(t.loadImage(rgba));
  EXPECT_EQ(readBack(t, 0, GL_RGBA, GL_UNSIGNED_BYTE, 16), Bytes(rgba.data, rgba.data + 16));
  rgba.unload();

  // 16 bits a pixel has no upload format: refused, with the old texture gone.
  Image deep(_vec<2, int>(2, 2), 16);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(t.loadImage(deep));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("16 bits per pixel"), std::string::npos);
  deep.unload();
  t.unload();

  EXPECT_FALSE(t.load2D(RB_TEST_DATA_DIR "/no such picture.bmp"));
  EXPECT_EQ(t.id, 0u);
}

TEST_F(TextureTest, OneDimensionalMipmaps) {
  Bytes pixels = rgbPattern(8, 1);
  Texture t;
  ASSERT_TRUE(t.build1DMipmaps(8, GL_RGB, GL_UNSIGNED_BYTE, pixels.data(), 0));
  EXPECT_EQ(t.target, GL_TEXTURE_1D);
  EXPECT_EQ(readBack(t, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.size()), pixels);
  EXPECT_EQ(levelInt(t, 3, GL_TEXTURE_WIDTH), 1);
  EXPECT_EQ(paramInt(t, GL_TEXTURE_WRAP_S), GL_REPEAT);
  t.unbind();
  t.unload();
}

TEST_F(TextureTest, EmptyTextureAndSubImageUpdate) {
  Texture t;
  ASSERT_TRUE(t.createEmpty(64, 64, GL_RGBA, GL_FLOAT, 0));
  GLint format = t.getFormat();
  EXPECT_TRUE(format == 4 || format == GL_RGBA) << format;
  EXPECT_EQ(levelInt(t, 0, GL_TEXTURE_WIDTH), 64);
  EXPECT_EQ(paramInt(t, GL_TEXTURE_WRAP_S), GL_CLAMP);
  EXPECT_EQ(paramInt(t, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  std::unique_ptr<unsigned char[]> data(t.getData(0, GL_RGBA, GL_FLOAT));
  ASSERT_TRUE(data);
  float const* values = reinterpret_cast<float const*>(data.get());
  for (int i = 0; i < 64 * 64 * 4; ++i) ASSERT_EQ(values[i], 0.0f) << i;

  // The first two pixels of the first row change; the rest stay zero. (The
  // texture stores 8 bits a component, so the values are multiples of 1/255.)
  float patch[8] = {1, 51 / 255.0f, 102 / 255.0f, 1, 0, 1, 0, 204 / 255.0f};
  t.updateData2D(2, 1, GL_RGBA, GL_FLOAT, patch);
  data.reset(t.getData(0, GL_RGBA, GL_FLOAT));
  values = reinterpret_cast<float const*>(data.get());
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(values[i], patch[i], 1e-6);
  EXPECT_EQ(values[8], 0.0f);
  t.unload();

  EXPECT_FALSE(t.createEmpty(0, 4, GL_RGB, GL_UNSIGNED_BYTE, 0));
  EXPECT_EQ(t.id, 0u);
}

TEST_F(TextureTest, UnitBindingAndUnbinding) {
  ASSERT_GE(TextureSystem::getNumUnits(), 4);
  EXPECT_EQ(intState(GL_UNPACK_ALIGNMENT), 1);
  Bytes pixels = rgbPattern(2, 2);
  Texture t;
  ASSERT_TRUE(t.build2DMipmaps(2, 2, GL_RGB, GL_UNSIGNED_BYTE, pixels.data(), 0, 0));

  t.bind(2);
  EXPECT_EQ(intState(GL_ACTIVE_TEXTURE), GL_TEXTURE2);
  EXPECT_EQ(static_cast<GLuint>(intState(GL_TEXTURE_BINDING_2D)), t.id);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

  // Every unit, highest first, ends with unit 0 active and nothing enabled.
  Texture::unbindAll();
  EXPECT_EQ(intState(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
  glActiveTexture(GL_TEXTURE2);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
  glActiveTexture(GL_TEXTURE0);

  // unload deletes the GL object; a second unload does nothing.
  GLuint name = t.id;
  t.unload();
  EXPECT_FALSE(glIsTexture(name));
  t.unload();
  EXPECT_EQ(t.id, 0u);
  // Modes and updates on an empty texture do nothing (and raise no GL error).
  t.setFilter(GL_NEAREST, GL_NEAREST);
  t.setWrap2D(GL_CLAMP, GL_CLAMP);
  t.updateData2D(2, 2, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}
