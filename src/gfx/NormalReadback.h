// NormalReadback: the normal map's RGB read back from the GL, to check it
// against the heights it is drawn with.
#pragma once

#include <string>
#include <vector>

class Texture;

// The RGB bytes of `normalMap`'s level 0, three per texel, rows as they were
// uploaded (row 0 at v = 0, the file's first row), and its size. False, with
// the reason in `error` and the outputs untouched, when the texture holds no
// image or cannot be read back.
bool readNormalRgb(Texture const& normalMap, std::vector<unsigned char>& rgb, int& width, int& height,
                   std::string& error);
