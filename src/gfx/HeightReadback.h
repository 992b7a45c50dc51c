// The heights of a normal map (its alpha channel) read back from the GL into a HeightField.
#pragma once

#include <memory>
#include <string>

#include "HeightField.h"

class Texture;

// Null, with the reason in `error`, when the texture holds no image or cannot
// be read back.
std::unique_ptr<HeightField> readHeights(Texture const& normalMap, std::string& error);
