// Shader objects: source from a prefix and a file, compiling, kinds, logs and
// the assertions on misuse.
#include "shaderfixture.h"
#include "system/glext.h"

// First in the program, before any GL context (and its threads) exists, so
// that the death tests fork a single-threaded process. Both checks fire
// before any GL call.
TEST(ShaderMisuse, StopsWithTheAssertion) {
  Shader s;
  EXPECT_DEATH(s.setSource(nullptr), "failed assertion `buffer'");
  ShaderProgram p;
  EXPECT_DEATH(p.attach(s), "failed assertion `handle'");
}

TEST_F(ShaderTest, SourceIsThePrefixFollowedByTheFile) {
  std::string body = "void main() { gl_FragColor = vec4(COLOUR); }\n";
  std::string path = writeFile("colour.frag", body);
  char const* prefix = "#define COLOUR 0.0, 1.0, 0.0, 1.0\n";
  TemplateShader<GL_FRAGMENT_SHADER> s;
  EXPECT_EQ(s.handle, 0u);
  EXPECT_TRUE(s.createFromSource(path.c_str(), GL_FRAGMENT_SHADER, prefix));
  ASSERT_NE(s.handle, 0u);
  EXPECT_EQ(sourceOf(s.handle), prefix + body);
  EXPECT_EQ(objectInt(s.handle, GL_OBJECT_COMPILE_STATUS_ARB), 1);
  EXPECT_EQ(objectInt(s.handle, GL_OBJECT_SUBTYPE_ARB), GL_FRAGMENT_SHADER);
  s.destroy();
  EXPECT_EQ(s.handle, 0u);
}

TEST_F(ShaderTest, MissingFileAndNoPrefixGiveAnEmptySource) {
  Shader s;
  EXPECT_TRUE(s.createFromSource((testing::TempDir() + "does-not-exist.vert").c_str(),
                                 GL_VERTEX_SHADER, nullptr));
  ASSERT_NE(s.handle, 0u);
  EXPECT_EQ(sourceOf(s.handle), "");
  EXPECT_EQ(objectInt(s.handle, GL_OBJECT_SUBTYPE_ARB), GL_VERTEX_SHADER);

  // A shader can be given new source and recompiled on the same handle.
  GLhandleARB h = s.handle;
  s.setSource("void main() { gl_Position = gl_Vertex; }\n");
  s.compile();
  EXPECT_EQ(s.handle, h);
  EXPECT_EQ(objectInt(h, GL_OBJECT_COMPILE_STATUS_ARB), 1);

  // No file name at all: the prefix alone.
  Shader p;
  EXPECT_TRUE(p.createFromSource(nullptr, GL_VERTEX_SHADER, "// only\n"));
  EXPECT_EQ(sourceOf(p.handle), "// only\n");
  s.destroy();
  p.destroy();
}

TEST_F(ShaderTest, BrokenShaderReportsThroughItsLog) {
  Shader s;
  s.createFromSource(nullptr, GL_FRAGMENT_SHADER, "void main() { gl_FragColor = nonsense; }\n");
  EXPECT_EQ(objectInt(s.handle, GL_OBJECT_COMPILE_STATUS_ARB), 0);
  testing::internal::CaptureStderr();
  EXPECT_TRUE(GLHandleObj::printHandleLog(s.handle));
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(log.rfind("log:\n", 0), 0u) << log;
  EXPECT_NE(log.find("nonsense"), std::string::npos) << log;
  s.destroy();
}

TEST_F(ShaderTest, DestructorDeletesTheObject) {
  GLhandleARB h;
  {
    Shader s;
    s.create(GL_VERTEX_SHADER);
    h = s.handle;
    EXPECT_EQ(objectInt(h, GL_OBJECT_TYPE_ARB), GL_SHADER_OBJECT_ARB);
  }
  EXPECT_FALSE(glIsShader(h));
}

TEST_F(ShaderTest, SystemMarksTheShaderExtensions) {
  EXPECT_TRUE(shaderSystem.init());
  EXPECT_TRUE(found_GL_ARB_shader_objects);
  EXPECT_TRUE(found_GL_ARB_vertex_program);
  EXPECT_TRUE(found_GL_ARB_vertex_shader);
}

