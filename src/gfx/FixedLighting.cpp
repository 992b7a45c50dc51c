// FixedLighting: setting light 0 and the material in the GL.
#include "FixedLighting.h"

#include <GL/gl.h>

void FixedLighting::applyLight() const {
  GLfloat const c[4] = {lightColor.x * lightIntensity, lightColor.y * lightIntensity, lightColor.z * lightIntensity,
                        1.0f};
  glLightfv(GL_LIGHT0, GL_AMBIENT, c);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, c);
  glLightfv(GL_LIGHT0, GL_SPECULAR, c);
}

void FixedLighting::applyMaterial() const {
  GLfloat const s[4] = {specularColor.x, specularColor.y, specularColor.z, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, s);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
}
