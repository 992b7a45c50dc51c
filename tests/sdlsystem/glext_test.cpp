// The extension registry on the real extension string of an offscreen context,
// and on chosen strings for the substring rules.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "system/glext.h"
#include "testsupport/glcontext.h"

namespace {

char const* chosenString = "";
char const* chosen() { return chosenString; }

class Extensions : public ::testing::Test {
protected:
  void SetUp() override { ctx = new GLTestContext(64, 64); }
  void TearDown() override {
    gl_extensionStringHook = nullptr;
    delete ctx;
  }
  GLTestContext* ctx = nullptr;
};

TEST_F(Extensions, RealStringWholeNamesPrefixesAndMadeUpNames) {
  std::string const exts = reinterpret_cast<char const*>(glGetString(GL_EXTENSIONS));
  ASSERT_FALSE(exts.empty());
  std::string const first = exts.substr(0, exts.find(' '));
  EXPECT_TRUE(gl_hasExt(first.c_str()));
  EXPECT_TRUE(gl_hasExt(first.substr(0, first.size() - 2).c_str()));  // a prefix is found too
  EXPECT_TRUE(gl_hasExt("GL_ARB_texture_cube_map"));
  EXPECT_FALSE(gl_hasExt("GL_NOT_an_extension_of_any_driver"));
  EXPECT_TRUE(gl_hasExt(""));
}

TEST_F(Extensions, SubstringRules) {
  gl_extensionStringHook = chosen;
  chosenString = "GL_EXT_texture3D GL_ARB_foo";
  EXPECT_TRUE(gl_hasExt("GL_EXT_texture"));
  EXPECT_TRUE(gl_hasExt("3D GL_ARB"));  // straddles two names
  EXPECT_FALSE(gl_hasExt("GL_ARB_foobar"));  // runs past the end: not found
  chosenString = "";
  EXPECT_FALSE(gl_hasExt(""));
  gl_extensionStringHook = [] { return static_cast<char const*>(nullptr); };
  EXPECT_FALSE(gl_hasExt("GL_ARB_foo"));
}

TEST_F(Extensions, InitSetsFlagsAndNeverClearsThem) {
  gl_extensionStringHook = chosen;
  chosenString = "GL_ARB_texture_env_add";
  found_GL_ARB_texture_cube_map = false;
  init_ext();
  EXPECT_TRUE(found_GL_ARB_multitexture);
  EXPECT_TRUE(found_GL_EXT_texture3D);
  EXPECT_TRUE(found_GL_ARB_texture_non_power_of_two);
  EXPECT_TRUE(found_GL_ARB_texture_env_add);
  EXPECT_FALSE(found_GL_ARB_texture_cube_map);

  gl_extensionStringHook = nullptr;  // the real driver has cube maps
  init_ext();
  EXPECT_TRUE(found_GL_ARB_texture_cube_map);
  EXPECT_TRUE(found_GL_ARB_texture_env_add);

  gl_extensionStringHook = chosen;
  chosenString = "";
  init_ext();
  EXPECT_TRUE(found_GL_ARB_texture_cube_map);  // stays true
}

TEST_F(Extensions, LoadExtResultCodes) {
  void* a = reinterpret_cast<void*>(1);
  void* b = reinterpret_cast<void*>(1);
  void* c = reinterpret_cast<void*>(1);
  EXPECT_EQ(load_ext("GL_NOT_an_extension_of_any_driver", &a, "glActiveTextureARB", nullptr), -2);
  EXPECT_EQ(a, reinterpret_cast<void*>(1));  // untouched

  EXPECT_EQ(load_ext("GL_ARB_shader_objects", &a, "glCreateShaderObjectARB", &b,
                     "glCompileShaderARB", &c, "glLinkProgramARB", nullptr),
            -1);
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_NE(c, nullptr);

  void* d = reinterpret_cast<void*>(1);
  a = b = c = nullptr;
  EXPECT_EQ(load_ext("GL_ARB_shader_objects", &a, "glCreateShaderObjectARB", &b,
                     "glCompileShaderARB", &c, "noSuchEntryPointAnywhere", &d, "glLinkProgramARB",
                     nullptr),
            2);
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_EQ(c, nullptr);
  EXPECT_EQ(d, reinterpret_cast<void*>(1));  // after the failing pair: untouched
}

}  // namespace
