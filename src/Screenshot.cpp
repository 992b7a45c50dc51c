// writeWindowPNG: the back buffer through glReadPixels into a PNG file.
#include "Screenshot.h"

#include <GL/gl.h>
#include <png.h>

#include <cstdio>
#include <vector>

#include "system/display.h"

bool writeWindowPNG(std::string const& filename) {
  int const w = disp.getSize().x, h = disp.getSize().y;
  if (w <= 0 || h <= 0) return false;
  std::vector<unsigned char> pixels(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
  GLint oldPack = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &oldPack);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);  // rows of RGB are not padded
  glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  glPixelStorei(GL_PACK_ALIGNMENT, oldPack);

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = PNG_FORMAT_RGB;
  // GL rows come bottom first: a negative stride writes the top row first.
  if (!png_image_write_to_file(&image, filename.c_str(), 0, pixels.data(), -w * 3, nullptr)) {
    std::fprintf(stderr, "screenshot %s: %s\n", filename.c_str(), image.message);
    return false;
  }
  return true;
}
