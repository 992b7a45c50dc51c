// ReliefProgram: assembling the stage texts, building, logs and uniforms.
#include "ReliefProgram.h"

#include <cstdlib>

namespace {

// The version a "#version N ..." line names, or 0 when the line is not one.
int versionOf(std::string const& line) {
  size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos || line.compare(i, 8, "#version") != 0) return 0;
  return std::atoi(line.c_str() + i + 8);
}

// Appends a stage's log under a heading naming its file, when it has one.
void addLog(std::string& out, std::string const& heading, std::string const& log) {
  if (log.empty()) return;
  out += heading + ":\n" + log;
  if (out.back() != '\n') out += '\n';
}

}  // namespace

ReliefProgram::ReliefProgram() : linked(false) {}

ReliefProgram::~ReliefProgram() {
  program.destroy();
  fragShader.destroy();
  vertShader.destroy();
}

std::string ReliefProgram::assemble(std::string const& macros, std::string const& text) {
  // Only the first line that is neither blank nor a line comment may be #version.
  size_t pos = 0;
  int line = 1;
  for (;;) {
    size_t const end = text.find('\n', pos);
    std::string const current = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    size_t const first = current.find_first_not_of(" \t\r");
    if (first != std::string::npos && current.compare(first, 2, "//") != 0) {
      int const version = versionOf(current);
      if (version == 0) break;
      size_t const split = end == std::string::npos ? text.size() : end + 1;
      // Before GLSL 3.30 "#line N" numbers the line after it N + 1; from 3.30 on, N.
      int const next = line + 1;
      std::string head = text.substr(0, split);
      if (head.back() != '\n') head += '\n';
      return head + macros + "#line " + std::to_string(version >= 330 ? next : next - 1) + "\n" +
             text.substr(split);
    }
    if (end == std::string::npos) break;
    pos = end + 1;
    ++line;
  }
  return macros + "#line 0\n" + text;
}

bool ReliefProgram::build(Source const& vert, Source const& frag, std::string const& macros) {
  program.destroy();
  fragShader.destroy();
  vertShader.destroy();
  messages.clear();

  std::string const vertText = assemble(macros, vert.text);
  std::string const fragText = assemble(macros, frag.text);
  vertShader.create(GL_VERTEX_SHADER);
  vertShader.setSource(vertText.c_str());
  bool const vertOk = vertShader.compile();
  fragShader.create(GL_FRAGMENT_SHADER);
  fragShader.setSource(fragText.c_str());
  bool const fragOk = fragShader.compile();
  addLog(messages, vert.path, GLHandleObj::infoLog(vertShader.handle));
  addLog(messages, frag.path, GLHandleObj::infoLog(fragShader.handle));

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
  program.setUniform1i("colorMap", 0);
  program.setUniform1i("normalMap", 1);
  program.setUniform1i("coneMap", 2);
  program.setUniform1f("polyThickness", polyThickness);
  program.setUniform2f("coneMapSize", static_cast<float>(coneWidth), static_cast<float>(coneHeight));
  ShaderProgram::useNone();
}
