// GLHandleObj: deleting shader objects and printing their info logs.
#include "shader/glhandleobj.h"

#include <cstdio>
#include <new>

GLHandleObj::~GLHandleObj() { GLHandleObj::destroy(); }

void GLHandleObj::destroy() {
  if (handle) glDeleteObjectARB(handle);
  handle = 0;
}

bool GLHandleObj::printHandleLog(GLhandleARB h) {
  std::fprintf(stderr, "log:\n");
  GLint length = 0;
  glGetObjectParameterivARB(h, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
  if (length > 0) {
    char* text = new (std::nothrow) char[static_cast<size_t>(length)];
    if (!text) {
      std::fprintf(stderr, "failed to alloc text buffer!\n");
      return false;
    }
    GLsizei written = 0;
    glGetInfoLogARB(h, length, &written, text);
    if (written < 0) written = 0;
    text[written < length ? written : length - 1] = '\0';
    std::fprintf(stderr, "%s\n", text);
    delete[] text;
  } else {
    std::fprintf(stderr, "none\n");
  }
  return true;
}
