// TextureSystem: the number of texture units and the pixel-store state textures rely on.
#pragma once

class TextureSystem {
public:
  TextureSystem() : numUnits(0) {}
  // Sets GL_UNPACK_ALIGNMENT to 1 and reads the number of texture units.
  // Needs the GL context.
  static void init();
  static int getNumUnits();

  int numUnits;
};

extern TextureSystem textureSystem;
