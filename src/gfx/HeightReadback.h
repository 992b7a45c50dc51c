// HeightReadback: where the bench's heights live and reading them back from the
// GL into a HeightField: the separate 16-bit height map when there is one, else
// the normal map's alpha channel.
#pragma once

#include <memory>
#include <string>

#include "HeightField.h"

class Texture;

// The heights the programs draw: those of `heightMap` (GL_LUMINANCE16, read as
// 16-bit values) when it holds a texture (id not 0), else the alpha of
// `normalMap` (8 bits). Null, with the reason in `error`, when the texture
// holds no image or cannot be read back.
std::unique_ptr<HeightField> readHeights(Texture const& normalMap, Texture const& heightMap, std::string& error);
