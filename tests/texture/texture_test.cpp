// Textures on a real offscreen GL context: every way of filling one reads back
// exactly whatever the caller's pixel-store state, with its modes and mipmaps;
// failures leave it empty; unit binding and unloading.
#include <GL/gl.h>
#include <GL/glext.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "base/image.h"
#include "base/texture.h"
#include "testsupport/glfixture.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Fill = std::function<bool(Texture&)>;  // fills a texture; false when it fails
Bytes const kPixels = {1, 20, 30, 4, 50, 60, 7, 80, 90, 10, 110, 120};  // four RGB pixels
Bytes const kSpaced = {1, 20, 30, 0, 4, 50, 60, 0, 7, 80, 90, 0, 10, 110, 120, 0};  // a pixel every 4 bytes
Bytes const kPadded = {1, 20, 30, 4, 50, 60, 0, 0, 7, 80, 90, 10, 110, 120, 0, 0};  // 2 x 2, rows 8 bytes apart
unsigned char* const kMutable = const_cast<unsigned char*>(kPixels.data());  // for calls that take void*
int const kPosX = GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB, kNegZ = GL_TEXTURE_CUBE_MAP_NEGATIVE_Z_ARB;

GLint state(GLenum name) {
  GLint v = 0;
  glGetIntegerv(name, &v);
  return v;
}

// A parameter of the texture object, read through its own binding.
GLint param(Texture const& t, GLenum name) {
  glBindTexture(GLenum(t.target), t.id);
  GLint v = 0;
  glGetTexParameteriv(GLenum(t.target), name, &v);
  return v;
}

}  // namespace

using TextureTest = GLTest;

