// Writes 24-bit uncompressed BMP files from top-down RGB pixel rows.
#pragma once

#include <string>
#include <vector>

// Writes width x height pixels (3 bytes each, red-green-blue, row 0 at the top)
// as a bottom-up 24-bit BMP. Returns false and fills `error` when the file cannot
// be written or the size is out of range.
bool writeBmp24(std::string const& path, int width, int height,
                std::vector<unsigned char> const& rgb, std::string& error);
