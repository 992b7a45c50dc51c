// One offscreen GL context for a whole test program, with the engine's image,
// texture and extension state initialised as the framework would.
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
    if (!ctx) {
      ctx = new GLTestContext(64, 64);
      ImageSystem::init();
      TextureSystem::init();
      init_ext();
    }
  }
  void TearDown() override { EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)); }

  static inline GLTestContext* ctx = nullptr;
};
