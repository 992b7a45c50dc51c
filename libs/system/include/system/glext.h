// The GL extension registry: one flag per extension the engine may use, the
// extension-string test, flag initialisation and run-time entry-point binding.
#pragma once

extern bool found_GL_ARB_multitexture;
extern bool found_GL_EXT_framebuffer_object;
extern bool found_GL_ARB_vertex_buffer_object;
extern bool found_GL_EXT_texture3D;
extern bool found_GL_ARB_texture_cube_map;
extern bool found_GL_ARB_texture_env_add;
extern bool found_GL_EXT_separate_specular_color;
extern bool found_GL_SGIS_generate_mipmap;
extern bool found_GL_ARB_texture_env_combine;
extern bool found_GL_ARB_point_parameters;
extern bool found_GL_ARB_draw_buffers;
extern bool found_GL_ARB_texture_non_power_of_two;
// Set by the shader system when it starts.
extern bool found_GL_ARB_shader_objects;
extern bool found_GL_ARB_vertex_program;
extern bool found_GL_ARB_vertex_shader;

// Whether name occurs anywhere in the current context's extension string. This
// is a plain substring search: a name that is the leading part of a longer
// extension name is found too. False when no context is current.
bool gl_hasExt(char const* name);

// Fills the registry's twelve flags; flags only ever become true.
void init_ext();

// Hook used by the registry's own test of the extension string; tests replace
// it to run the search over a string of their choice. Null means glGetString.
extern char const* (*gl_extensionStringHook)();

// Binds entry points of one extension: the variable part is pairs of (void**
// variable, char const* name), ended by a null variable. Returns -2 when the
// extension is absent, -1 when every pair was bound, or the zero-based index of
// the first pair that could not be bound (its variable is then null).
int load_ext(char const* extension, ...);

// Platform lookup of a GL entry point by name; null when there is none.
// Supplied by the desktop backend.
void* sysGLGetProcAddress(char const* name);