// Each way of filling a texture, with the caller's rows padded to 8 bytes both
// ways: the texture holds kPixels (a grey one their first bytes), read back
// tightly, in 2 x 2, 1 x 4 or 4 x 1 pixels with every mipmap level and the
// modes its kind sets, and the caller's pixel-store state and binding are as
// they were. (load2D is loadImage after the image system's load.)
TEST_F(TextureTest, EveryUploadReadsBackExactly) {
  ASSERT_TRUE(found_GL_ARB_texture_cube_map);
  std::string const file = std::filesystem::temp_directory_path() / ("texture_test" + std::to_string(getpid()) + ".ppm");
  std::ofstream(file) << "P3\n2 2\n255\n1 20 30 4 50 60\n7 80 90 10 110 120\n";
  char const* f = file.c_str();
  ImagePtr rgb(new Image(_vec<2, int>(1, 4), 24)), rgba(new Image(_vec<2, int>(2, 2), 32)), grey(new Image(_vec<2, int>(2, 2), 8));
  for (int i = 0; i < 12; ++i) rgb->data[i] = rgba->data[i / 3 * 4 + i % 3] = kPixels[size_t(i)];
  std::copy(kPixels.begin(), kPixels.begin() + 4, grey->data);
  struct { char const* what; Fill fill; int face, width, levels, wrap, minFilter, format = GL_RGB; } cases[] = {
      {"tight 2D", [](Texture& t) { return t.build2DMipmaps(2, 2, GL_RGB, GL_UNSIGNED_BYTE, kPixels.data(), 0, 0); },
       0, 2, 2, GL_REPEAT, GL_LINEAR_MIPMAP_LINEAR},
      {"padded 2D", [](Texture& t) { return t.build2DMipmaps(2, 2, GL_RGB, GL_UNSIGNED_BYTE, kPadded.data(), 3, 8); },
       0, 2, 2, GL_REPEAT, GL_LINEAR_MIPMAP_LINEAR},
      {"1 x 4 Image", [&](Texture& t) { return t.loadImage(*rgb); }, 0, 1, 3, GL_REPEAT, GL_LINEAR_MIPMAP_LINEAR},
      {"RGBA Image", [&](Texture& t) { return t.loadImage(*rgba); }, 0, 2, 2, GL_REPEAT, GL_LINEAR_MIPMAP_LINEAR},
      {"grey Image", [&](Texture& t) { return t.loadImage(*grey); }, 0, 2, 2, GL_REPEAT, GL_LINEAR_MIPMAP_LINEAR, GL_LUMINANCE},
      {"spaced 1D", [](Texture& t) { return t.build1DMipmaps(4, GL_RGB, GL_UNSIGNED_BYTE, kSpaced.data(), 4); },
       0, 4, 3, GL_REPEAT, GL_LINEAR_MIPMAP_LINEAR},
      {"empty, updated", [](Texture& t) {
         return t.createEmpty(2, 2, GL_RGB, GL_UNSIGNED_BYTE, 0) && (t.updateData2D(2, 2, GL_RGB, GL_UNSIGNED_BYTE, kMutable), true);
       }, 0, 2, 1, GL_CLAMP, GL_LINEAR},
      {"six files", [&](Texture& t) { return t.loadCubeMap(f, f, f, f, f, f); }, kNegZ, 2, 2, GL_CLAMP,
       GL_LINEAR_MIPMAP_LINEAR},
      {"cube face, updated", [](Texture& t) {
         return t.createEmptyCubeMap() && t.createCubeMapSide(kPosX, 2, 2, GL_RGB, GL_UNSIGNED_BYTE, Bytes(16, 0).data(), 4, 8) &&
                t.updateCubeMapSide(kPosX, 2, 2, GL_RGB, GL_UNSIGNED_BYTE, kPadded.data(), 3, 8);
       }, kPosX, 2, 1, GL_CLAMP, GL_LINEAR},
  };
  GLuint other = 0;
  glGenTextures(1, &other);
  for (auto const& c : cases) {
    SCOPED_TRACE(c.what);
    for (GLenum name : {GL_UNPACK_ALIGNMENT, GL_PACK_ALIGNMENT}) glPixelStorei(name, 8);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 1);  // the caller's, which no upload may use
    Texture t;
    ASSERT_TRUE(c.fill(t));
    EXPECT_EQ(std::make_pair(param(t, GL_TEXTURE_WRAP_S), param(t, GL_TEXTURE_WRAP_T)), std::make_pair(c.wrap, c.wrap));
    EXPECT_EQ(param(t, GL_TEXTURE_MIN_FILTER), c.minFilter);
    glBindTexture(GL_TEXTURE_2D, other);  // the caller's, which the calls below leave alone
    EXPECT_TRUE(t.getWidth() == c.width && t.getWidth() * t.getHeight() == 4) << t.getWidth();
    std::unique_ptr<unsigned char[]> data(c.face ? t.getCubeMapSideData(c.face, 0, c.format, GL_UNSIGNED_BYTE)
                                                 : t.getData(0, c.format, GL_UNSIGNED_BYTE));
    ASSERT_TRUE(data);
    size_t const n = c.format == GL_RGB ? 12 : 4;
    EXPECT_EQ(Bytes(data.get(), data.get() + n), Bytes(kPixels.begin(), kPixels.begin() + long(n)));
    std::unique_ptr<unsigned char[]> last(t.getData(c.levels - 1, GL_RGB, GL_UNSIGNED_BYTE)),
        past(t.getData(c.levels, GL_RGB, GL_UNSIGNED_BYTE));
    EXPECT_TRUE(last && !past) << "levels";
    t.setFilter(GL_NEAREST, GL_NEAREST);
    t.setWrap2D(GL_REPEAT, GL_MIRRORED_REPEAT);
    EXPECT_EQ(GLuint(state(GL_TEXTURE_BINDING_2D)), other);
    EXPECT_EQ(state(GL_UNPACK_ALIGNMENT) + state(GL_PACK_ALIGNMENT) + state(GL_UNPACK_SKIP_PIXELS), 17);
    EXPECT_EQ(param(t, GL_TEXTURE_MAG_FILTER) + param(t, GL_TEXTURE_MIN_FILTER), 2 * GL_NEAREST);
    EXPECT_EQ(param(t, GL_TEXTURE_WRAP_T), GL_MIRRORED_REPEAT);
    t.unload();
  }
  glDeleteTextures(1, &other);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1), glPixelStorei(GL_PACK_ALIGNMENT, 4), glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  std::remove(f);
}

