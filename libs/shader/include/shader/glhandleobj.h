// GLHandleObj: owner of one OpenGL shader-object handle (a shader or a program).
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

class GLHandleObj {
public:
  GLHandleObj() { reset(); }
  // Deletes this object's GL object through GLHandleObj::destroy(), whatever
  // the dynamic type: a derived class's own release is not run.
  virtual ~GLHandleObj();
  GLHandleObj(GLHandleObj const&) = delete;
  GLHandleObj& operator=(GLHandleObj const&) = delete;

  // Forgets the handle without deleting anything.
  void reset() { handle = 0; }
  // Deletes the GL object, if any, and forgets the handle.
  virtual void destroy();

  // The info log of a shader or program object; empty when there is none.
  static std::string infoLog(GLhandleARB handle);

  // Writes "log:" and the info log of a shader or program object (or "none")
  // to standard error. False only when the log buffer could not be allocated.
  static bool printHandleLog(GLhandleARB handle);

  GLhandleARB handle;
};
