// TextureUnits: the texture unit of every sampler the relief programs read,
// named once for the programs' uniforms and the scene's bindings.
#pragma once

namespace TextureUnits {

enum Unit : int {
  Color = 0,       // colorMap: the colour map
  Normal = 1,      // normalMap: the normal map (heights in alpha)
  Cone = 2,        // coneMap: RELAXED_CONE's cone ratios
  MaxPyramid = 3,  // maxPyramid: MAX_PYRAMID's levels of height maxima
  Height = 4,      // heightMap: a separate 16-bit height map (HEIGHT_MAP)
  ReferenceHits = 5,  // referenceHits: the traced hit of each view pixel (REFERENCE_HIT)
  ReferenceEye = 6,   // referenceEye, referenceLight: the directions to the eye and the
  ReferenceLight = 7,  // light in the hit's own tangent frame (REFERENCE_FRAME)
};

struct Sampler {
  char const* name;  // the sampler uniform in the shaders
  Unit unit;
};

// Every sampler, in unit order.
constexpr Sampler samplers[] = {
    {"colorMap", Color}, {"normalMap", Normal}, {"coneMap", Cone}, {"maxPyramid", MaxPyramid}, {"heightMap", Height},
    {"referenceHits", ReferenceHits}, {"referenceEye", ReferenceEye}, {"referenceLight", ReferenceLight},
};

}  // namespace TextureUnits
