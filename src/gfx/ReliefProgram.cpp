// ReliefProgram: assembling the stage texts, building, logs and uniforms.
#include "ReliefProgram.h"

#include <cstdlib>

#include "MaxPyramid.h"
#include "ShaderLog.h"
#include "Techniques.h"
#include "TextureUnits.h"

namespace {

// The version a "#version N ..." line names, or 0 when the line is not one.
int versionOf(std::string const& line) {
  size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos || line.compare(i, 8, "#version") != 0) return 0;
  return std::atoi(line.c_str() + i + 8);
}

// Appends a stage's log under a heading naming its file, when it has one,
// each message on a line of its own.
void addLog(std::string& out, std::string const& heading, std::string const& log) {
  if (log.empty()) return;
  out += heading + ":\n" + ShaderLog::oneMessageALine(log);
}

// Where the text's #version line ends (0 when it has none; only the first
// line that is neither blank nor a line comment may be one), its version
// (0 without one) and the number of the line after it.
size_t versionLineEnd(std::string const& text, int& version, int& nextLine) {
  size_t pos = 0;
  int line = 1;
  version = 0;
  nextLine = 1;
  for (;;) {
    size_t const end = text.find('\n', pos);
    std::string const current = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    size_t const first = current.find_first_not_of(" \t\r");
    if (first != std::string::npos && current.compare(first, 2, "//") != 0) {
      version = versionOf(current);
      if (version == 0) return 0;
      nextLine = line + 1;
      return end == std::string::npos ? text.size() : end + 1;
    }
    if (end == std::string::npos) return 0;
    pos = end + 1;
    ++line;
  }
}

// Before GLSL 3.30, "#line N" numbers the line after it N + 1, and the
// compilers follow that; Mesa's preprocessor numbers it N whatever the
// version, so its messages (#error, a bad #if) come out one line early there.
// Whether this driver's preprocessor does so is asked once, with a shader
// that compiles only under the N + 1 rule.
bool preprocessorLagsBefore330() {
  static int const lags = [] {
    char const* probe =
        "#version 110\n#line 7\n#if __LINE__ != 8\n#error\n#endif\nvoid main() { gl_FragColor = vec4(1.0); }\n";
    GLhandleARB const h = glCreateShaderObjectARB(GL_FRAGMENT_SHADER_ARB);
    glShaderSourceARB(h, 1, &probe, nullptr);
    glCompileShaderARB(h);
    GLint compiled = 0;
    glGetObjectParameterivARB(h, GL_OBJECT_COMPILE_STATUS_ARB, &compiled);
    glDeleteObjectARB(h);
    return compiled ? 0 : 1;
  }();
  return lags != 0;
}

// A stage's log with its preprocessor messages on the user's lines.
std::string stageLog(GLhandleARB shader, std::string const& text) {
  std::string log = GLHandleObj::infoLog(shader);
  int version = 0, nextLine = 1;
  versionLineEnd(text, version, nextLine);
  if (!log.empty() && version < 330 && preprocessorLagsBefore330()) log = ShaderLog::shiftPreprocessorLines(log, 1);
  return log;
}

}  // namespace

ReliefProgram::ReliefProgram() : linked(false) {}

ReliefProgram::~ReliefProgram() {
  program.destroy();
  fragShader.destroy();
  vertShader.destroy();
}

std::string ReliefProgram::assemble(std::string const& macros, std::string const& text) {
  int version = 0, next = 1;
  size_t const split = versionLineEnd(text, version, next);
  // The #line number follows the compilers' rule for the version (see
  // preprocessorLagsBefore330): from 3.30 on "#line N" numbers the next line
  // N, before it N + 1.
  std::string const line = "#line " + std::to_string(version >= 330 ? next : next - 1) + "\n";
  if (version == 0) return macros + line + text;
  std::string head = text.substr(0, split);
  if (head.back() != '\n') head += '\n';
  return head + macros + line + text.substr(split);
}

bool ReliefProgram::build(Source const& vert, Source const& frag, std::string const& macros) {
  program.destroy();
  fragShader.destroy();
  vertShader.destroy();
  messages.clear();
  Techniques::stepCounts(macros, steps, refineSteps);

  std::string const vertText = assemble(macros, vert.text);
  std::string const fragText = assemble(macros, frag.text);
  vertShader.create(GL_VERTEX_SHADER);
  vertShader.setSource(vertText.c_str());
  bool const vertOk = vertShader.compile();
  fragShader.create(GL_FRAGMENT_SHADER);
  fragShader.setSource(fragText.c_str());
  bool const fragOk = fragShader.compile();
  addLog(messages, vert.path, stageLog(vertShader.handle, vert.text));
  addLog(messages, frag.path, stageLog(fragShader.handle, frag.text));

  program.create();
  program.attach(fragShader);
  program.attach(vertShader);
  linked = program.link() && vertOk && fragOk;
  addLog(messages, "link", GLHandleObj::infoLog(program.handle));
  if (!linked && messages.empty()) messages = "the program did not link and the driver gave no reason\n";
  return linked;
}

void ReliefProgram::printLog() { program.printLog(); }

void ReliefProgram::setUniforms(float polyThickness, int coneWidth, int coneHeight) {
  for (TextureUnits::Sampler const& s : TextureUnits::samplers) program.setUniform1i(s.name, s.unit);
  program.setUniform1f("polyThickness", polyThickness);
  program.setUniform2f("coneMapSize", static_cast<float>(coneWidth), static_cast<float>(coneHeight));
  program.setUniform1f("iterativeSteps", steps);
  program.setUniform1f("refineSteps", refineSteps);
  ShaderProgram::useNone();
}

void ReliefProgram::setPyramidSize(int mapWidth, int mapHeight) {
  if (mapWidth <= 0 || mapHeight <= 0) return;
  program.use();
  glUniform4fARB(glGetUniformLocationARB(program.handle, "pyramidSize"), static_cast<float>(mapWidth),
                 static_cast<float>(mapHeight), static_cast<float>(MaxPyramid::paddedSize(mapWidth)),
                 static_cast<float>(MaxPyramid::paddedSize(mapHeight)));
  program.setUniform1f("pyramidTop", static_cast<float>(MaxPyramid::levelCount(mapWidth, mapHeight) - 1));
  ShaderProgram::useNone();
}
