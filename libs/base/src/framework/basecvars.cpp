// The engine frame's console commands and variables: quit, exit and error, the
// frame-rate display, motion scaling by zoom, and basic OpenGL state (polygon
// mode, face culling, depth test, clear colour). They live in one unit, which
// the frame itself references, so that linking the engine from a static
// library always brings every one of them into the registry.
#include <GL/gl.h>

#include "base/basecvars.h"
#include "base/exception.h"
#include "system/system.h"

_cvar<int> displayFPS("displayFPS");
_cvar<float> currentFPS("currentFPS");
_cvar<int> moveByZoom("moveByZoom");

static CVar cvarQuit("quit", CFunc_Quit);
static CVar cvarExit("exit", CFunc_Quit);
static CVar cvarError("error", CFunc_Error);

void CFunc_Quit(int, char**) { sys.requestExit(); }

void CFunc_Error(int argc, char** argv) {
  if (argc < 2) return;
  Error e;
  e << argv[1];
  throw e;
}

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
