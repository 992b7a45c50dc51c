// The console variables and commands owned by the engine frame: quit, exit,
// error, the frame-rate display, keyboard motion scaling and basic GL state.
#pragma once

#include "base/cvar.h"
#include "math/vec.h"

// "quit" and "exit": ends the main loop after this frame.
void CFunc_Quit(int argc, char** argv);
// "error <message>": throws a fatal Error carrying the message; nothing without one.
void CFunc_Error(int argc, char** argv);

// Nonzero: every frame-rate refresh is printed to the console.
extern _cvar<int> displayFPS;
// Frames per second over the frames since the last refresh.
extern _cvar<float> currentFPS;
// Nonzero: keyboard motion of an orthographic view and turns of a perspective
// view are scaled by the view's width.
extern _cvar<int> moveByZoom;

// GL state set from the console; applied only when the variable is used there.
extern int CVar_GL_PolygonMode;  // 0 points, 1 lines, other values filled
extern int CVar_GL_CullFace;     // 0 off, 1 back faces, 2 front faces, other: on
extern int CVar_GL_DepthTest;    // 0 off, other values on
extern _vec<4, float> CVar_GL_ClearColor;

void CFunc_GL_PolygonMode(int argc, char** argv);
void CFunc_GL_CullFace(int argc, char** argv);
void CFunc_GL_DepthTest(int argc, char** argv);
void CFunc_GL_ClearColor(int argc, char** argv);
