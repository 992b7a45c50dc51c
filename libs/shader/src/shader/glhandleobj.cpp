// GLHandleObj: deleting shader objects and printing their info logs.
#include "shader/glhandleobj.h"

#include <cstdio>

GLHandleObj::~GLHandleObj() { GLHandleObj::destroy(); }

void GLHandleObj::destroy() {
  if (handle) glDeleteObjectARB(handle);
  handle = 0;
}

std::string GLHandleObj::infoLog(GLhandleARB h) {
  GLint length = 0;
  glGetObjectParameterivARB(h, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
  if (length <= 1) return std::string();
  std::string text(static_cast<size_t>(length), '\0');
  GLsizei written = 0;
  glGetInfoLogARB(h, length, &written, &text[0]);
  text.resize(written > 0 && written < length ? static_cast<size_t>(written) : 0);
  return text;
}

bool GLHandleObj::printHandleLog(GLhandleARB h) {
  std::fprintf(stderr, "log:\n");
  std::string const text = infoLog(h);
  std::fprintf(stderr, "%s\n", text.empty() ? "none" : text.c_str());
  return true;
}
