// The extension flags, the extension-string search and the flag initialisation.
#include "system/glext.h"

#include <GL/gl.h>

#include <cstring>

bool found_GL_ARB_multitexture;
bool found_GL_EXT_framebuffer_object;
bool found_GL_ARB_vertex_buffer_object;
bool found_GL_EXT_texture3D;
bool found_GL_ARB_texture_cube_map;
bool found_GL_ARB_texture_env_add;
bool found_GL_EXT_separate_specular_color;
bool found_GL_SGIS_generate_mipmap;
bool found_GL_ARB_texture_env_combine;
bool found_GL_ARB_point_parameters;
bool found_GL_ARB_draw_buffers;
bool found_GL_ARB_texture_non_power_of_two;
bool found_GL_ARB_shader_objects;
bool found_GL_ARB_vertex_program;
bool found_GL_ARB_vertex_shader;

char const* (*gl_extensionStringHook)() = nullptr;

namespace {

char const* extensionString() {
  if (gl_extensionStringHook) return gl_extensionStringHook();
  return reinterpret_cast<char const*>(glGetString(GL_EXTENSIONS));
}

}  // namespace

bool gl_hasExt(char const* name) {
  char const* exts = extensionString();
  if (!exts || !name) return false;
  size_t const n = std::strlen(name);
  // strncmp stops at the first differing byte, so it never reads past the
  // extension string's terminating zero.
  for (char const* p = exts; *p; ++p) {
    if (std::strncmp(p, name, n) == 0) return true;
  }
  return false;
}

void init_ext() {
  found_GL_ARB_multitexture = true;
  found_GL_EXT_framebuffer_object = true;
  found_GL_ARB_vertex_buffer_object = true;
  found_GL_EXT_texture3D = true;

  if (gl_hasExt("GL_ARB_texture_cube_map")) found_GL_ARB_texture_cube_map = true;
  if (gl_hasExt("GL_ARB_texture_env_add")) found_GL_ARB_texture_env_add = true;
  if (gl_hasExt("GL_EXT_separate_specular_color")) found_GL_EXT_separate_specular_color = true;
  if (gl_hasExt("GL_SGIS_generate_mipmap")) found_GL_SGIS_generate_mipmap = true;
  if (gl_hasExt("GL_ARB_texture_env_combine")) found_GL_ARB_texture_env_combine = true;

  found_GL_ARB_point_parameters = true;
  found_GL_ARB_draw_buffers = true;
  found_GL_ARB_texture_non_power_of_two = true;
}
