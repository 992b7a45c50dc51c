// ReliefProgram: one linked relief-shading program, its vertex and fragment
// shaders compiled from their texts behind a macro prefix, with the compile and
// link results checked and the logs kept.
#pragma once

#include <GL/gl.h>

#include <memory>
#include <string>

#include "ShaderFile.h"
#include "shader/shader.h"
#include "shader/shaderprogram.h"

class ReliefProgram {
public:
  using Source = ShaderText;

  ReliefProgram();
  ~ReliefProgram();
  ReliefProgram(ReliefProgram const&) = delete;
  ReliefProgram& operator=(ReliefProgram const&) = delete;

  // Compiles both stages, each as the macros followed by its text, and links
  // them. True when both compiled and the program linked; log() then holds the
  // errors (each stage's log under its file name) or the warnings.
  bool build(Source const& vert, Source const& frag, std::string const& macros);
  bool ok() const { return linked; }
  std::string const& log() const { return messages; }

  // Writes "log:" and the info log (or "none") of the vertex shader, the
  // fragment shader and the program to standard error.
  void printLog();

  // Sets the samplers to their units (TextureUnits.h), polyThickness,
  // coneMapSize (the cone map's width and height in texels; 0 x 0 while there
  // is no cone map, when the cone march stays at the polygon) and
  // iterativeSteps and refineSteps, the counts the build's macro string gave
  // (Techniques::stepCounts: what a STEPS_AS_UNIFORMS build bounds its loops
  // by), then makes no program current.
  void setUniforms(float polyThickness, int coneWidth = 0, int coneHeight = 0);

  // The sizes MAX_PYRAMID's search needs, for a max pyramid made from a
  // mapWidth x mapHeight height map: pyramidSize = (mapWidth, mapHeight, the
  // pyramid's level-0 width and height) and pyramidTop = its last level. Makes
  // no program current.
  void setPyramidSize(int mapWidth, int mapHeight);

  void use() { program.use(); }
  ShaderProgram& get() { return program; }

  // The text a stage is compiled from: the macros, then the shader's text. A
  // leading #version line stays in front, as GLSL demands, and a #line
  // directive makes the compiler count the text's own lines, so that the line
  // numbers in the logs are those of the file as the user sees it.
  static std::string assemble(std::string const& macros, std::string const& text);

private:
  TemplateShader<GL_VERTEX_SHADER> vertShader;
  TemplateShader<GL_FRAGMENT_SHADER> fragShader;
  ShaderProgram program;
  bool linked;
  std::string messages;
  float steps = 0.0f, refineSteps = 0.0f;  // the counts the macros gave
};
