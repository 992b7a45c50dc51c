// writeWindowImage: the back buffer through glReadPixels into writeImageFile.
#include "Screenshot.h"

#include <GL/gl.h>

#include <vector>

#include "base/imagewriter.h"
#include "system/display.h"

bool writeWindowImage(std::string const& filename, std::string& error) {
  int const w = disp.getSize().x, h = disp.getSize().y;
  if (w <= 0 || h <= 0) {
    error = filename + ": the window has no picture to write";
    return false;
  }
  std::vector<unsigned char> pixels(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
  // Tightly packed rows, whatever the caller's pack settings; theirs come back after.
  GLint alignment = 4, rowLength = 0, skipRows = 0, skipPixels = 0;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glGetIntegerv(GL_PACK_ROW_LENGTH, &rowLength);
  glGetIntegerv(GL_PACK_SKIP_ROWS, &skipRows);
  glGetIntegerv(GL_PACK_SKIP_PIXELS, &skipPixels);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glPixelStorei(GL_PACK_SKIP_ROWS, 0);
  glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
  glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
  glPixelStorei(GL_PACK_ROW_LENGTH, rowLength);
  glPixelStorei(GL_PACK_SKIP_ROWS, skipRows);
  glPixelStorei(GL_PACK_SKIP_PIXELS, skipPixels);
  // GL rows come bottom first: a negative stride says so.
  return writeImageFile(filename, w, h, pixels.data(), -w * 3, error);
}
