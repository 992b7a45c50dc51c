// Shader programs: drawing with uniforms, link logs, releasing the shaders.
#include <vector>

#include "shaderfixture.h"

namespace {
char const* tintText =
    "uniform float level; uniform int green;\n"
    "void main() { gl_FragColor = vec4(green == 0 ? level : 0.0, green == 1 ? level : 0.0, 0.0, 1.0) * SCALE; }\n";

GLhandleARB current() { return glGetHandleARB(GL_PROGRAM_OBJECT_ARB); }
}  // namespace

// Setting a uniform makes the program current and leaves it so.
TEST_F(ShaderTest, ProgramFromFilesDrawsWithItsUniforms) {
  ShaderProgram p;
  p.create();
  EXPECT_TRUE(p.attachVertexShader(writeFile("plain.vert", vertexText).c_str(), nullptr));
  EXPECT_TRUE(p.attachFragmentShader(writeFile("tint.frag", tintText).c_str(), "#define SCALE 1.0\n"));
  ASSERT_TRUE(p.link());
  p.use();
  EXPECT_EQ(current(), p.handle);
  ShaderProgram::useNone();
  EXPECT_EQ(current(), 0u);
  p.setUniform1i("green", 1);  // with no program current, a GL error
  ShaderProgram::useNone();
  p.setUniform1f("level", 0.5f);
  EXPECT_EQ(current(), p.handle);
  glRectf(-1, -1, 1, 1);
  std::vector<unsigned char> const px = ctx->readPixels();  // a pixel of the full-frame rectangle
  EXPECT_EQ(px[0], 0);
  EXPECT_NEAR(px[1], 128, 1);
  p.destroy();
}

// The program's log comes after its shaders' logs, in attach order; "none"
// stands for an empty log, and a log is GL's text without its final zero.
TEST_F(ShaderTest, BrokenProgramFailsToLinkAndItsLogsSayWhy) {
  ShaderProgram p;
  p.create();
  p.attachVertexShader(nullptr, vertexText);
  p.attachFragmentShader(nullptr, tintText);  // SCALE is not defined
  EXPECT_FALSE(p.link());
  std::string const frag = GLHandleObj::infoLog(p.attachedHandles.at(1)), link = GLHandleObj::infoLog(p.handle);
  testing::internal::CaptureStderr();
  p.printLog();
  EXPECT_TRUE(GLHandleObj::printHandleLog(p.handle));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "log:\nnone\nlog:\n" + frag + "\nlog:\n" + link + "\nlog:\n" + link + "\n");
  p.destroy();
}

// destroy() deletes the shaders the program made, then the program, but not a
// shader attached from outside.
TEST_F(ShaderTest, DestroyReleasesTheShadersItMade) {
  Shader foreign;
  foreign.createFromSource(nullptr, GL_VERTEX_SHADER, vertexText);
  ShaderProgram p;
  p.create();
  p.attachFragmentShader(nullptr, "void main() { gl_FragColor = vec4(1.0); }\n");
  p.attach(foreign);
  ASSERT_TRUE(p.link());
  GLhandleARB const program = p.handle, made = p.ownedShaders[0]->handle;
  EXPECT_EQ(p.attachedHandles, (std::vector<GLhandleARB>{made, foreign.handle}));
  p.destroy();
  EXPECT_TRUE(p.handle == 0 && p.ownedShaders.empty() && p.attachedHandles.empty());
  EXPECT_FALSE(glIsProgram(program) || glIsShader(made));
  EXPECT_TRUE(glIsShader(foreign.handle));
}
