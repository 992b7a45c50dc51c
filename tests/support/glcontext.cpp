// GLTestContext and writePNG.
#include "testsupport/glcontext.h"

#include <GL/gl.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>

#include "sdlsystem/sdlsystem.h"

GLTestContext::GLTestContext(int width, int height) {
  // Tests never need a display: force the offscreen driver unless told otherwise.
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  sdlBindSingletons();
  sys.setInitSize(_vec<2, int>(width, height));
  sys.init();
  disp.update();  // make the window size current, as the first frame would
}

GLTestContext::~GLTestContext() { sys.shutdown(); }

int GLTestContext::width() const { return disp.getSize().x; }
int GLTestContext::height() const { return disp.getSize().y; }

std::vector<unsigned char> GLTestContext::readPixels() const {
  int const w = width(), h = height();
  std::vector<unsigned char> out(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
  GLint oldPack = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &oldPack);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
  glPixelStorei(GL_PACK_ALIGNMENT, oldPack);
  return out;
}

GLTestContext::RGBA GLTestContext::pixel(int x, int y) const {
  RGBA p{0, 0, 0, 0};
  GLint oldPack = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &oldPack);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &p);
  glPixelStorei(GL_PACK_ALIGNMENT, oldPack);
  return p;
}

void GLTestContext::swap() { sdlSys.postUpdate(); }

bool writePNG(std::string const& path, std::vector<unsigned char> const& rgba, int width, int height) {
  if (width <= 0 || height <= 0 ||
      rgba.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4) {
    std::fprintf(stderr, "writePNG: no picture to write to %s\n", path.c_str());
    return false;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  // A negative row stride writes the last row (the top of a GL frame) first.
  png_int_32 const stride = -static_cast<png_int_32>(width * 4);
  if (!png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), stride, nullptr)) {
    std::fprintf(stderr, "writePNG: %s: %s\n", path.c_str(), image.message);
    return false;
  }
  return true;
}

std::vector<unsigned char> readPNG(std::string const& path, int& width, int& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  width = height = 0;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return rgb;
}
