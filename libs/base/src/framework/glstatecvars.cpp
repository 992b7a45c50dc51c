// Console variables that set basic OpenGL state: polygon mode, face culling,
// depth test and clear colour.
#include <GL/gl.h>

#include "base/basecvars.h"

int CVar_GL_PolygonMode = 2;
int CVar_GL_CullFace = 0;
int CVar_GL_DepthTest = 0;
_vec<4, float> CVar_GL_ClearColor(0, 0, 0, 1);

static CVarw cvarPolygonMode(&CVar_GL_PolygonMode, "polygonMode", CFunc_GL_PolygonMode, 1);
static CVarw cvarCullFace(&CVar_GL_CullFace, "cullFace", CFunc_GL_CullFace, 1);
static CVarw cvarDepthTest(&CVar_GL_DepthTest, "depthTest", CFunc_GL_DepthTest, 1);
static CVarw cvarClearColor(&CVar_GL_ClearColor, "clearColor", CFunc_GL_ClearColor);

void CFunc_GL_PolygonMode(int, char**) {
  GLenum mode = CVar_GL_PolygonMode == 0 ? GL_POINT : CVar_GL_PolygonMode == 1 ? GL_LINE : GL_FILL;
  glPolygonMode(GL_FRONT_AND_BACK, mode);
}

void CFunc_GL_CullFace(int, char**) {
  switch (CVar_GL_CullFace) {
    case 0:
      glDisable(GL_CULL_FACE);
      return;
    case 1:
      glCullFace(GL_BACK);
      break;
    case 2:
      glCullFace(GL_FRONT);
      break;
    default:
      break;
  }
  glEnable(GL_CULL_FACE);
}

void CFunc_GL_DepthTest(int, char**) {
  if (CVar_GL_DepthTest == 0)
    glDisable(GL_DEPTH_TEST);
  else
    glEnable(GL_DEPTH_TEST);
}

void CFunc_GL_ClearColor(int, char**) {
  glClearColor(CVar_GL_ClearColor.x, CVar_GL_ClearColor.y, CVar_GL_ClearColor.z,
               CVar_GL_ClearColor.w);
}
