// Shared set-up of the relief GL tests: one offscreen context per program with
// the engine's image, texture, extension and shader state initialised, and the
// fixed-function light and material that the relief shaders read.
#pragma once

#include <gtest/gtest.h>

#include <GL/gl.h>

#include "base/imagesystem.h"
#include "base/texturesystem.h"
#include "shader/shadersystem.h"
#include "system/glext.h"
#include "testsupport/glcontext.h"

class ReliefGLTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    if (!ctx) {
      ctx = new GLTestContext(128, 128);
      ImageSystem::init();
      TextureSystem::init();
      init_ext();
      shaderSystem.init();
    }
  }
  void TearDown() override { EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)); }

  // Light 0 white, no ambient light, a white material with shininess 10: the
  // state the bench sets for its shaders.
  static void setLightAndMaterial() {
    GLfloat const white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 1}, none[4] = {0, 0, 0, 0};
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_AMBIENT, white);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, none);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, white);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 10.0f);
  }

  static inline GLTestContext* ctx = nullptr;
};
