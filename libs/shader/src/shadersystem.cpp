// ShaderSystem: the global instance and the shader extension flags it sets.
#include "shader/shadersystem.h"

#include "system/glext.h"

ShaderSystem shaderSystem;

bool ShaderSystem::init() {
  found_GL_ARB_shader_objects = true;
  found_GL_ARB_vertex_program = true;
  found_GL_ARB_vertex_shader = true;
  return true;
}