// Whatever fails leaves the texture empty, with one line naming the reason
// where there is one; cube-map calls need the extension and a face.
TEST_F(TextureTest, FailuresLeaveTheTextureEmpty) {
  char const* const f = RB_DATA_DIR "/font.bmp";
  char const* const missing = RB_TEST_DATA_DIR "/missing.bmp";
  ImagePtr deep(new Image(_vec<2, int>(2, 2), 16));
  Texture t;
  ASSERT_TRUE(t.createEmptyCubeMap());
  EXPECT_FALSE(t.createCubeMapSide(GL_TEXTURE_2D, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, kPixels.data(), 0, 0));
  EXPECT_FALSE(t.updateCubeMapSide(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z_ARB + 1, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, kPixels.data(), 0, 0));
  EXPECT_EQ(t.getCubeMapSideData(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB - 1, 0, GL_RGB, GL_UNSIGNED_BYTE), nullptr);
  struct { Fill fill; char const* line; } cases[] = {
      {[](Texture& t) { return t.build2DMipmaps(0, 4, GL_RGB, GL_UNSIGNED_BYTE, kPixels.data(), 0, 0); },
       "Texture::build2DMipmaps: invalid value\n"},
      {[](Texture& t) { return t.build1DMipmaps(-1, GL_RGB, GL_UNSIGNED_BYTE, kPixels.data(), 0); },
       "Texture::build1DMipmaps: invalid value\n"},
      {[&](Texture& t) { return t.loadImage(*deep); }, "Texture::loadImage: cannot upload an image of 16 bits per pixel\n"},
      {[&](Texture& t) { return t.load2D(missing); }, ""},
      {[](Texture& t) { return t.createEmpty(0, 4, GL_RGB, GL_UNSIGNED_BYTE, 0); }, ""},
      {[&](Texture& t) { return t.loadCubeMap(f, f, f, f, missing, f); }, ""},
  };
  for (auto const& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(c.fill(t)) << c.line;
    EXPECT_NE(testing::internal::GetCapturedStderr().find(c.line), std::string::npos);
    EXPECT_TRUE(t.id == 0u && t.target == 0) << c.line;
  }
  found_GL_ARB_texture_cube_map = false;
  EXPECT_FALSE(t.createEmptyCubeMap() || t.initCubeMap() || t.loadCubeMap(f, f, f, f, f, f));
  found_GL_ARB_texture_cube_map = true;
}

// A texture bound to a unit is enabled there; unbinding every unit, highest
// first, ends with unit 0 active and nothing enabled; unload deletes it once,
// and modes and updates on an empty texture do nothing.
TEST_F(TextureTest, UnitsBindingAndUnload) {
  ASSERT_GE(TextureSystem::getNumUnits(), 4);
  Texture t;
  ASSERT_TRUE(t.load2D(RB_DATA_DIR "/font.bmp"));
  t.bind(2);
  EXPECT_TRUE(state(GL_ACTIVE_TEXTURE) == GL_TEXTURE2 && GLuint(state(GL_TEXTURE_BINDING_2D)) == t.id && glIsEnabled(GL_TEXTURE_2D));
  Texture::unbindAll();
  EXPECT_EQ(state(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
  glActiveTexture(GL_TEXTURE2);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D) || glIsEnabled(GL_TEXTURE_CUBE_MAP));
  glActiveTexture(GL_TEXTURE0);
  GLuint const name = t.id;
  t.unload();
  EXPECT_FALSE(glIsTexture(name));
  t.unload();
  t.setFilter(GL_NEAREST, GL_NEAREST);
  t.setWrap1D(GL_CLAMP);
  t.updateData2D(2, 2, GL_RGB, GL_UNSIGNED_BYTE, kMutable);
  EXPECT_EQ(t.getData(0, GL_RGB, GL_UNSIGNED_BYTE), nullptr);
}
