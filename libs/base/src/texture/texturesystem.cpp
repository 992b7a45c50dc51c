// TextureSystem: texture unit count and the default unpack alignment.
#include <GL/gl.h>
#include <GL/glext.h>

#include "base/texturesystem.h"

TextureSystem textureSystem;

void TextureSystem::init() {
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  GLint units = 0;
  glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
  textureSystem.numUnits = units;
}

int TextureSystem::getNumUnits() { return textureSystem.numUnits; }
