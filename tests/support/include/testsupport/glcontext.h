// GLTestContext: a real OpenGL compatibility context for tests, opened through
// the SDL backend (offscreen video driver, Mesa llvmpipe), with frame read-back.
#pragma once

#include <string>
#include <vector>

class GLTestContext {
public:
  // Binds the front objects to the SDL backend and opens a window of the given
  // drawable size; the display reports that size from the first frame on.
  explicit GLTestContext(int width = 256, int height = 256);
  ~GLTestContext();
  GLTestContext(GLTestContext const&) = delete;
  GLTestContext& operator=(GLTestContext const&) = delete;

  int width() const;
  int height() const;

  // The back buffer as RGBA bytes, rows bottom first (as glReadPixels gives them).
  std::vector<unsigned char> readPixels() const;

  // Presents the frame (and keeps the keyboard's per-frame bookkeeping right).
  void swap();
};

// A PNG file's pixels as RGB bytes, rows top first; empty when it cannot be read.
std::vector<unsigned char> readPNG(std::string const& path, int& width, int& height);
