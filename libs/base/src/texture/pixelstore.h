// Scoped pixel-store settings: tight rows for one upload or readback, with the
// caller's alignment, row length and skips restored afterwards.
#pragma once

#include <GL/gl.h>

class TightPixelStore {
public:
  // pack: the readback settings (GL_PACK_*), else the upload ones (GL_UNPACK_*).
  explicit TightPixelStore(bool pack)
      : names{pack ? GLenum(GL_PACK_ALIGNMENT) : GLenum(GL_UNPACK_ALIGNMENT),
              pack ? GLenum(GL_PACK_ROW_LENGTH) : GLenum(GL_UNPACK_ROW_LENGTH),
              pack ? GLenum(GL_PACK_SKIP_ROWS) : GLenum(GL_UNPACK_SKIP_ROWS),
              pack ? GLenum(GL_PACK_SKIP_PIXELS) : GLenum(GL_UNPACK_SKIP_PIXELS)} {
    for (int i = 0; i < 4; ++i) glGetIntegerv(names[i], &saved[i]);
    glPixelStorei(names[0], 1);
    for (int i = 1; i < 4; ++i) glPixelStorei(names[i], 0);
  }
  ~TightPixelStore() {
    for (int i = 0; i < 4; ++i) glPixelStorei(names[i], saved[i]);
  }
  TightPixelStore(TightPixelStore const&) = delete;
  TightPixelStore& operator=(TightPixelStore const&) = delete;

private:
  GLenum names[4];
  GLint saved[4];
};
