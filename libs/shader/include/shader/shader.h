// Shader: one vertex or fragment shader object, built from a prefix and a
// file's text; TemplateShader names the kind in the type.
#pragma once

#include "shader/glhandleobj.h"

class Shader : public GLHandleObj {
public:
  // Creates a shader object of the given kind; an existing handle is
  // overwritten, not deleted.
  void create(int type);
  // One NUL-terminated string; buffer must not be null.
  void setSource(char const* buffer) const;
  // Compiles; true when the compile status is set (the info log says why not).
  bool compile() const;

  // "Fragment", "Vertex" or "Unknown".
  static char const* nameForType(int type);

  // Creates and compiles a shader whose source is the prefix (may be null)
  // followed immediately by the file's text (none when `filename` is null or
  // empty). A named file that cannot be read is a failure: the shader is built
  // from the prefix alone, the reason goes to standard error, and the result
  // is false. Otherwise true, whether or not the text compiles (see compile()).
  bool createFromSource(char const* filename, int type, char const* prefix);
};

// A shader whose kind (GL_VERTEX_SHADER or GL_FRAGMENT_SHADER) is part of its
// type; the kind is still passed to create or createFromSource.
template <GLenum kind>
class TemplateShader : public Shader {
public:
  TemplateShader() {}
  ~TemplateShader() override {}
};

#include "shader/shaderprogram.h"
#include "shader/shadersystem.h"
