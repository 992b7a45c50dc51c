// ShaderProgram: a program object, the shaders attached to it and the shaders
// it created and owns.
#pragma once

#include <vector>

#include "shader/shader.h"

class ShaderProgram : public GLHandleObj {
public:
  ShaderProgram() {}
  // Frees the lists and deletes the program object, but not the owned shaders:
  // call destroy() for the full release.
  ~ShaderProgram() override;

  void create();
  // Links; true when the link status is set.
  bool link();
  // Makes this program current; useNone() makes none current.
  void use();
  static void useNone();
  int getUniformLocation(char const* name);
  void getInfoLog(int maxLength, int* length, char* log);
  // The info log of every attached object in attach order, then the program's.
  void printLog();

  // Attaches a shader the program does not own.
  void attach(Shader const& shader);
  void attach(GLhandleARB objectHandle);
  // Creates a shader from prefix + file text, owns it and attaches it.
  bool attachShader(char const* filename, int type, char const* prefix);
  bool attachVertexShader(char const* filename, char const* prefix);
  bool attachFragmentShader(char const* filename, char const* prefix);

  // Make the program current (it stays current) and set one uniform; a name
  // the program lacks is ignored.
  void setUniform1i(char const* name, int value);
  void setUniform1f(char const* name, float value);
  void setUniform2f(char const* name, float x, float y);

  // Deletes the owned shaders (newest first), empties both lists and deletes
  // the program object.
  void destroy() override;

  std::vector<Shader*> ownedShaders;
  std::vector<GLhandleARB> attachedHandles;
};
