// The shader tests' fixture: the shared GL context and shader text in files.
#pragma once

#include <fstream>
#include <string>

#include "shader/shader.h"
#include "testsupport/glfixture.h"

class ShaderTest : public GLTest {
protected:
  // Writes text to a file in the temporary folder; returns its path.
  static std::string writeFile(char const* name, std::string const& text) {
    std::string const path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
};

inline char const* const vertexText = "void main() { gl_Position = gl_Vertex; }\n";
