// Model3D::render: the mesh drawn in immediate mode for the relief shaders. It
// lives with the GL code, so that the mesh itself links without GL.
#include "Model3D.h"

#include <GL/gl.h>
#include <GL/glext.h>

void Model3D::render() const {
  checkIndices();
  glBegin(GL_TRIANGLES);
  for (int index : indices) {
    Vertex const& v = vertices[static_cast<size_t>(index)];
    _vec<3, float> const& tangent = v.basis.vec(0);
    glMultiTexCoord2fvARB(GL_TEXTURE0_ARB, v.texCoord.ptr());
    glNormal3fv(v.basis.vec(2).ptr());
    glMultiTexCoord4fARB(GL_TEXTURE1_ARB, tangent.x, tangent.y, tangent.z, v.handedness);
    glMultiTexCoord2fvARB(GL_TEXTURE2_ARB, v.texelScale.ptr());
    glMultiTexCoord2fvARB(GL_TEXTURE3_ARB, v.curvature.ptr());
    glVertex3fv(v.position.ptr());
  }
  glEnd();
}
