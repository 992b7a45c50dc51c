// Shader programs: linking files into a program that draws, logs, uniforms
// and the release order of owned shaders.
#include <string>
#include <vector>

#include "shaderfixture.h"

namespace {
char const* vertexText = "void main() { gl_Position = gl_Vertex; }\n";
char const* fragmentText =
    "uniform float brightness;\n"
    "uniform int channel;\n"
    "void main() {\n"
    "  vec4 c = vec4(0.0, 0.0, 0.0, 1.0);\n"
    "  if (channel == 0) c.r = brightness; else c.g = brightness;\n"
    "  gl_FragColor = c * SCALE;\n"
    "}\n";

GLhandleARB currentProgram() { return glGetHandleARB(GL_PROGRAM_OBJECT_ARB); }

// What printLog writes: one block per attached object in attach order, then the program.
std::string logsOf(ShaderProgram& p) {
  testing::internal::CaptureStderr();
  p.printLog();
  return testing::internal::GetCapturedStderr();
}
}  // namespace

TEST_F(ShaderTest, ProgramFromFilesLinksAndDrawsWithItsUniforms) {
  std::string vert = writeFile("plain.vert", vertexText);
  std::string frag = writeFile("tint.frag", fragmentText);
  ShaderProgram p;
  p.create();
  ASSERT_NE(p.handle, 0u);
  EXPECT_TRUE(p.attachVertexShader(vert.c_str(), nullptr));
  EXPECT_TRUE(p.attachFragmentShader(frag.c_str(), "#define SCALE 1.0\n"));
  ASSERT_EQ(p.ownedShaders.size(), 2u);
  ASSERT_EQ(p.attachedHandles.size(), 2u);
  EXPECT_EQ(p.attachedHandles[0], p.ownedShaders[0]->handle);
  EXPECT_TRUE(p.link());

  EXPECT_EQ(countOf(logsOf(p), "log:\n"), 3u);

  // Setting a uniform makes the program current and leaves it so.
  ShaderProgram::useNone();
  p.setUniform1f("brightness", 0.5f);
  EXPECT_EQ(currentProgram(), p.handle);
  p.setUniform1i("channel", 1);
  p.setUniform1f("noSuchUniform", 3.0f);  // ignored by GL, no error
  GLfloat value = 0;
  glGetUniformfvARB(p.handle, p.getUniformLocation("brightness"), &value);
  EXPECT_FLOAT_EQ(value, 0.5f);
  EXPECT_EQ(p.getUniformLocation("noSuchUniform"), -1);

  glViewport(0, 0, ctx->width(), ctx->height());
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glRectf(-1, -1, 1, 1);
  GLTestContext::RGBA px = ctx->pixel(16, 16);
  EXPECT_EQ(px.r, 0);
  EXPECT_NEAR(px.g, 128, 1);

  ShaderProgram::useNone();
  EXPECT_EQ(currentProgram(), 0u);
  p.use();
  EXPECT_EQ(currentProgram(), p.handle);
  p.destroy();
}

TEST_F(ShaderTest, BrokenProgramFailsToLinkAndSaysWhy) {
  ShaderProgram p;
  p.create();
  p.attachVertexShader(writeFile("ok.vert", vertexText).c_str(), nullptr);
  // Without the SCALE definition the fragment shader does not compile.
  p.attachFragmentShader(writeFile("tint2.frag", fragmentText).c_str(), nullptr);
  EXPECT_FALSE(p.link());
  std::string logs = logsOf(p);
  EXPECT_EQ(countOf(logs, "log:\n"), 3u) << logs;
  EXPECT_NE(logs.find("SCALE"), std::string::npos) << logs;

  char text[256] = {0};
  int length = 0;
  p.getInfoLog(sizeof text, &length, text);
  EXPECT_GT(length, 0);
  p.destroy();
}

TEST_F(ShaderTest, AttachingForeignShadersDoesNotOwnThem) {
  Shader v, f;
  v.createFromSource(nullptr, GL_VERTEX_SHADER, vertexText);
  f.createFromSource(nullptr, GL_FRAGMENT_SHADER, "void main() { gl_FragColor = vec4(1.0); }\n");
  ShaderProgram p;
  p.create();
  p.attach(v);
  p.attach(f.handle);
  EXPECT_TRUE(p.link());
  EXPECT_TRUE(p.ownedShaders.empty());
  EXPECT_EQ(p.attachedHandles, (std::vector<GLhandleARB>{v.handle, f.handle}));
  p.destroy();
  // The program is gone; the shaders it did not own are not.
  EXPECT_TRUE(glIsShader(v.handle));
  EXPECT_TRUE(glIsShader(f.handle));
  v.destroy();
  f.destroy();
}

TEST_F(ShaderTest, DestroyReleasesOwnedShadersThenTheProgram) {
  ShaderProgram p;
  p.create();
  p.attachVertexShader(nullptr, vertexText);
  p.attachFragmentShader(nullptr, "void main() { gl_FragColor = vec4(1.0); }\n");
  std::vector<GLhandleARB> shaders = p.attachedHandles;
  GLhandleARB program = p.handle;
  ASSERT_TRUE(p.link());
  p.destroy();
  EXPECT_EQ(p.handle, 0u);
  EXPECT_TRUE(p.ownedShaders.empty() && p.attachedHandles.empty());
  EXPECT_FALSE(glIsProgram(program));
  for (GLhandleARB h : shaders) EXPECT_FALSE(glIsShader(h));
  p.destroy();  // a second destroy issues no GL call (the fixture checks for GL errors)
}

TEST_F(ShaderTest, DestructorAloneLeavesOwnedShadersInPlace) {
  ShaderProgram* p = new ShaderProgram;
  p->create();
  p->attachVertexShader(nullptr, vertexText);
  std::vector<Shader*> owned = p->ownedShaders;
  GLhandleARB program = p->handle;
  GLhandleARB shader = owned[0]->handle;
  delete p;
  EXPECT_FALSE(glIsProgram(program));
  EXPECT_TRUE(glIsShader(shader));
  // Whoever kept the pointers can still release them.
  for (Shader* s : owned) delete s;
  EXPECT_FALSE(glIsShader(shader));
}
