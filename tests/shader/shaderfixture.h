// One offscreen GL context per test program, a folder for shader files and
// helpers that read a shader object's state back from GL.
#pragma once

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <string>
#include <vector>

#include "shader/shader.h"
#include "testsupport/glcontext.h"

class ShaderTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    if (!ctx) ctx = new GLTestContext(32, 32);
  }
  void TearDown() override { EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)); }

  // Writes text to a file in the test's temporary folder; returns its path.
  static std::string writeFile(char const* name, std::string const& text) {
    std::string path = testing::TempDir() + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_TRUE(f && std::fwrite(text.data(), 1, text.size(), f) == text.size()) << path;
    if (f) std::fclose(f);
    return path;
  }

  static GLint objectInt(GLhandleARB h, GLenum name) {
    GLint v = -1;
    glGetObjectParameterivARB(h, name, &v);
    return v;
  }

  static std::string sourceOf(GLhandleARB h) {
    GLint length = objectInt(h, GL_OBJECT_SHADER_SOURCE_LENGTH_ARB);
    if (length <= 0) return std::string();
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    GLsizei written = 0;
    glGetShaderSourceARB(h, length, &written, text.data());
    return std::string(text.data(), static_cast<size_t>(written));
  }

  static inline GLTestContext* ctx = nullptr;
};

// Counts the occurrences of needle in text.
inline size_t countOf(std::string const& text, std::string const& needle) {
  size_t n = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
  return n;
}
