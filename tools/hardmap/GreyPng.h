// writeGreyPng: heights in [0, 1] written as an 8-bit or 16-bit greyscale PNG.
#pragma once

#include <string>
#include <vector>

// Writes width x height values, row by row (the first row on top), each
// clamped to [0, 1] and rounded to the nearest of 255 or 65535 levels (bits 8
// or 16). The file goes through AtomicFile, so a failure leaves an existing
// file untouched. Returns false with `error` set to one line naming the file.
bool writeGreyPng(std::string const& path, int width, int height, std::vector<float> const& values, int bits,
                  std::string& error);
