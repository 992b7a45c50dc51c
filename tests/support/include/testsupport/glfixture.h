// GLTest: one offscreen GL context for a whole test program, with the
// engine's image, texture, extension and shader state initialised as the
// framework would, and a check after every test that it left no GL error.
#pragma once

#include <gtest/gtest.h>

#include <GL/gl.h>

#include "base/imagesystem.h"
#include "base/texturesystem.h"
#include "system/glext.h"
#include "testsupport/glcontext.h"

class GLTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    if (ctx) return;
    ctx = new GLTestContext(128, 128);
    ImageSystem::init();
    TextureSystem::init();
    init_ext();
  }
  void TearDown() override { EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)); }

  static inline GLTestContext* ctx = nullptr;
};
