// FidelityPictures: the pictures of the fidelity commands. The map: a set's
// frame beside the heat map of its error in texels and the heat map of its
// image error, each with its colour scale. The reference frame, as drawn.
#pragma once

#include <string>
#include <vector>

#include "Picture.h"

// What a fidelity map shows of one set.
struct FidelityMapData {
  int width = 0, height = 0;
  std::vector<unsigned char> frame;  // the set's colour frame, RGBA, rows bottom first
  std::vector<float> texels;         // the error per pixel in texels, -1 off the mesh, rows bottom first
  std::vector<float> image;          // the image error per pixel, top row first; empty without one
  std::vector<bool> mesh;            // the mesh's pixels, top row first (with `image`)
  std::string texelCaption, imageCaption;  // the figures under each heat map
};

// Three panels side by side (two without the image error) above a band for
// the captions and colour scales.
Picture fidelityMapPicture(FidelityMapData const& data);

// A frame (RGBA, rows bottom first) as a picture of its own.
Picture framePicture(std::vector<unsigned char> const& frame, int width, int height);
