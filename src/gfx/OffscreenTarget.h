// OffscreenTarget: a framebuffer object with colour attachments of one format
// (bytes or 32-bit floats) and a depth buffer, to draw passes the window never
// shows and read them back.
#pragma once

#include <GL/gl.h>

#include <string>
#include <vector>

class OffscreenTarget {
public:
  OffscreenTarget() = default;
  ~OffscreenTarget() { destroy(); }
  OffscreenTarget(OffscreenTarget const&) = delete;
  OffscreenTarget& operator=(OffscreenTarget const&) = delete;

  // `format` is GL_RGBA8 or GL_RGBA32F; up to four attachments. False, with the
  // reason, when the GL cannot make it.
  bool create(int width, int height, int attachments, GLenum format, std::string& error);
  void destroy();

  // Draws into every attachment from now on (fragment outputs 0 to n-1);
  // unbind() goes back to the framebuffer, draw buffer and viewport before.
  void bind();
  void unbind();

  // An attachment's pixels, RGBA, rows bottom first.
  std::vector<float> readFloats(int attachment) const;
  std::vector<unsigned char> readBytes(int attachment) const;
  // The depth buffer's window depths (0 near to 1 far), rows bottom first.
  std::vector<float> readDepth() const;

  int width() const { return w; }
  int height() const { return h; }
  int attachments() const { return static_cast<int>(colors.size()); }
  GLenum format() const { return colorFormat; }

private:
  GLuint fbo = 0;
  GLuint depth = 0;
  std::vector<GLuint> colors;
  int w = 0, h = 0;
  GLenum colorFormat = 0;
  GLint savedFbo = 0;
  GLint savedDrawBuffer = 0;
  GLint savedViewport[4] = {0, 0, 0, 0};
  bool bound = false;
};
