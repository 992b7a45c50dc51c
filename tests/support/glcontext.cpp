// GLTestContext and readPNG.
#include "testsupport/glcontext.h"

#include <GL/gl.h>
#include <png.h>

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

void GLTestContext::swap() { sdlSys.postUpdate(); }

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
