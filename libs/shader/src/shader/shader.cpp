// Shader: creating, sourcing and compiling one shader object.
#include "shader/shader.h"

#include <string>

#include "base/filebuffer.h"
#include "math/assert.h"

void Shader::create(int type) { handle = glCreateShaderObjectARB(static_cast<GLenum>(type)); }

void Shader::setSource(char const* buffer) const {
  ASSERT(buffer);
  GLcharARB const* sources[1] = {buffer};
  glShaderSourceARB(handle, 1, sources, nullptr);
}

bool Shader::compile() const {
  glCompileShaderARB(handle);
  GLint status = 0;
  glGetObjectParameterivARB(handle, GL_OBJECT_COMPILE_STATUS_ARB, &status);
  return status != 0;
}

char const* Shader::nameForType(int type) {
  if (type == GL_FRAGMENT_SHADER) return "Fragment";
  if (type == GL_VERTEX_SHADER) return "Vertex";
  return "Unknown";
}

bool Shader::createFromSource(char const* filename, int type, char const* prefix) {
  std::string text;
  if (prefix) text += prefix;
  bool read = true;
  if (filename && *filename) {
    FileBuffer file;
    read = file.load(filename) && file.data;  // the loader names the file and the reason
    if (read && file.size > 0) text.append(file.data, static_cast<size_t>(file.size));
    file.unload();
  }
  create(type);
  setSource(text.c_str());
  compile();
  return read;
}
