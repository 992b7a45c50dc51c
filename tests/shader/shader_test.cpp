// Shader objects: source from a prefix and a file, compiling, misuse.
#include "shaderfixture.h"

// First in the program: death tests fork before the GL context's threads exist.
TEST(ShaderMisuse, StopsWithTheAssertion) {
  Shader s;
  ShaderProgram p;
  EXPECT_DEATH(s.setSource(nullptr), "failed assertion `buffer'");
  EXPECT_DEATH(p.attach(s), "failed assertion `handle'");
}

// The source is the prefix followed at once by the file's text; without a
// prefix, or without a file, the other part alone; a file that cannot be read
// is reported as a failure.
TEST_F(ShaderTest, SourceIsThePrefixThenTheFile) {
  std::string const body = "void main() { gl_FragColor = vec4(C); }\n", prefix = "#define C 0.0, 1.0, 0.0, 1.0\n";
  std::string const file = writeFile("c.frag", body), missing = testing::TempDir() + "missing.frag";
  struct { char const *file, *prefix; std::string source; } const rows[] = {
      {file.c_str(), prefix.c_str(), prefix + body}, {file.c_str(), nullptr, body},
      {missing.c_str(), prefix.c_str(), prefix},     {nullptr, prefix.c_str(), prefix}};
  for (auto const& r : rows) {
    Shader s;
    testing::internal::CaptureStderr();
    EXPECT_EQ(s.createFromSource(r.file, GL_FRAGMENT_SHADER, r.prefix), r.file != missing.c_str());
    std::string const err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("missing.frag") != std::string::npos, r.file == missing.c_str()) << err;
    char source[256] = "";
    glGetShaderSourceARB(s.handle, sizeof source, nullptr, source);
    EXPECT_EQ(source, r.source);
    GLint compiled = -1;
    glGetObjectParameterivARB(s.handle, GL_OBJECT_COMPILE_STATUS_ARB, &compiled);
    EXPECT_EQ(compiled, r.source == prefix + body) << r.source;  // each part alone does not compile
    EXPECT_EQ(s.compile(), r.source == prefix + body);
  }
}
