// ShaderProgram: linking, attaching, uniforms, logs and the ordered release of
// owned shaders.
#include "shader/shaderprogram.h"

#include "math/assert.h"

ShaderProgram::~ShaderProgram() {
  ownedShaders.clear();
  attachedHandles.clear();
}

void ShaderProgram::create() { handle = glCreateProgramObjectARB(); }

bool ShaderProgram::link() {
  glLinkProgramARB(handle);
  GLint status = 0;
  glGetObjectParameterivARB(handle, GL_OBJECT_LINK_STATUS_ARB, &status);
  return status != 0;
}

void ShaderProgram::use() { glUseProgramObjectARB(handle); }

void ShaderProgram::useNone() { glUseProgramObjectARB(0); }

int ShaderProgram::getUniformLocation(char const* name) {
  return glGetUniformLocationARB(handle, name);
}

void ShaderProgram::getInfoLog(int maxLength, int* length, char* log) {
  glGetInfoLogARB(handle, maxLength, length, log);
}

void ShaderProgram::printLog() {
  for (GLhandleARB h : attachedHandles) printHandleLog(h);
  printHandleLog(handle);
}

void ShaderProgram::attach(Shader const& shader) { attach(shader.handle); }

void ShaderProgram::attach(GLhandleARB objectHandle) {
  ASSERT(handle);
  glAttachObjectARB(handle, objectHandle);
  attachedHandles.push_back(objectHandle);
}

bool ShaderProgram::attachShader(char const* filename, int type, char const* prefix) {
  Shader* shader = new Shader;
  if (!shader->createFromSource(filename, type, prefix)) {
    delete shader;
    return false;
  }
  ownedShaders.push_back(shader);
  attach(shader->handle);
  return true;
}

bool ShaderProgram::attachVertexShader(char const* filename, char const* prefix) {
  return attachShader(filename, GL_VERTEX_SHADER, prefix);
}

bool ShaderProgram::attachFragmentShader(char const* filename, char const* prefix) {
  return attachShader(filename, GL_FRAGMENT_SHADER, prefix);
}

void ShaderProgram::setUniform1i(char const* name, int value) {
  glUseProgramObjectARB(handle);
  glUniform1iARB(glGetUniformLocationARB(handle, name), value);
}

void ShaderProgram::setUniform1f(char const* name, float value) {
  glUseProgramObjectARB(handle);
  glUniform1fARB(glGetUniformLocationARB(handle, name), value);
}

void ShaderProgram::setUniform2f(char const* name, float x, float y) {
  glUseProgramObjectARB(handle);
  glUniform2fARB(glGetUniformLocationARB(handle, name), x, y);
}

void ShaderProgram::destroy() {
  for (auto it = ownedShaders.rbegin(); it != ownedShaders.rend(); ++it) delete *it;
  ownedShaders.clear();
  attachedHandles.clear();
  GLHandleObj::destroy();
}
