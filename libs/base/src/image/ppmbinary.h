// The binary rasters of portable pixmaps and greymaps (P6 and P5): samples of
// one byte, or two (most significant first) when the maximum value passes 255.
#pragma once

#include <cstddef>
#include <string>

#include "base/image.h"

// Decodes the raster that starts at `raster`, `available` bytes before the
// file ends: width x height pixels of `channels` samples (3 for P6, 1 for P5),
// scaled from 0..maxValue to 0..255 as the text form is (rounded; a sample
// above the maximum counts as the maximum). Gives a 24-bit RGB or an 8-bit
// grey picture; null with the reason in `why` when the sizes are out of
// bounds or the file is shorter than the raster, checked before anything is
// allocated.
Image* decodePnmRaster(unsigned char const* raster, size_t available, int width, int height, int maxValue,
                       int channels, std::string& why);

// Why a raster of `needed` bytes does not fit the `available` ones left in
// the file ("" when it does).
std::string pnmRasterShortfall(size_t available, size_t needed);
